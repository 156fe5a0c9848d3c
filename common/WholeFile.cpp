#include "common/WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <QStorageInfo>
#include <sys/stat.h>

#include <atomic>
#include <memory>

#include <cstdio>

#include <unistd.h>

namespace ret {
namespace {

FileWriteError failure(int number, const char* description, const QString& path) {
    return {number, QString::fromUtf8(description), path};
}

// Why a file could not be opened for writing: the platform's own text is English, so the
// condition is found out again and told in the old run-time's terms.
FileWriteError openFailure(const QString& path) {
    const QFileInfo info(path);
    if (!info.dir().exists())
        return failure(76, "No se ha encontrado la ruta de acceso", path);
    if (info.isDir())
        return failure(75, "Error de acceso a la ruta o el archivo", path);
    if (!QFileInfo(info.absolutePath()).isWritable() || (info.exists() && !info.isWritable()))
        return failure(70, "Permiso denegado", path);
    if (QStorageInfo(info.absolutePath()).bytesAvailable() == 0)
        return failure(61, "Disco lleno", path);
    return failure(75, "Error de acceso a la ruta o el archivo", path);
}

// Why the bytes did not all reach the file.
FileWriteError writeFailure(const QFileDevice& file, const QString& path, qint64 wanted) {
    const QStorageInfo storage(QFileInfo(path).absolutePath());
    if (file.error() == QFileDevice::ResourceError || storage.bytesAvailable() < wanted)
        return failure(61, "Disco lleno", path);
    return failure(57, "Error de E/S en el dispositivo", path);
}

} // namespace

QString FileWriteError::message() const {
    return QStringLiteral("No se pudo grabar el archivo ") + QDir::toNativeSeparators(path) +
           QStringLiteral(": ") + description + QLatin1Char('.');
}

QString FileWriteError::runTimeText() const {
    return QStringLiteral("Error ") + QString::number(number) + QLatin1Char('\n') + message();
}

bool restrictToUserAndGroup(int fd) {
    return ::fchmod(fd, kDataFileMode) == 0;
}

bool restrictToUserAndGroup(const QString& path) {
    return ::chmod(QFile::encodeName(path).constData(), kDataFileMode) == 0;
}

std::optional<FileWriteError> writeWholeFile(const QString& path, const QByteArray& bytes) {
    return writeWholeFiles({{path, bytes}});
}

std::optional<FileWriteError> writeWholeFiles(const std::vector<WholeFileContents>& files) {
    std::vector<std::unique_ptr<QSaveFile>> scratch;
    for (const auto& [path, bytes] : files) {
        auto& file = scratch.emplace_back(std::make_unique<QSaveFile>(path));
        if (!file->open(QIODevice::WriteOnly) || !restrictToUserAndGroup(file->handle()))
            return openFailure(path);
        // commit() renames the scratch file even when its last flush failed: every step is
        // checked here, and a scratch file that is not whole is discarded with the others
        if (file->write(bytes) != bytes.size() || !file->flush() ||
            file->error() != QFileDevice::NoError) {
            const FileWriteError e = writeFailure(*file, path, bytes.size());
            for (auto& f : scratch)
                f->cancelWriting();
            return e;
        }
    }
    for (size_t i = 0; i < scratch.size(); ++i) {
        if (!scratch[i]->commit())
            return openFailure(files[i].first);
    }
    return std::nullopt;
}

namespace {

// A name no other program or scratch file of this one uses at the same moment; a leading dot
// keeps it out of a plain directory listing.
QString scratchName(const QString& directory) {
    static std::atomic<unsigned> next{0};
    return QDir(directory).filePath(
        QStringLiteral(".ret-%1-%2.parcial").arg(::getpid()).arg(next.fetch_add(1)));
}

} // namespace

ScratchFile::ScratchFile(const QString& directory) : file_(scratchName(directory)) {
    // NewOnly: never another's file; its user's and the office's group's only
    opened_ = file_.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
              restrictToUserAndGroup(file_.handle());
}

ScratchFile::~ScratchFile() {
    if (opened_ && !committed_) {
        file_.close();
        file_.remove();
    }
}

std::optional<FileWriteError> ScratchFile::commitAs(const QString& path) {
    if (!opened_)
        return openFailure(path);
    const qint64 size = file_.pos();
    const bool whole = file_.flush() && !file_.cutShort() &&
                       file_.error() == QFileDevice::NoError && ::fsync(file_.handle()) == 0;
    if (!whole)
        return writeFailure(file_, path, size);
    file_.close();
    if (::rename(QFile::encodeName(file_.fileName()).constData(),
                 QFile::encodeName(path).constData()) != 0)
        return openFailure(path);
    committed_ = true;
    return std::nullopt;
}

std::optional<FileWriteError> appendToFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    const bool created = !file.exists();
    // unbuffered, so that a failed write can be cut back at once
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered) ||
        (created && !restrictToUserAndGroup(file.handle())))
        return openFailure(path);
    const qint64 before = file.size();
    if (file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        const FileWriteError e = writeFailure(file, path, bytes.size());
        file.resize(before);
        return e;
    }
    return std::nullopt;
}

} // namespace ret
