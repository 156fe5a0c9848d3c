// Opening the registered-declarations list with many declarations of the user's contributors.
//   build/bin/list_bench [declarations]
#include "app/DeclarationList.h"
#include "bench/BenchEnvironment.h"
#include "common/Database.h"
#include "common/Session.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace ret;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int declarations = argc > 1 ? std::atoi(argv[1]) : 10000;

    bench::BenchEnvironment env;
    if (!env.prepare())
        return 1;
    auto db = env.openDatabase();

    // 100 contributors of the user with a declaration for each of 100 periods
    const int contributors = 100;
    QElapsedTimer t;
    t.start();
    {
        Transaction tx(*db);
        Statement cont = db->prepare("INSERT INTO CONT VALUES (6, ?, 'CONTADOR', ?)");
        Statement cab = db->prepare("INSERT INTO CAB (tip_doc_d, doc_id_d, periodo, formulario, "
                                    "estado, rectifica) VALUES (6, ?, ?, '0947', 0, '0')");
        for (int c = 0; c < contributors; ++c) {
            const QString ruc = QStringLiteral("205%1").arg(c, 8, 10, QLatin1Char('0'));
            cont.execute({ruc, QStringLiteral("EMPRESA %1 S.A.").arg(c)});
            for (int p = 0; p < declarations / contributors; ++p) {
                const int year = 2002 + (p + 5) / 12;
                const int month = (p + 5) % 12 + 1;
                cab.execute({ruc, QStringLiteral("%1%2").arg(year).arg(month, 2, 10, QChar('0'))});
            }
        }
        tx.commit();
    }
    const double insert = double(t.nsecsElapsed()) / 1e9;

    Session session;
    session.db = db.get();
    session.messages = &env.messages;
    session.config.currentUser = QStringLiteral("CONTADOR");
    session.OperationMode = 1;

    t.restart();
    DeclarationList list(session, ListKind::Registered);
    list.load();
    const double open = double(t.nsecsElapsed()) / 1e9;
    t.restart();
    list.headerClicked(1);
    const double sorted = double(t.nsecsElapsed()) / 1e9;
    std::printf("registered list: %d rows opened in %.3f s, sorted by name in %.3f s\n",
                list.rowCount(), open, sorted);
    std::printf("engine alone inserting those rows: %.3f s (ratio %.2f)\n", insert, open / insert);
    return 0;
}
