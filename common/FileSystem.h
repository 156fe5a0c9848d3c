#pragma once

#include <QString>

#include <optional>

namespace ret {

// What the module needs to know of the file system that holds a database file.
struct FileSystemKind {
    bool network = false; // the file is shared through a network (or a user-space file system)
    QString name;         // for messages: "NFS", "SMB/CIFS", ...; empty for a local one
};

// The kind of a file system by the type number statfs() gives it.
FileSystemKind fileSystemKind(unsigned long type);

// The type number of the file system that holds `path` (the file's directory when the file is
// not there yet); nullopt when it cannot be told.
std::optional<unsigned long> fileSystemType(const QString& path);

} // namespace ret
