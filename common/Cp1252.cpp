#include "common/Cp1252.h"

#include <array>

namespace ret::cp1252 {
namespace {

// Unicode values of the bytes 0x80..0x9F; 0 marks a byte the code page leaves undefined.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t toUnicode(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F)
        return kHigh[b - 0x80];
    return b;
}

} // namespace

bool decodeStrict(const QByteArray& bytes, QString& out) {
    out.clear();
    QString text;
    text.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        const char16_t u = toUnicode(b);
        if (b == 0 || u == 0)
            return false;
        text.append(QChar(u));
    }
    out = std::move(text);
    return true;
}

QString decode(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        const char16_t u = toUnicode(b);
        text.append(QChar(u == 0 ? char16_t(b) : u));
    }
    return text;
}

int code(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < int(kHigh.size()); ++i) {
        if (kHigh[i] != 0 && kHigh[i] == u)
            return 0x80 + i;
    }
    if (u >= 0x80 && u <= 0x9F) // undefined bytes decoded leniently keep their value
        return kHigh[u - 0x80] == 0 ? int(u) : '?';
    return '?';
}

void appendEncoded(const QString& text, QByteArray& bytes) {
    const qsizetype at = bytes.size();
    bytes.resize(at + text.size());
    char* out = bytes.data() + at;
    for (const QChar c : text)
        *out++ = static_cast<char>(code(c));
}

QByteArray encode(const QString& text) {
    QByteArray bytes;
    appendEncoded(text, bytes);
    return bytes;
}

} // namespace ret::cp1252
