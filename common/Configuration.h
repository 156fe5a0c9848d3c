#pragma once

#include "common/Profile.h"

#include <QString>

namespace ret {

// Which program reads the configuration: the derived values differ a little between them.
enum class Deliverable { MainProgram, SendCheck, SendSummary, Installer };

inline bool isSendTool(Deliverable who) {
    return who == Deliverable::SendCheck || who == Deliverable::SendSummary;
}

// The keys of section Options of HUB000.INI and the values derived from them at start-up.
// Paths in the file may use "/" or "\" (the integrator's files were written on Windows); the
// derived paths use "/" throughout.
struct Configuration {
    // As read (trimmed, except SysUser for the send tools).
    QString sysPath;
    QString dbPath;
    QString dbName;
    QString sysUser;

    QString systemDirectory;    // the integrator's directory, ending with "/" when not empty
    QString databasePath;       // the shared database file
    QString databaseServer;     // DBServer: a server's connection string; empty for the file
    bool oneComputer = false;   // DBUnSoloEquipo=1: a file in a network folder, one PC at a time
    QString backupsKept;        // RespaldosGuardados: how many automatic backups stay
    QString workgroupFile;      // written back as SystemDB; no meaning for the embedded engine
    QString reportDirectory;    // RPT (main program and send tools)
    QString temporaryDirectory; // TMP (send tools) or tmp (installer)
    QString helpFile;           // 0947/retdecl.hlp (main program)
    QString moduleDirectory;    // 0947 (main program)
    QString currentUser;
};

inline const QString kOptions = QStringLiteral("Options");

// What names the shared database for the locks and messages: the server's connection string,
// or the file's path.
inline QString databaseName(const Configuration& c) {
    return c.databaseServer.isEmpty() ? c.databasePath : c.databaseServer;
}

Configuration ReadConfiguration(Deliverable who, const Profile& profile);

// The main program and the send tools work in the system directory (their relative file names
// lead there). False when it is empty or cannot be entered; the current directory then stays.
bool EnterSystemDirectory(const Configuration& config);

// A path text from the profile with "\" turned into "/".
QString normalisedPath(const QString& path);

// dir + name, where dir may or may not end with a separator.
QString joinPath(const QString& dir, const QString& name);

// The entry `name` of `dir`: the exact name when it exists, else the first entry whose name
// matches without regard to case, else the exact name (for messages and creation).
QString resolveEntry(const QString& dir, const QString& name);

} // namespace ret
