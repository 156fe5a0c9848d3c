#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace ret {
class Database;
class FieldRules;
} // namespace ret

namespace ret::import {

// The 14 fields of a line of the import file, each followed by "|".
constexpr int kFields = 14;

// The text of an error code: the module's own text where it has one, else the shared error
// table's, else the text for an unknown code.
QString errorText(Database& db, const QString& code);
// The module's own text of a code; empty for the codes whose text is the error table's.
QString fixedErrorText(const QString& code);

// A date "dd/mm/yyyy" of the file; invalid when it is not one.
QDate readImportDate(const QString& text);

// Every line holds exactly 14 "|".
bool CuentaPye(const QStringList& lines);
// The first line that, trimmed and not empty, does not end with "|"; nullopt when none.
std::optional<int> firstUnterminatedLine(const QStringList& lines);
// The date "dd/mm/yyyy" is today or earlier (a text that cannot be read counts as true).
bool Fechadesistema(const QString& date, const QDate& today);
// The codes of "0" to "9", 8 and 13.
bool SoloNumero(int code);
// The line's 6th and 7th fields (the retention voucher's serie and number) joined by a blank.
QString CadDev(const QString& line);

// Cuts a line into its fields, one at a time, as the checks consume them.
class LineCutter {
public:
    explicit LineCutter(QString line) : line_(std::move(line)) {}
    // The next field, upper case and trimmed; nullopt when the line has run out.
    std::optional<QString> next();

private:
    QString line_;
    qsizetype at_ = 0; // where the rest of the line starts
};

// The field checks of one import, with the state they keep between the fields of a line.
class FieldChecker {
public:
    FieldChecker(Database& db, const FieldRules& rules, QString declarantRuc, QString period,
                 QDate today);

    // Validates field `posicion` (0 to 13); `dato` comes back normalised (cut, zero-filled).
    // On false errorCode() says why.
    bool Val_Transf_CVS(QString& dato, int posicion);
    const QString& errorCode() const { return code_; }

private:
    bool fail(const char* code) {
        code_ = QLatin1String(code);
        return false;
    }
    bool ruc(const QString& dato);
    bool name(QString& dato, int posicion);
    bool serie(QString& dato, QString& remembered);
    bool number(QString& dato, int max);
    bool date(const QString& dato, QDate& out);
    bool retentionDate(const QString& dato);
    bool paymentDate(const QString& dato);
    bool base(const QString& dato);
    bool type(QString& dato);
    bool amount(const QString& dato);

    Database& db_;
    const FieldRules& rules_;
    QString declarantRuc_;
    QString period_;
    QDate today_;

    QString code_;
    bool company_ = false;
    QString retentionSerie_;
    QString paymentType_;
    QString paymentSerie_;

    // read once per import: they do not change while it runs
    std::optional<std::optional<QString>> rucRecord_;
    std::map<QString, bool> typeAllowed_;
};

} // namespace ret::import
