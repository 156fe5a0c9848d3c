// Saving and opening a large declaration, next to the time the engine itself needs to insert
// the same rows in one transaction.
//   build/bin/declaration_bench [subjects] [vouchers per subject]
// Payment vouchers: 3 behind every even voucher and 2 behind every odd one (50,000 for the
// default 5,000 subjects with 4 vouchers each).
#include "bench/BenchEnvironment.h"
#include "common/Backup.h"
#include "common/ChangeRecord.h"
#include "common/Database.h"
#include "common/ServerBackup.h"
#include "declaration/DeclarationStore.h"
#include "tools/retcheck/Checks.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace ret;

namespace {

QString ruc(int i) {
    return QStringLiteral("10%1").arg(i, 9, 10, QLatin1Char('0'));
}

QString number(int n) {
    return QString::number(n).rightJustified(8, QLatin1Char('0'));
}

// Writes the detail through three statements: the staging tables, or (baseline) the module
// tables with their declaration key and a fixed check value.
void writeDetail(Database& db, int subjects, int vouchers, bool staging) {
    const QString key =
        staging ? QString() : QStringLiteral("6, '20100070970', '201008', '0947', ");
    const QString check = staging ? QString() : QStringLiteral(", '000000'");
    Transaction tx(db);
    Statement s = db.prepare(
        QStringLiteral("INSERT INTO %1F947RPCAB VALUES (%2'R', 6, ?, NULL, 'APELLIDO', 'MATERNO', "
                       "'NOMBRES', ?, '4000.00', '240.00', 1%3)")
            .arg(staging ? "TMP" : "", key, check));
    Statement v = db.prepare(
        QStringLiteral("INSERT INTO %1F947RPDET VALUES (%2'R', 6, ?, 'E001', ?, ?, '1000.00', "
                       "'0.06', '60.00'%3)")
            .arg(staging ? "TMP" : "", key, check));
    Statement p = db.prepare(QStringLiteral("INSERT INTO %1F947RPDETDET VALUES (%2?, 'E001', ?, "
                                            "'01', 'F001', ?, ?, '400.00'%3)")
                                 .arg(staging ? "TMP" : "", key, check));
    for (int i = 0; i < subjects; ++i) {
        s.execute({ruc(i), vouchers});
        for (int j = 0; j < vouchers; ++j) {
            v.execute({ruc(i), number(j + 1), QDate(2010, 7, 5)});
            for (int k = 0; k < (j % 2 == 0 ? 3 : 2); ++k)
                p.execute({ruc(i), number(j + 1), number(k + 1), QDate(2010, 7, 1)});
        }
    }
    tx.commit();
}

double seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int subjects = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int vouchers = argc > 2 ? std::atoi(argv[2]) : 4;

    bench::BenchEnvironment env;
    if (!env.prepare()) {
        std::fprintf(stderr, "cannot prepare the environment: %s\n", qPrintable(env.problem()));
        return 1;
    }
    auto db = env.openDatabase();
    writeDetail(*db, subjects, vouchers, true);
    const int payments = db->scalar("SELECT count(*) FROM TMPF947RPDETDET")->toInt();

    SaveInput in;
    in.id.ruc = QStringLiteral("20100070970");
    in.id.period = QStringLiteral("201007");
    in.boxes = {{401, "1,200,000"}, {405, "1,200,000"}, {410, "1,200,000"}};
    in.payment.formapago = QStringLiteral("E");
    in.payment.importe = QStringLiteral("1,200,000");
    in.rectification = QStringLiteral("0");
    in.modalityCode = QStringLiteral("01");
    in.retentionRate = QStringLiteral("0.06");
    in.subjectCount = QString::number(subjects);

    QElapsedTimer t;
    t.start();
    saveDeclaration(*db, in, QDate::currentDate());
    const double save = seconds(t);

    // what the save's record costs: a digest of the stored rows' check values, taken before
    // and after every save
    t.restart();
    const QString digest = storedDigest(*db, recordKey(in.id));
    const double digesting = seconds(t);

    // a proven backup of the whole database: the engine's online copy on the file, pg_dump's
    // archive on a server
    t.restart();
    const BackupOutcome backup =
        db->dialect().engine() == SqlDialect::Engine::Sqlite
            ? backupDatabase(*db, env.filePath("respaldo.db"))
            : serverBackup(*db, env.serverDatabase(), env.filePath("respaldo.dump"));
    const double backingUp = seconds(t);
    const qint64 provenRows = backup.rows;
    if (!backup.ok())
        std::fprintf(stderr, "backup: %s\n", qPrintable(backup.problem));

    CommandRecord record;
    record.documentType = QStringLiteral("06");
    record.documentNumber = in.id.ruc;
    record.form = in.id.form;
    record.period = in.id.period;
    t.restart();
    const auto found = check::runChecks(*db, record);
    const double verify = seconds(t);

    t.restart();
    loadDetail(*db, in.id);
    const auto list = stagedSubjects(*db);
    const auto totals = stagedTotals(*db);
    const double open = seconds(t);

    t.restart();
    writeDetail(*db, subjects, vouchers, false);
    const double engine = seconds(t);

    std::printf("%d subjects, %d vouchers, %d payment vouchers\n", subjects, subjects * vouchers,
                payments);
    std::printf("save:  %.3f s  (engine alone inserting the same rows: %.3f s, ratio %.1f)\n", save,
                engine, save / engine);
    std::printf("open:  %.3f s  (staging, list of %zu, totals %s / %s; ratio %.1f)\n", open,
                list.size(), qPrintable(totals.first), qPrintable(totals.second), open / engine);
    std::printf("digest: %.3f s  (of the stored rows' check values, %s...; ratio %.2f)\n",
                digesting, qPrintable(digest.left(12)), digesting / engine);
    std::printf("backup: %.3f s  (the copy and its proof, %lld rows checked)\n", backingUp,
                static_cast<long long>(provenRows));
    std::printf("check: %.3f s  (the send-verification checks, %zu inconsistencies)\n", verify,
                found.size());
    return 0;
}
