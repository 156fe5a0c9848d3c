// The annex report of a large declaration: 5,000 subjects, 20,000 retention vouchers and
// 50,000 payment vouchers (or as many as asked), composed into its file; prints the time, the
// file size and pages. With --pdf, then the program itself prints the annex to PDF
// (`retdecl --print ... anexos --pdf`), and its time, peak memory and pages are printed.
//   build/bin/annex_bench [payment vouchers] [--pdf]
//   build/bin/annex_bench
#include "bench/BenchEnvironment.h"
#include "bench/PdfReadBack.h"
#include "common/Configuration.h"
#include "common/Database.h"
#include "reports/Compose.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

using namespace ret;

namespace {

constexpr int kVouchers = 20000;

// Payment vouchers of voucher `i` when `total` are spread evenly over the vouchers.
int paymentsOf(int i, int total) {
    const int rest = total % kVouchers;
    return total / kVouchers + ((i + 1) * rest / kVouchers - i * rest / kVouchers);
}

struct ChildRun {
    int status = -1;
    double seconds = 0;
    long peakKb = 0;
};

// Runs a program to its end with the environment given added to this one's.
ChildRun runChild(const QStringList& command, const QStringList& environment) {
    std::vector<QByteArray> args;
    for (const QString& a : command)
        args.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    for (const QString& e : environment)
        env.push_back(e.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    ChildRun run;
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return run;
    rusage usage{};
    if (wait4(pid, &run.status, 0, &usage) != pid)
        return run;
    run.seconds = double(t.nsecsElapsed()) / 1e9;
    run.peakKb = usage.ru_maxrss;
    return run;
}

// The program printing the annex to PDF, as a person runs it.
int printToPdf(const bench::BenchEnvironment& env, const QString& ruc, const QString& period) {
    const QString pdf = env.filePath(QStringLiteral("anexo.pdf"));
    const ChildRun r =
        runChild({QCoreApplication::applicationDirPath() + QStringLiteral("/retdecl"),
                  QStringLiteral("--print"), ruc, period, QStringLiteral("anexos"),
                  QStringLiteral("--pdf"), pdf},
                 {QStringLiteral("HUB000_INI=") + env.filePath(QStringLiteral("HUB000.INI")),
                  QStringLiteral("RET_HEADLESS=1"), QStringLiteral("QT_QPA_PLATFORM=offscreen")});
    if (r.status != 0) {
        std::printf("retdecl --print anexos --pdf FAILED (status %d)\n", r.status);
        return 1;
    }
    const int pages = bench::pdfPages(pdf);
    std::printf("retdecl --print anexos --pdf: %.2f s, peak memory %.1f MB (goal 60 MB), %d pages, "
                "%.2f ms a page (goal 1 ms), %lld bytes\n",
                r.seconds, double(r.peakKb) / 1024, pages, pages > 0 ? r.seconds * 1e3 / pages : 0,
                qint64(QFileInfo(pdf).size()));
    return pages > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int total = 50000;
    bool pdf = false;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--pdf") == 0)
            pdf = true;
        else
            total = std::atoi(argv[i]);
    }
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
                const int these = paymentsOf(s * 4 + v, total);
                for (int p = 0; p < these; ++p, ++payments)
                    payment.execute({ruc, period, sruc, number,
                                     QStringLiteral("%1").arg(p + 1, 8, 10, QLatin1Char('0'))});
            }
        }
        // the declaration in the user's registered list, for the program's print
        db->execute("INSERT INTO CAB (tip_doc_d, doc_id_d, periodo, formulario, estado, "
                    "cnumero) SELECT 6, ?, ?, '0947', '1', '000000' WHERE NOT EXISTS (SELECT 1 "
                    "FROM CAB WHERE doc_id_d = ? AND periodo = ?)",
                    {ruc, period, ruc, period});
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
    std::printf("annex composed in %.0f ms (goal 400 ms): %s, %lld bytes, %d pages\n", ms,
                ok ? "ok" : "FAILED", qint64(QFileInfo(s.reportPath).size()), pages);
    if (!ok)
        return 1;
    return pdf ? printToPdf(env, ruc, period) : 0;
}
