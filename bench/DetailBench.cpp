// The detail windows on a large declaration: with 5,000 subjects staged, opening a subject of
// 1,000 vouchers, adding one more voucher and returning, then returning to the declaration.
//   build/bin/detail_bench
#include "bench/BenchEnvironment.h"
#include "common/Database.h"
#include "common/Session.h"
#include "common/Windows.h"
#include "declaration/Frm947.h"
#include "detail/FrmAgeRet.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>

using namespace ret;

namespace {

// Plays the windows opened from the one measured.
class PlayedWindows final : public WindowOpener {
public:
    std::function<void(Window)> play;
    void open(Window w) override {
        if (play)
            play(w);
    }
    void openHelp(int) override {}
};

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::BenchEnvironment env;
    if (!env.prepare())
        return 1;
    auto db = env.openDatabase();

    PlayedWindows windows;
    Session session;
    env.attach(session, *db);
    session.windows = &windows;
    session.OperationMode = 0;

    Frm947 declaration(session);
    declaration.load();
    declaration.chooseContributor(0);
    declaration.chooseModality(0);
    declaration.setPeriodText(QStringLiteral("07/2010"));

    const QString big = QStringLiteral("20512345671");
    {
        Transaction tx(*db);
        Statement s = db->prepare("INSERT INTO TMPF947RPCAB VALUES ('R', 6, ?, 'PROVEEDOR', NULL, "
                                  "NULL, NULL, 1, '10.00', '0.60', NULL)");
        Statement v = db->prepare("INSERT INTO TMPF947RPDET VALUES ('R', 6, ?, 'E001', ?, "
                                  "'2010-07-05', ?, '', ?)");
        for (int i = 0; i < 5000; ++i) {
            const QString ruc = i == 0 ? big : QStringLiteral("10%1").arg(i, 9, 10, QChar('0'));
            s.execute({ruc});
            const int vouchers = i == 0 ? 1000 : 1;
            for (int j = 1; j <= vouchers; ++j)
                v.execute({ruc, QString::number(j).rightJustified(8, '0'),
                           QStringLiteral("1000.00"), QStringLiteral("60.00")});
        }
        tx.commit();
    }
    declaration.activate();
    for (size_t i = 0; i < declaration.subjects().size(); ++i) {
        if (declaration.subjects()[i].ruc == big)
            declaration.setCurrentSubject(int(i));
    }

    double open = 0;
    double back = 0;
    windows.play = [&](Window w) {
        if (w == Window::FrmDetAgeRet) { // the voucher window stages one more voucher
            db->execute("INSERT INTO TMPF947RPDET VALUES ('R', 6, ?, 'E001', '00001001', "
                        "'2010-07-05', '1000.00', '', '60.00')",
                        {big});
            return;
        }
        if (w != Window::FrmAgeRet)
            return;
        QElapsedTimer t;
        t.start();
        FrmAgeRet subject(session);
        subject.load();
        open = ms(t);
        t.restart();
        subject.nuevo();
        back = ms(t);
        std::printf("subject of 1,000 vouchers opened in %.1f ms; one more voucher and back in "
                    "%.1f ms (now %zu vouchers, totals %s / %s)\n",
                    open, back, subject.vouchers().size(), qPrintable(subject.totalBase()),
                    qPrintable(subject.totalRetention()));
        subject.aceptar();
    };
    QElapsedTimer whole;
    whole.start();
    declaration.modificar(); // opens the subject window, then refreshes the declaration's list
    const double total = ms(whole);
    std::printf("back in the declaration window: list of %zu subjects and totals refreshed in "
                "%.1f ms\n",
                declaration.subjects().size(), total - open - back);
    return 0;
}
