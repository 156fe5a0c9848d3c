#pragma once

#include <QString>

#include <optional>

namespace ret {

// The "previous instance" check: one running copy of a program per user and database, so that
// copies working on two databases (two offices' environments) do not refuse each other. The
// lock is the operating system's lock on a file, held as long as this object lives and let go
// by the kernel when the process ends, however it ends: a copy killed at any moment never
// blocks the next one.
class SingleInstance {
public:
    // `database` is the shared database's path, or its server's connection string; empty when
    // it is not known (no profile yet).
    explicit SingleInstance(const QString& program, const QString& database = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy of the program is running for this user on this database.
    bool acquire();
    const QString& lockPath() const { return path_; }
    // Who holds this lock ("retdecl, proceso 123 en pc-2"); nullopt when nobody does.
    std::optional<QString> holder() const;

private:
    void release();

    QString program_;
    QString path_;
    int fd_ = -1; // the locked file, open while the lock is held
};

} // namespace ret
