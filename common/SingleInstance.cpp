#include "common/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace ret {

SingleInstance::SingleInstance(const QString& program, const QString& database)
    : program_(program) {
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

SingleInstance::~SingleInstance() {
    release();
}

void SingleInstance::release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::optional<QString> SingleInstance::holder() const {
    const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    QByteArray text(256, '\0');
    const ssize_t n = ::pread(fd, text.data(), size_t(text.size()), 0);
    ::close(fd);
    if (!held)
        return std::nullopt;
    const QStringList owner = QString::fromUtf8(text.left(n > 0 ? n : 0)).split('\n');
    if (owner.size() < 3)
        return program_;
    return QStringLiteral("%1, proceso %2 en %3").arg(owner[1], owner[0], owner[2]);
}

bool SingleInstance::acquire() {
    release();
    // close-on-exec: the programs a copy starts (a sending's retcheck and retsumm) do not
    // inherit its lock
    const int fd = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    // who holds it, for whoever looks: process id, program, host
    const QByteArray owner = QByteArray::number(qint64(::getpid())) + '\n' + program_.toUtf8() +
                             '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
    const bool described =
        ::ftruncate(fd_, 0) == 0 &&
        ::pwrite(fd_, owner.constData(), size_t(owner.size()), 0) == owner.size();
    Q_UNUSED(described) // the lock holds all the same without its owner's description
    return true;
}

} // namespace ret
