#pragma once

#include <QDialog>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <utility>

class QHBoxLayout;
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

// The row of "&Aceptar" and "&Salir" at the foot of a voucher window, to the right.
QHBoxLayout* closeButtons(QWidget* parent, QPushButton*& aceptar, QPushButton*& salir);

// "&Aceptar" closes the window once the rules have saved, "&Salir" once they let it go. The
// button takes the focus first, so that the field left is finished as on a click.
template <typename Model>
void closeOn(QDialog& dialog, Model& model, QPushButton* aceptar, QPushButton* salir) {
    QObject::connect(aceptar, &QPushButton::clicked, &dialog, [&dialog, &model, aceptar] {
        aceptar->setFocus();
        if (model.aceptar())
            dialog.accept();
    });
    QObject::connect(salir, &QPushButton::clicked, &dialog, [&dialog, &model, salir] {
        salir->setFocus();
        if (model.salir())
            dialog.accept();
    });
}

// The focus the rules asked for, given to its field when that can take it.
template <typename Focus>
void giveFocus(Focus wanted, std::initializer_list<std::pair<Focus, QWidget*>> fields) {
    for (const auto& [focus, field] : fields) {
        if (focus == wanted && field->isEnabled()) {
            field->setFocus();
            return;
        }
    }
}

} // namespace ret::voucher
