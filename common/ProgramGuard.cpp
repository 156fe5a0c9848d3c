#include "common/ProgramGuard.h"

#include "common/DbError.h"
#include "common/Messages.h"

#include <QtGlobal>

#include <new>

namespace ret {
namespace {

// The old run-time's numbers for the failures that are not the database's.
constexpr int kOutOfMemory = 7;
constexpr int kInternal = 51;

QtMessageHandler toolkitHandler = nullptr;

void dropToolkitMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg && toolkitHandler != nullptr)
        toolkitHandler(type, context, text);
}

} // namespace

int runGuarded(MessageSink& messages, int failure, const std::function<int()>& work) {
    const QString title = QStringLiteral("Error");
    try {
        return work();
    } catch (const DbError& e) { // an amount's overflow included
        messages.inform(MsgIcon::None, e.text(), title);
    } catch (const std::bad_alloc&) {
        messages.inform(MsgIcon::None,
                        DbError(kOutOfMemory, QStringLiteral("Memoria insuficiente")).text(),
                        title);
    } catch (...) {
        messages.inform(MsgIcon::None, DbError(kInternal, QStringLiteral("Error interno")).text(),
                        title);
    }
    return failure;
}

void silenceToolkitLog() {
    if (qEnvironmentVariable("RET_TOOLKIT_LOG") != QLatin1String("1"))
        toolkitHandler = qInstallMessageHandler(dropToolkitMessage);
}

} // namespace ret
