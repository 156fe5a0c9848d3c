#include "common/SingleInstance.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace ret {

SingleInstance::SingleInstance(const QString& program, const QString& database) {
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QDir::tempPath() + QStringLiteral("/velkar-%1").arg(::getuid());
    QDir().mkpath(dir);
    QString name = program;
    if (!database.isEmpty()) {
        // the same file however its path is written; a server's connection string as it is
        const bool server = database.contains(QLatin1Char('='));
        const QByteArray where = (server ? database.simplified()
                                         : QDir::cleanPath(QFileInfo(database).absoluteFilePath()))
                                     .toUtf8();
        name += QLatin1Char('-') +
                QString::fromLatin1(
                    QCryptographicHash::hash(where, QCryptographicHash::Sha1).toHex().left(16));
    }
    path_ = dir + QLatin1Char('/') + name + QStringLiteral(".lock");
}

namespace {

// A copy writes its process id right after it creates the lock file; one that names no owner
// after this long was killed in between, and nobody holds the lock.
constexpr qint64 kOwnerWrittenWithinSeconds = 5;

bool namesNoOwnerForLong(const QLockFile& lock, const QString& path) {
    qint64 pid = 0;
    QString host;
    QString app;
    if (lock.getLockInfo(&pid, &host, &app))
        return false;
    const QFileInfo file(path);
    return file.exists() &&
           file.lastModified().secsTo(QDateTime::currentDateTime()) > kOwnerWrittenWithinSeconds;
}

} // namespace

bool SingleInstance::acquire() {
    lock_ = std::make_unique<QLockFile>(path_);
    lock_->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (lock_->tryLock(0))
        return true;
    if (namesNoOwnerForLong(*lock_, path_) && lock_->removeStaleLockFile() && lock_->tryLock(0))
        return true;
    lock_.reset();
    return false;
}

} // namespace ret
