// Importing a large file: 100,000 lines with 5,000 suppliers, 20,000 retention vouchers and a
// few hundred refused lines; next to the engine inserting the same staged rows itself; and the
// peak memory, which stays flat when the file grows ten times.
//   build/bin/import_bench [lines]
#include "bench/BenchEnvironment.h"
#include "common/Database.h"
#include "common/Session.h"
#include "import/ImportRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>

#include <cstdio>

using namespace ret;

namespace {

QString withCheckDigit(const QString& ten) {
    static constexpr int w[] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    for (int i = 0; i < 10; ++i)
        sum += (ten.at(i).unicode() - '0') * w[i];
    return ten + QString::number((11 - sum % 11) % 10);
}

// Lines of 5,000 suppliers with 4 vouchers each, every voucher behind `lines` / 20,000 payment
// vouchers; one line in 300 has a base of 0 and is refused.
void writeFile(const QString& path, int lines) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    const int perVoucher = std::max(1, lines / 20000);
    int written = 0;
    for (int s = 0; s < 5000 && written < lines; ++s) {
        const QString ruc = withCheckDigit(QStringLiteral("20%1").arg(s + 100, 8, 10, QChar('0')));
        for (int v = 1; v <= 4 && written < lines; ++v) {
            for (int p = 1; p <= perVoucher && written < lines; ++p, ++written) {
                const QString base =
                    written % 300 == 7 ? QStringLiteral("0") : QStringLiteral("1000.00");
                f.write(QStringLiteral("%1|PROVEEDOR %2 SAC||||E001|%3|20/07/2010|%4|01|F001|%5|"
                                       "20/07/2010|100.00|\r\n")
                            .arg(ruc)
                            .arg(s)
                            .arg(v)
                            .arg(base)
                            .arg(p)
                            .toLatin1());
            }
        }
    }
}

long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    bench::BenchEnvironment env;
    if (!env.prepare())
        return 1;
    auto db = env.openDatabase();
    Session session;
    env.attach(session, *db);
    session.CurrentRuc = QStringLiteral("20100070970");
    session.CurrentPeriod = QStringLiteral("201007");
    session.RetentionRate = QStringLiteral("0.06");
    session.RetentionKind = QStringLiteral("R");
    QDir().mkpath(env.filePath("in"));
    writeFile(env.filePath("in/094720100070970201007.TXT"), lines);

    const long before = peakKb();
    QElapsedTimer t;
    t.start();
    const import::RunResult r = import::Transferencia(session, env.filePath("in"));
    import::CalcularTot(session);
    const double run = double(t.nsecsElapsed()) / 1e9;
    const long after = peakKb();

    // the engine alone: the same staged rows, read beforehand, inserted by prepared statements
    // in one transaction
    std::vector<std::pair<QString, std::vector<QVariantList>>> staged;
    for (const char* table : {"TMPF947RPCAB", "TMPF947RPDET", "TMPF947RPDETDET"}) {
        std::vector<QVariantList> rows;
        Cursor c = db->query(QStringLiteral("SELECT * FROM ") + QLatin1String(table));
        while (c.next()) {
            QVariantList row;
            for (int i = 0; i < c.record().count(); ++i)
                row << c.value(i);
            rows.push_back(row);
        }
        db->execute(QStringLiteral("CREATE TABLE copia_%1 AS SELECT * FROM %1 WHERE 1 = 0")
                        .arg(QLatin1String(table)));
        staged.emplace_back(QLatin1String(table), std::move(rows));
    }
    t.restart();
    {
        Transaction tx(*db);
        for (const auto& [table, rows] : staged) {
            const int n = rows.empty() ? 0 : int(rows.front().size());
            QStringList marks;
            for (int i = 0; i < n; ++i)
                marks << QStringLiteral("?");
            Statement insert = db->prepare(
                QStringLiteral("INSERT INTO copia_%1 VALUES (%2)").arg(table, marks.join(',')));
            for (const QVariantList& row : rows)
                insert.execute(row);
        }
        tx.commit();
    }
    const double engine = double(t.nsecsElapsed()) / 1e9;
    std::printf("%d lines: %d accepted, %d refused; %d subjects, %d vouchers, %d payment "
                "vouchers staged\n",
                lines, r.accepted, r.rejected,
                db->scalar("SELECT count(*) FROM TMPF947RPCAB")->toInt(),
                db->scalar("SELECT count(*) FROM TMPF947RPDET")->toInt(),
                db->scalar("SELECT count(*) FROM TMPF947RPDETDET")->toInt());
    std::printf("import: %.3f s (the engine inserting the staged rows in one transaction: %.3f s, "
                "ratio %.1f)\n",
                run, engine, run / engine);
    std::printf("peak memory: %ld KB before the run, %ld KB after\n", before, after);
    return 0;
}
