// An import file, as raw bytes, through what a run does to each of its lines: the reader (line
// ends, the bad-line test: length, NUL, the encoding), the cutter and the 14 field checks. Every
// field is also checked on its own at its position, so that the later checks see texts that the
// earlier ones would have refused. Built as a libFuzzer target (RET_FUZZ) or with ReplayMain.cpp.
#include "common/Configuration.h"
#include "common/Cp1252.h"
#include "common/Database.h"
#include "common/Decimal.h"
#include "common/FieldRules.h"
#include "common/Lookups.h"
#include "common/Messages.h"
#include "common/NumberFormat.h"
#include "common/Parameters.h"
#include "common/Profile.h"
#include "detail/SerieRules.h"
#include "import/ImportFields.h"
#include "import/ImportFile.h"
#include "tools/hub/Environment.h"
#include "tools/retsetup/Installer.h"

#include <QBuffer>
#include <QByteArray>
#include <QSet>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace ret;
using namespace ret::import;

namespace {

// Fixed, so that an input found on one day replays the same on any other.
const QDate kToday(2026, 12, 10);
const QString kPeriod = QStringLiteral("201007");
const QString kDeclarant = QStringLiteral("20100070970");

// Keeps the installer's messages, shown only when the environment cannot be built.
class KeptMessages final : public MessageSink {
public:
    QStringList texts;
    MsgAnswer show(const Message& m) override {
        texts << m.text;
        return m.defaultAnswer;
    }
};

struct Environment {
    QTemporaryDir dir;
    KeptMessages messages;
    FieldRules rules{messages};
    std::unique_ptr<Database> db;
    QSet<QString> retentionTypes; // the payment voucher types a retention may name
    Decimal rate;
};
Environment* env = nullptr;

[[noreturn]] void broken(const char* what, const QString& text) {
    std::fprintf(stderr, "import line fuzz: %s\n  text: \"%s\"\n", what,
                 text.toUtf8().toStdString().c_str());
    std::abort();
}

#define EXPECT(cond, text)                                                                         \
    do {                                                                                           \
        if (!(cond))                                                                               \
            broken(#cond, text);                                                                   \
    } while (0)

bool fourDigits(const QString& code) {
    if (code.size() != 4)
        return false;
    for (const QChar c : code) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

bool digits(const QString& s) {
    for (const QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return !s.isEmpty();
}

// Base and amount: at most 12 integer places, one point, 15 characters.
bool amountShape(const QString& s) {
    for (const QChar c : s) {
        if (c != u'.' && (c < u'0' || c > u'9'))
            return false;
    }
    const qsizetype point = s.indexOf(u'.');
    return s.size() <= 15 && s.count(u'.') <= 1 && (point < 0 ? s.size() : point) <= 12;
}

// The error file explains every refusal, never with the text for an unknown code.
void checkRefusal(const QString& code, const QString& dato) {
    EXPECT(fourDigits(code), dato + QStringLiteral(" -> ") + code);
    EXPECT(!fixedErrorText(code).isEmpty() || !DescripcionError(*env->db, code.toInt()).isEmpty(),
           dato + QStringLiteral(" -> ") + code);
}

// What holds of one field check, whatever the checker saw before.
void checkField(FieldChecker& checker, int pos, QString dato) {
    const QString before = dato;
    const bool ok = checker.Val_Transf_CVS(dato, pos);
    if (!ok) {
        checkRefusal(checker.errorCode(), before);
        // a type is read zero-filled to two places
        if (pos == 9)
            EXPECT(!env->retentionTypes.contains(before.rightJustified(2, u'0')), before);
        return;
    }
    switch (pos) {
    case 0:
        EXPECT(dato == before && dato.size() == 11 && digits(dato) && dato != kDeclarant, before);
        break;
    case 1:
    case 2:
    case 3:
    case 4:
        // names are cut to their columns: 40 for a business name, 20 for the others
        EXPECT(dato.size() <= (pos == 1 ? 40 : 20), before);
        EXPECT(dato.isEmpty() || env->rules.IsValidNameText(dato), before);
        break;
    case 5:
    case 10: {
        // a letter or digit first, digits after it (no editing key: in a file it is a character)
        EXPECT(dato.size() == 4, before);
        EXPECT(serie::opensSerie(dato.at(0)), before);
        for (qsizetype i = 1; i < 4; ++i)
            EXPECT(serie::isDigit(dato.at(i)), before);
        break;
    }
    case 6:
        EXPECT(dato.size() == 8 && digits(dato), before);
        break;
    case 11:
        EXPECT((dato.size() == 8 || dato.size() == 15) && digits(dato), before);
        break;
    case 7:
    case 12: {
        const QDate d = readImportDate(dato);
        EXPECT(dato == before && d.isValid() && d <= kToday, before);
        const QString month = d.toString(QStringLiteral("yyyyMM"));
        EXPECT(pos == 7 ? month == kPeriod : month <= kPeriod, before);
        break;
    }
    case 8:
    case 13:
        EXPECT(dato == before && amountShape(dato) && !dato.startsWith(u'-'), before);
        break;
    case 9:
        EXPECT(dato == before.rightJustified(2, u'0') && env->retentionTypes.contains(dato),
               before);
        break;
    }
    // a normalised field passes again unchanged
    QString again = dato;
    EXPECT(checker.Val_Transf_CVS(again, pos) && again == dato, before);
}

// What holds of a line whose 14 fields all passed, in order.
void checkAcceptedLine(const QStringList& f) {
    const QString line = f.join(u'|');
    const bool company = f[0].startsWith(QLatin1String("20"));
    if (company) {
        EXPECT(!f[1].isEmpty() && f[2].isEmpty() && f[3].isEmpty() && f[4].isEmpty(), line);
    } else {
        EXPECT(f[1].isEmpty() && !f[2].isEmpty() && !f[3].isEmpty() && !f[4].isEmpty(), line);
    }
    EXPECT(f[11].size() == (f[9] == QLatin1String("99") ? 15 : 8), line);
    // the amounts as the staging computes them (a throw here would abort the whole run)
    const Decimal base = Decimal::leadingValue(f[8]);
    const Decimal amount = Decimal::leadingValue(f[13]);
    EXPECT(!base.isNegative() && !amount.isNegative(), line);
    EXPECT(!formatNumber(base * env->rate, QStringLiteral("###########0.#0")).isEmpty(), line);
    EXPECT(!(-amount).toShortString().isEmpty(), line);
}

// One line as the import reads it; `checker` is the run's, `loose` sees every field.
void checkLine(const FileLine& line, FieldChecker& checker, FieldChecker& loose) {
    const QString& text = line.text;
    // a line comes without its line end, whichever it was
    EXPECT(!text.contains(u'\r') && !text.contains(u'\n'), text);
    if (!line.usable)
        return; // a bad line: refused before any field check
    // the whole-file checks see the line that the field checks see
    EXPECT(line.separators == text.count(u'|'), text);
    EXPECT(!line.terminated || text.trimmed().isEmpty() || text.trimmed().endsWith(u'|'), text);

    const qsizetype bars = text.count(u'|');
    LineCutter cut(text);
    QStringList fields;
    while (const std::optional<QString> f = cut.next()) {
        const qsizetype k = fields.size();
        EXPECT(k <= bars, text);
        if (k < bars) {
            EXPECT(*f == text.section(u'|', int(k), int(k)).toUpper().trimmed(), *f);
        } else {
            // whatever follows the last "|" comes back as one empty field
            EXPECT(f->isEmpty() && !text.endsWith(u'|'), text);
        }
        fields << *f;
    }
    EXPECT(fields.size() == bars + (text.isEmpty() || text.endsWith(u'|') ? 0 : 1), text);

    // in order, stopping at the first refusal, as the import does
    QStringList accepted;
    for (int i = 0; i < kFields && i < fields.size(); ++i) {
        QString dato = fields[i];
        if (!checker.Val_Transf_CVS(dato, i)) {
            checkRefusal(checker.errorCode(), fields[i]);
            break;
        }
        accepted << dato;
    }
    if (accepted.size() == kFields)
        checkAcceptedLine(accepted);

    for (int i = 0; i < kFields && i < fields.size(); ++i)
        checkField(loose, i, fields[i]);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    env = new Environment;
    const QString path = env->dir.path();
    const QString laidOut = hub::prepareSampleEnvironment(path, QStringLiteral("CONTADOR"));
    const Profile profile(env->dir.filePath(QStringLiteral("HUB000.INI")));
    if (!laidOut.isEmpty() || setup::Installer(profile, env->messages).run() != 0) {
        std::fprintf(stderr, "no sample environment in %s: %s\n", qPrintable(path),
                     qPrintable(laidOut + env->messages.texts.join(u'\n')));
        std::exit(1);
    }
    env->db = Database::open(ReadConfiguration(Deliverable::MainProgram, profile).databasePath);
    // position 63 of a type's row marks it as one a retention may name
    Cursor types =
        env->db->query(QStringLiteral("SELECT argumento, funcion FROM PARAM WHERE numero = '233'"));
    while (types.next()) {
        if (ParamField(types.text(1), 63, 1) == QLatin1String("1"))
            env->retentionTypes.insert(types.text(0));
    }
    if (env->retentionTypes.isEmpty()) {
        std::fprintf(stderr, "the sample environment has no voucher types\n");
        std::exit(1);
    }
    env->rate = *Decimal::parse(QStringLiteral("0.06"));
    // The scratch environment goes when the run ends normally (after a crash it stays to look
    // at). Registered last, so that it runs before Qt's own exit handlers.
    std::atexit([] { delete env; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    // the log file gets every line back byte for byte, bad lines included
    EXPECT(cp1252::encode(cp1252::decode(input)) == input, cp1252::decode(input));
    // one checker per input, as one per run: its caches and remembered fields carry over lines
    FieldChecker checker(*env->db, env->rules, kDeclarant, kPeriod, kToday);
    FieldChecker loose(*env->db, env->rules, kDeclarant, kPeriod, kToday);
    QBuffer file(&input);
    file.open(QIODevice::ReadOnly);
    LineReader reader(file);
    FileLine line;
    qsizetype lines = 0;
    while (reader.next(line)) {
        checkLine(line, checker, loose);
        ++lines;
    }
    // every line end ends one line at most: the reader never makes lines out of nothing
    EXPECT(lines <= input.count('\r') + input.count('\n') + 1, cp1252::decode(input));
    return 0;
}
