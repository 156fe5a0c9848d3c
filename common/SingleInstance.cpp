#include "common/SingleInstance.h"

#include <QDir>

#include <unistd.h>

namespace ret {

SingleInstance::SingleInstance(const QString& program) {
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QDir::tempPath() + QStringLiteral("/velkar-%1").arg(::getuid());
    QDir().mkpath(dir);
    path_ = dir + QLatin1Char('/') + program + QStringLiteral(".lock");
}

bool SingleInstance::acquire() {
    lock_ = std::make_unique<QLockFile>(path_);
    lock_->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (lock_->tryLock(0))
        return true;
    lock_.reset();
    return false;
}

} // namespace ret
