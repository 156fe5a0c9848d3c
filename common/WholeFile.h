#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace ret {

// Files that hold taxpayers' data are their user's and the office's group's only (read and
// write), whatever the umask: every file the module writes, its database and its backups.
constexpr unsigned kDataFileMode = 0660;
// Gives an open file, or a path, that mode; false when it could not.
bool restrictToUserAndGroup(int fd);
bool restrictToUserAndGroup(const QString& path);

// Why a file could not be written, in the old run-time's numbers and Spanish texts: 61 disk
// full, 70 permission denied, 75 path or file access error, 76 path not found, 57 device
// input/output error.
struct FileWriteError {
    int number = 0;
    QString description; // "Disco lleno", ...
    QString path;        // the file that was to be written

    // "No se pudo grabar el archivo <path>: <description>."
    QString message() const;
    // "Error <number>", a line feed and the message: how the send tools tell it.
    QString runTimeText() const;
};

// Replaces the file at `path` with `bytes` whole or not at all: the bytes go to a scratch file
// beside it that takes the file's place only once every byte of it is on disk. On failure the
// file that was there (if any) is left as it was.
std::optional<FileWriteError> writeWholeFile(const QString& path, const QByteArray& bytes);

using WholeFileContents = std::pair<QString, QByteArray>; // a path and its bytes

// Files that belong together: each is written whole beside its place first, and they take
// their places only once every one of them is whole, so that when one cannot be written none
// of them changes (only a failed rename at the very end could part them).
std::optional<FileWriteError> writeWholeFiles(const std::vector<WholeFileContents>& files);

// A file written piece by piece that takes its place whole or not at all: the pieces go to a
// scratch file of a name of its own in the directory of that place, and only `commitAs` puts it
// there, replacing the file that was. One never committed is removed. A report of thousands of
// pages is so written as it is composed, without being held in memory first.
class ScratchFile {
public:
    explicit ScratchFile(const QString& directory);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Where the pieces go. When the scratch file could not be created it takes nothing, and
    // `commitAs` says why.
    QIODevice& device() { return file_; }
    // Makes the file whole on disk and puts it at `path`. The failure is told as one of
    // writing `path`: the directory missing, the disk full, a write that failed on the way.
    std::optional<FileWriteError> commitAs(const QString& path);

private:
    // A file that remembers a write of which not every byte went out: a large write passes the
    // buffer and can stop short without an error being set.
    class File : public QFile {
    public:
        using QFile::QFile;
        bool cutShort() const { return cutShort_; }

    protected:
        qint64 writeData(const char* data, qint64 size) override {
            const qint64 written = QFile::writeData(data, size);
            cutShort_ = cutShort_ || written != size;
            return written;
        }

    private:
        bool cutShort_ = false;
    };

    File file_;
    bool opened_ = false;
    bool committed_ = false;
};

// Adds `bytes` at the end of the file (created when missing). On failure the file is cut back
// to what it held before, so that no half line is left in it.
std::optional<FileWriteError> appendToFile(const QString& path, const QByteArray& bytes);

} // namespace ret
