// The annex report of a large declaration: 5,000 subjects, 20,000 retention vouchers and
// 50,000 payment vouchers, composed into its file; prints the time, the file size and pages.
//   build/bin/annex_bench
#include "bench/BenchEnvironment.h"
#include "common/Configuration.h"
#include "common/Database.h"
#include "reports/Compose.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

using namespace ret;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::BenchEnvironment env;
    if (!env.prepare())
        return 1;
    const Configuration config = env.configuration();
    auto db = env.openDatabase();

    const QString ruc = QStringLiteral("20100070970");
    const QString period = QStringLiteral("201007");
    constexpr int kSubjects = 5000;
    {
        Transaction tx(*db);
        Statement subject = db->prepare(
            "INSERT INTO F947RPCAB VALUES (6, ?, ?, '0947', 'R', 6, ?, ?, NULL, NULL, NULL, 4, "
            "'400.00', '24.00', 1, '000000')");
        Statement voucher = db->prepare(
            "INSERT INTO F947RPDET VALUES (6, ?, ?, '0947', 'R', 6, ?, 'E001', ?, '2010-07-05', "
            "'100.00', '0.06', '6.00', '000000')");
        Statement payment = db->prepare(
            "INSERT INTO F947RPDETDET VALUES (6, ?, ?, '0947', ?, 'E001', ?, '01', 'F001', ?, "
            "'2010-07-01', '40.00', '000000')");
        int payments = 0;
        for (int s = 0; s < kSubjects; ++s) {
            const QString sruc = QStringLiteral("2%1").arg(s, 10, 10, QLatin1Char('0'));
            subject.execute({ruc, period, sruc, QStringLiteral("PROVEEDOR %1 S.A.").arg(s)});
            for (int v = 0; v < 4; ++v) {
                const QString number = QStringLiteral("%1").arg(v + 1, 8, 10, QLatin1Char('0'));
                voucher.execute({ruc, period, sruc, number});
                // 50,000 payment vouchers over 20,000 vouchers: 3, 2, 3, 2
                for (int p = 0; p < (v % 2 == 0 ? 3 : 2); ++p, ++payments)
                    payment.execute({ruc, period, sruc, number,
                                     QStringLiteral("%1").arg(p + 1, 8, 10, QLatin1Char('0'))});
            }
        }
        db->execute("UPDATE DET SET i_valor = ? WHERE casilla = '501'",
                    {QString::number(kSubjects)});
        if (db->execute("INSERT INTO DET SELECT 6, ?, ?, '0947', '501', 0, ?, '', '000000' "
                        "WHERE NOT EXISTS (SELECT 1 FROM DET WHERE casilla = '501' AND "
                        "doc_id_d = ? AND periodo = ?)",
                        {ruc, period, QString::number(kSubjects), ruc, period}) < 0)
            return 1;
        tx.commit();
        std::printf("data: %d subjects, %d vouchers, %d payment vouchers\n", kSubjects,
                    kSubjects * 4, payments);
    }

    reports::ComposeSettings s;
    s.kind = reports::ReportKind::Annex;
    s.reportPath = joinPath(config.reportDirectory, QStringLiteral("00000001.PRN"));
    s.id.ruc = ruc;
    s.id.period = period;
    s.name = QStringLiteral("EMPRESA DE PRUEBA");
    int pages = 0;
    QElapsedTimer t;
    t.start();
    const bool ok = reports::GenerarReporte(*db, s, env.messages, &pages);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    std::printf("annex composed in %.0f ms (goal 1000 ms): %s, %lld bytes, %d pages\n", ms,
                ok ? "ok" : "FAILED", qint64(QFileInfo(s.reportPath).size()), pages);
    return ok ? 0 : 1;
}
