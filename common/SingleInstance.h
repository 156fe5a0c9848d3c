#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace ret {

// The "previous instance" check: one running copy of a program per user and database, so that
// copies working on two databases (two offices' environments) do not refuse each other. The lock
// lives as long as this object; a lock left by a copy that died is taken over.
class SingleInstance {
public:
    // `database` is the shared database's path, or its server's connection string; empty when
    // it is not known (no profile yet).
    explicit SingleInstance(const QString& program, const QString& database = {});
    // False when another copy of the program is running for this user on this database.
    bool acquire();
    const QString& lockPath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace ret
