#pragma once

#include <QByteArray>
#include <QString>

// Texts in files and in the row check value are Windows-1252; these convert at the edges.
namespace ret::cp1252 {

// Decodes bytes as Windows-1252. Returns false (and leaves `out` empty) when the bytes hold a NUL
// or a byte that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
bool decodeStrict(const QByteArray& bytes, QString& out);

// Decodes leniently: undefined bytes become the control character of the same value.
QString decode(const QByteArray& bytes);

// Encodes a text; characters that Windows-1252 lacks become "?" (as the old platform did).
QByteArray encode(const QString& text);
// The same, added at the end of `bytes`.
void appendEncoded(const QString& text, QByteArray& bytes);

// The Windows-1252 code of one character, 63 ("?") for a character outside the code page.
int code(QChar c);

} // namespace ret::cp1252
