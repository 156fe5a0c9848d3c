#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace ret {

// The "previous instance" check: one running copy of a program per user. The lock lives as
// long as this object; a lock left by a copy that died is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& program);
    // False when another copy of the program is running for this user.
    bool acquire();
    const QString& lockPath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace ret
