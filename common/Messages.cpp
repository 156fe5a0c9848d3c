#include "common/Messages.h"

#include <QtGlobal>

#include <cstdio>

namespace ret {

MsgAnswer HeadlessMessages::show(const Message& message) {
    QString text = message.text;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    const QByteArray line =
        (QLatin1Char('[') + message.title + QLatin1String("] ") + text).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    return message.defaultAnswer;
}

bool headlessRequested() {
    if (qEnvironmentVariable("RET_HEADLESS") == QLatin1String("1"))
        return true;
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platform.startsWith(QLatin1String("offscreen")) ||
        platform.startsWith(QLatin1String("minimal")))
        return true; // a box there would wait for a click nobody can give
    if (!platform.isEmpty())
        return false;
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace ret
