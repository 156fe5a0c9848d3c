#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace ret::test {

// A small file system of its own mounted on a directory for one test, so that a full disk is
// met for real (the kernel's "no space left"). Mounting needs root; a test skips when the
// machine does not allow it (GTEST_SKIP in the test when !mounted()).
class SmallDisk {
public:
    explicit SmallDisk(const QString& directory, int kib = 64) : dir_(directory) {
        QDir().mkpath(dir_);
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_).constData(), "tmpfs", 0,
                           options.constData()) == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }

    // Takes every free byte with a filler file; returns false when it could not.
    bool fill() const {
        const QByteArray path = QFile::encodeName(dir_ + QStringLiteral("/relleno"));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'x');
        while (::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        while (::write(fd, block.constData(), 1) > 0) {
        }
        ::close(fd);
        return true;
    }

private:
    QString dir_;
    bool mounted_ = false;
};

// Files of this process (and of the programs it starts) cannot grow past `bytes` while it
// lives: a write beyond fails with "file too large" instead of raising SIGXFSZ. Needs no root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

} // namespace ret::test
