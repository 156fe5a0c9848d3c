#include "common/FieldRules.h"

#include "common/Messages.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <array>

namespace ret {
namespace {

constexpr char16_t kEnyeUpper = 0x00D1; // Ñ
constexpr char16_t kEnyeLower = 0x00F1; // ñ
constexpr char16_t kCombiningTilde = 0x0303;

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isAsciiLetter(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Two ASCII digits at `at`, as a number; -1 when they are not digits.
int twoDigits(const QString& text, qsizetype at) {
    if (!isAsciiDigit(text[at]) || !isAsciiDigit(text[at + 1]))
        return -1;
    return (text[at].unicode() - u'0') * 10 + (text[at + 1].unicode() - u'0');
}

// "dd/mm/yyyy" exactly, and a day that exists; anything else gives an invalid date.
QDate readDate(const QString& text) {
    if (text.size() != 10 || text[2] != u'/' || text[5] != u'/')
        return QDate();
    const int day = twoDigits(text, 0);
    const int month = twoDigits(text, 3);
    const int century = twoDigits(text, 6);
    const int year = twoDigits(text, 8);
    if (day < 0 || month < 0 || century < 0 || year < 0)
        return QDate();
    return QDate(century * 100 + year, month, day);
}

} // namespace

bool FieldRules::DecipherReportFile(const QString& path) const {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isFile())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

bool FieldRules::IsValidRuc(const QString& ruc) const {
    if (ruc.size() != 11 || !IsAllDigits(ruc))
        return false;
    const QStringView prefix = QStringView(ruc).left(2);
    if (prefix != u"10" && prefix != u"15" && prefix != u"16" && prefix != u"17" && prefix != u"20")
        return false;
    constexpr std::array<int, 10> kWeights = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    for (int i = 0; i < 10; ++i)
        sum += (ruc[i].unicode() - u'0') * kWeights[size_t(i)];
    const int check = (11 - sum % 11) % 10; // 10 gives 0, 11 gives 1
    return ruc[10].unicode() - u'0' == check;
}

QString FieldRules::PadRight(const QString& text, int width) const {
    return PadRightWith(text, width, u' ');
}

QString FieldRules::PadLeft(const QString& text, int width) const {
    return PadLeftWith(text, width, u' ');
}

QString FieldRules::PadRightWith(const QString& text, int width, QChar fill) const {
    return text.leftJustified(width, fill, false);
}

QString FieldRules::PadLeftWith(const QString& text, int width, QChar fill) const {
    return text.rightJustified(width, fill, false);
}

bool FieldRules::IsDateInRange(const QString& date, const QString& lower,
                               const QString& upper) const {
    const QDate d = readDate(date);
    const QDate from = readDate(lower);
    const QDate to = readDate(upper);
    if (!d.isValid() || !from.isValid() || !to.isValid())
        return false;
    return from <= d && d <= to;
}

bool FieldRules::IsAllDigits(const QString& text, int, int, int) const {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return true;
}

bool FieldRules::IsAlphanumeric(const QString& text, int, int) const {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != kEnyeUpper && c != kEnyeLower)
            return false;
    }
    return true;
}

bool FieldRules::IsValidNameText(const QString& text, int) const {
    if (text.trimmed().isEmpty())
        return false;
    // Letters and signs that appear in names and addresses in the tax registry.
    static const QString kAllowed = QString::fromUtf8(" .,-&'/()\":;#°ºª+_ÑñÁÉÍÓÚáéíóúÜü");
    for (const QChar c : text) {
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && !kAllowed.contains(c))
            return false;
    }
    return true;
}

QString FieldRules::ReplaceEnye(QString text) const {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool decomposed = (c == u'N' || c == u'n') && i + 1 < text.size() &&
                                text[i + 1] == QChar(kCombiningTilde);
        if (decomposed) {
            out.append(QChar(kEnyeUpper));
            ++i;
        } else if (c == kEnyeLower) {
            out.append(QChar(kEnyeUpper));
        } else {
            out.append(c);
        }
    }
    return out;
}

int FieldRules::FilterDigitKey(int key, bool allowDecimalPoint, int, int) const {
    if ((key >= '0' && key <= '9') || key == 8 || (allowDecimalPoint && key == '.'))
        return key;
    return 0;
}

bool FieldRules::IsLetterOrDigitKey(int key, int, int) const {
    return (key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z') || (key >= '0' && key <= '9') ||
           key == kEnyeUpper || key == kEnyeLower || key == 8;
}

int FieldRules::ConvertKey(int key) const {
    if (key >= 'a' && key <= 'z')
        return key - ('a' - 'A');
    // Windows-1252: each capital sits 32 below its small letter.
    switch (key) {
    case 0xE1: // á
    case 0xE9: // é
    case 0xED: // í
    case 0xF3: // ó
    case 0xFA: // ú
    case 0xFC: // ü
    case 0xF1: // ñ
        return key - 32;
    default:
        return key;
    }
}

void FieldRules::ShowMessage(const QString& text, const QString& title, int, int, int) const {
    messages_.show({MsgIcon::Exclamation, text, title, MsgButtons::Ok, MsgAnswer::Ok});
}

} // namespace ret
