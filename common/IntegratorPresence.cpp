#include "common/IntegratorPresence.h"

#include <QLocalSocket>

#include <unistd.h>

namespace ret {

QString presenceName(const QString& title) {
    // hex keeps every character of the title (blanks, case, accents) and fits a socket name
    return QStringLiteral("velkar-presence-%1-%2")
        .arg(::getuid())
        .arg(QString::fromLatin1(title.toUtf8().toHex()));
}

bool CorreApp(const QString& title) {
    QLocalSocket socket;
    socket.connectToServer(presenceName(title));
    // a local connect is answered at once; the wait only covers a busy listener
    const bool present = socket.waitForConnected(1000);
    socket.abort();
    return present;
}

} // namespace ret
