#include "import/ImportFields.h"

#include "import/ImportCodes.h"

#include "common/Database.h"
#include "common/Decimal.h"
#include "common/FieldRules.h"
#include "common/Lookups.h"
#include "detail/SerieRules.h"

#include <map>

namespace ret::import {
namespace {

const QString kUnknownCode =
    QStringLiteral("Otro Error : Verifique Estructura de Tablas y datos a transferir");

// the module's own texts, read from the one table of codes that the help is generated from
const std::map<QString, QString>& fixedTexts() {
    static const std::map<QString, QString> texts = [] {
        std::map<QString, QString> t;
        for (const ImportCode& c : importCodes()) {
            if (c.text != nullptr)
                t[QLatin1String(c.code)] = QString::fromUtf8(c.text);
        }
        return t;
    }();
    return texts;
}

int digitsAt(const QString& text, int from, int count) {
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

// Read by hand: the general date parser is the slowest step of a large import.
QDate readImportDate(const QString& text) {
    if (text.size() != 10 || text.at(2) != QLatin1Char('/') || text.at(5) != QLatin1Char('/'))
        return QDate();
    const int d = digitsAt(text, 0, 2);
    const int m = digitsAt(text, 3, 2);
    const int y = digitsAt(text, 6, 4);
    if (d < 0 || m < 0 || y < 0)
        return QDate();
    return QDate(y, m, d);
}

namespace {

bool allDigits(const QString& s) {
    for (const QChar c : s) {
        if (!serie::isDigit(c))
            return false;
    }
    return !s.isEmpty();
}

} // namespace

QString fixedErrorText(const QString& code) {
    const auto it = fixedTexts().find(code);
    return it == fixedTexts().end() ? QString() : it->second;
}

QString errorText(Database& db, const QString& code) {
    const QString fixed = fixedErrorText(code);
    if (!fixed.isEmpty())
        return fixed;
    const QString table = DescripcionError(db, code.toInt());
    return table.isEmpty() ? kUnknownCode : table;
}

bool CuentaPye(const QStringList& lines) {
    for (const QString& l : lines) {
        if (l.count(QLatin1Char('|')) != kFields)
            return false;
    }
    return true;
}

std::optional<int> firstUnterminatedLine(const QStringList& lines) {
    for (int i = 0; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        if (!t.isEmpty() && !t.endsWith(QLatin1Char('|')))
            return i;
    }
    return std::nullopt;
}

bool Fechadesistema(const QString& date, const QDate& today) {
    const QDate d = readImportDate(date);
    return !d.isValid() || d <= today;
}

bool SoloNumero(int code) {
    return (code >= '0' && code <= '9') || code == 8 || code == 13;
}

QString CadDev(const QString& line) {
    return line.section(QLatin1Char('|'), 5, 5) + QLatin1Char(' ') +
           line.section(QLatin1Char('|'), 6, 6);
}

std::optional<QString> LineCutter::next() {
    if (at_ >= line_.size())
        return std::nullopt;
    const qsizetype bar = line_.indexOf(QLatin1Char('|'), at_);
    if (bar < 0) {
        at_ = line_.size();
        return QString();
    }
    const QString field = QStringView(line_).mid(at_, bar - at_).toString().toUpper().trimmed();
    at_ = bar + 1;
    return field;
}

FieldChecker::FieldChecker(Database& db, const FieldRules& rules, QString declarantRuc,
                           QString period, QDate today)
    : db_(db), rules_(rules), declarantRuc_(std::move(declarantRuc)), period_(std::move(period)),
      today_(today) {}

bool FieldChecker::Val_Transf_CVS(QString& dato, int posicion) {
    static const char* const kDefaults[kFields] = {"0001", "0003", "0853", "0854", "0855",
                                                   "0857", "0858", "0859", "0884", "0883",
                                                   "0857", "0858", "0859", "0988"};
    if (posicion < 0 || posicion >= kFields)
        return fail("0201");
    code_ = QLatin1String(kDefaults[posicion]);
    switch (posicion) {
    case 0:
        return ruc(dato);
    case 1:
    case 2:
    case 3:
    case 4:
        return name(dato, posicion);
    case 5:
        return serie(dato, retentionSerie_);
    case 6:
        return number(dato, 8);
    case 7:
        return retentionDate(dato);
    case 8:
        return base(dato);
    case 9:
        return type(dato);
    case 10:
        return serie(dato, paymentSerie_);
    case 11:
        return number(dato, paymentType_ == QLatin1String("99") ? 15 : 8);
    case 12:
        return paymentDate(dato);
    default:
        return amount(dato);
    }
}

bool FieldChecker::ruc(const QString& dato) {
    company_ = dato.startsWith(QLatin1String("20"));
    if (dato == declarantRuc_)
        return fail("0221");
    if (!rucRecord_)
        rucRecord_ = LeeParametro(db_, QStringLiteral("044"), QStringLiteral("6"));
    return rules_.IsValidRuc(dato) && ValidaDocumentoSegun(*rucRecord_, rules_, dato);
}

bool FieldChecker::name(QString& dato, int posicion) {
    const bool forbidden = company_ ? posicion > 1 : posicion == 1;
    if (forbidden)
        return dato.isEmpty() || fail(posicion == 1 ? "0992" : "0993");
    if (dato.isEmpty())
        return false;
    if (dato.size() > 20)
        dato = dato.left(company_ && posicion == 1 ? 40 : 20);
    if (dato.contains(QChar(0x00D1)) || dato.contains(QChar(0x00F1)))
        dato = rules_.ReplaceEnye(dato.trimmed());
    if (!rules_.IsValidNameText(dato, 0))
        return fail("0239");
    return !dato.trimmed().isEmpty();
}

namespace {

// "0", "00", "." or "0.": a zero written without decimals, refused as "0" is; a zero written
// with its decimals ("0.00") passes the field check
bool wholeZero(const QString& text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point >= 0 && point != text.size() - 1)
        return false;
    for (const QChar c : QStringView(text).left(point < 0 ? text.size() : point)) {
        if (c != QLatin1Char('0'))
            return false;
    }
    return true;
}

bool hasControlCharacter(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20)
            return true;
    }
    return false;
}

// SoloNumero's digits without the editing keys it also lets through (backspace, Enter), which
// in a file are characters, not keys
bool isDigitInFile(QChar c) {
    return SoloNumero(c.unicode()) && c.unicode() >= 0x20;
}

} // namespace

bool FieldChecker::serie(QString& dato, QString& remembered) {
    remembered = dato;
    if (dato.size() > 4 || dato.isEmpty() || dato.toUpper() == QLatin1String("XXX"))
        return false;
    dato = rules_.PadLeftWith(dato, 4, QLatin1Char('0'));
    remembered = dato;
    // the key filters let a typed backspace through; in a file it would be stored as it is
    if (hasControlCharacter(dato))
        return false;
    // the key filter lets the enye through, which opens no serie whatever its date and type
    if (!rules_.IsLetterOrDigitKey(dato.at(0).unicode(), 0, 0) || !serie::opensSerie(dato.at(0)))
        return false;
    for (qsizetype i = 1; i < dato.size(); ++i) {
        if (rules_.FilterDigitKey(dato.at(i).unicode(), false, 0, 0) == 0)
            return false;
    }
    return true;
}

bool FieldChecker::number(QString& dato, int max) {
    if (dato.size() > max || dato.isEmpty())
        return false;
    dato = rules_.PadLeftWith(dato, max, QLatin1Char('0'));
    return allDigits(dato) && Decimal::leadingValue(dato) > Decimal();
}

bool FieldChecker::date(const QString& dato, QDate& out) {
    out = readImportDate(dato);
    // the field rules' range test, on the date already read (bounds inside)
    static const QDate from(1850, 1, 1);
    static const QDate to(2500, 1, 1);
    return out.isValid() && from <= out && out <= to;
}

bool FieldChecker::retentionDate(const QString& dato) {
    QDate d;
    if (!date(dato, d))
        return false;
    if (d > today_)
        return fail("0989");
    if (d.toString(QStringLiteral("yyyyMM")) != period_)
        return fail("0991");
    return serie::importRetentionAllowed(retentionSerie_, d) || fail("0857");
}

bool FieldChecker::paymentDate(const QString& dato) {
    QDate d;
    if (!date(dato, d))
        return false;
    if (d > today_)
        return fail("0990");
    if (d.toString(QStringLiteral("yyyyMM")) > period_)
        return fail("0868");
    return serie::importPaymentAllowed(paymentType_, paymentSerie_, d) || fail("0857");
}

bool FieldChecker::base(const QString& dato) {
    if (dato.isEmpty())
        return fail("0996");
    if (wholeZero(dato))
        return false;
    for (const QChar c : dato) {
        if (c != QLatin1Char('.') && !isDigitInFile(c))
            return fail("0885");
    }
    const qsizetype points = dato.count(QLatin1Char('.'));
    if (points > 1)
        return fail("0886");
    const qsizetype point = dato.indexOf(QLatin1Char('.'));
    if (point > 12)
        return fail("0887");
    if (point >= 0 && dato.size() > 15)
        return fail("0878");
    if (point < 0 && dato.size() > 12)
        return fail("0887");
    return true;
}

bool FieldChecker::type(QString& dato) {
    paymentType_.clear();
    if (dato.isEmpty())
        return false;
    dato = rules_.PadLeftWith(dato, 2, QLatin1Char('0'));
    paymentType_ = dato;
    if (const auto it = typeAllowed_.find(dato); it != typeAllowed_.end())
        return it->second;
    const SqlDialect& d = db_.dialect();
    // the argument found must be the field itself: the engines' text binding drops a leading
    // byte-order mark, which would pass "\uFEFF01" for "01" and store it with the mark
    const auto found =
        db_.scalar(QStringLiteral("SELECT argumento FROM PARAM WHERE numero = '233' AND %1 = '1' "
                                  "AND argumento = ?")
                       .arg(d.substring(QStringLiteral("funcion"), 63, 1)),
                   {dato});
    const bool allowed =
        found && found->toString().trimmed().compare(dato, Qt::CaseInsensitive) == 0;
    typeAllowed_[dato] = allowed;
    return allowed;
}

bool FieldChecker::amount(const QString& dato) {
    if (dato.isEmpty())
        return fail("0984");
    if (wholeZero(dato))
        return false;
    for (qsizetype i = 0; i < dato.size(); ++i) {
        const QChar c = dato.at(i);
        const bool creditSign =
            i == 0 && c == QLatin1Char('-') && paymentType_ == QLatin1String("07");
        if (c != QLatin1Char('.') && !creditSign && !isDigitInFile(c))
            return fail("0987");
    }
    if (dato.startsWith(QLatin1Char('-')))
        return fail("0983");
    const qsizetype points = dato.count(QLatin1Char('.'));
    if (points > 1)
        return fail("0986");
    const qsizetype point = dato.indexOf(QLatin1Char('.'));
    if (point > 12)
        return fail("0985");
    if (point >= 0 && dato.size() > 15)
        return fail("0877");
    if (point < 0 && dato.size() > 12)
        return fail("0985");
    return true;
}

} // namespace ret::import
