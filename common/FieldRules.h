#pragma once

#include <QChar>
#include <QString>

namespace ret {

class MessageSink;

// Field checks, key filters and filling of texts to a width, shared by every window and report.
// One instance per program; the option arguments of the old component are kept in the
// signatures (callers always pass 0, or 1 for ShowMessage) and select the standard behaviour.
class FieldRules {
public:
    explicit FieldRules(MessageSink& messages) : messages_(messages) {}

    // The writers of this system write plain text: true when the file exists and can be read.
    bool DecipherReportFile(const QString& path) const;

    // 11 digits, a known prefix (10, 15, 16, 17, 20) and the modulus-11 check digit.
    bool IsValidRuc(const QString& ruc) const;

    // Filling to a width; a text already as wide or wider is returned unchanged (never cut).
    QString PadRight(const QString& text, int width) const;
    QString PadLeft(const QString& text, int width) const;
    QString PadRightWith(const QString& text, int width, QChar fill) const;
    QString PadLeftWith(const QString& text, int width, QChar fill) const;

    // Dates "dd/mm/yyyy"; the bounds count as inside; an unreadable date is outside.
    bool IsDateInRange(const QString& date, const QString& lower, const QString& upper) const;

    bool IsAllDigits(const QString& text, int o1 = 0, int o2 = 0, int o3 = 0) const;
    bool IsAlphanumeric(const QString& text, int o1 = 0, int o2 = 0) const;
    bool IsValidNameText(const QString& text, int option = 0) const;
    QString ReplaceEnye(QString text) const;

    // Key filters on character codes (8 is Backspace); a result of 0 cancels the key.
    int FilterDigitKey(int key, bool allowDecimalPoint, int o1 = 0, int o2 = 0) const;
    bool IsLetterOrDigitKey(int key, int o1 = 0, int o2 = 0) const;
    int ConvertKey(int key) const;

    // Shows the message (exclamation icon, OK) and returns once it was acknowledged.
    void ShowMessage(const QString& text, const QString& title, int o1 = 1, int o2 = 1,
                     int o3 = 1) const;

private:
    MessageSink& messages_;
};

} // namespace ret
