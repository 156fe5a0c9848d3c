#include "common/FileSystem.h"

#include <QFileInfo>

#include <sys/vfs.h>

#include <array>

namespace ret {
namespace {

struct Known {
    unsigned long type;
    const char* name;
};

// The file systems whose files live on another machine, or behind a program of the user's
// (FUSE: sshfs, some SMB clients), where the embedded engine's shared-memory index and its
// locks cannot be trusted across machines.
constexpr std::array<Known, 14> kNetwork = {{
    {0x6969, "NFS"},
    {0x517B, "SMB"},
    {0xFF534D42, "SMB/CIFS"},
    {0xFE534D42, "SMB2"},
    {0x65735546, "FUSE"},
    {0x01021997, "9P"},
    {0x00C36400, "Ceph"},
    {0x5346414F, "AFS"},
    {0x6B414653, "AFS"},
    {0x73757245, "Coda"},
    {0x564C, "NCP"},
    {0x7461636F, "OCFS2"},
    {0x01161970, "GFS2"},
    {0x0BD00BD0, "Lustre"},
}};

} // namespace

FileSystemKind fileSystemKind(unsigned long type) {
    // statfs gives a signed word: a magic number with its top bit set comes sign-extended
    const unsigned long word = type & 0xFFFFFFFFUL;
    for (const Known& k : kNetwork) {
        if (k.type == word)
            return {true, QString::fromLatin1(k.name)};
    }
    return {};
}

std::optional<unsigned long> fileSystemType(const QString& path) {
    const QFileInfo info(path);
    const QString where = info.exists() ? info.absoluteFilePath() : info.absolutePath();
    struct statfs s {};
    if (::statfs(QFile::encodeName(where).constData(), &s) != 0)
        return std::nullopt;
    return static_cast<unsigned long>(s.f_type);
}

} // namespace ret
