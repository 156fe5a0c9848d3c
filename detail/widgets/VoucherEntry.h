#pragma once

#include <QString>

class QKeyEvent;
class QLineEdit;
class QObject;
class QEvent;

namespace ret::voucher {

// What the voucher windows' entry fields share: the key as the rules see it, no pasting, and
// the grey of fields that cannot be edited.

// The character code of a key press for the key rules (8 Backspace, 13 Enter); -1 for keys
// that only move or edit (arrows, Home, End, Delete, Tab), which reach the field untouched.
int keyCode(const QKeyEvent& key);

// Shift+Insert, Ctrl+V and Ctrl+Shift+V: the clipboard is emptied and nothing is pasted.
bool isPaste(const QKeyEvent& key);

// Empties the clipboard on a right click, as on a paste key.
bool clearsClipboard(const QEvent& event);

// Applies the rules' answer to a key: 0 cancels it, the key itself passes, another key is
// typed in its place. True when the event was taken.
bool applyKey(QLineEdit& edit, int typed, int result);

// Sets a field's text only when it differs, so that the caret stays where it is.
void setText(QLineEdit& edit, const QString& text);

// Grey, with its text readable, for a field that cannot be edited.
QString greyStyle(bool editable);

// A length limit that never cuts what the field already holds.
void setLimit(QLineEdit& edit, int length);

// The masked date field: its text as the rules keep it ("__/__/____" when empty).
void setDateText(QLineEdit& edit, const QString& text);

// A field watched by a dialog's event filter: no context menu (it would offer pasting).
void watch(QLineEdit& edit, QObject* filter);

} // namespace ret::voucher
