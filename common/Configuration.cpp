#include "common/Configuration.h"

#include <QDir>
#include <QFileInfo>

namespace ret {
namespace {

bool isSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

QString withTrailingSeparator(const QString& dir) {
    if (dir.isEmpty() || dir.endsWith(QLatin1Char('/')))
        return dir;
    return dir + QLatin1Char('/');
}

} // namespace

QString normalisedPath(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

QString joinPath(const QString& dir, const QString& name) {
    if (dir.isEmpty())
        return name;
    if (isSeparator(dir.back()))
        return normalisedPath(dir) + name;
    return normalisedPath(dir) + QLatin1Char('/') + name;
}

QString resolveEntry(const QString& dir, const QString& name) {
    const QString exact = joinPath(dir, name);
    if (QFileInfo::exists(exact))
        return exact;
    const QDir d(dir.isEmpty() ? QStringLiteral(".") : normalisedPath(dir));
    const QStringList entries = d.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& e : entries) {
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return joinPath(dir, e);
    }
    return exact;
}

bool EnterSystemDirectory(const Configuration& config) {
    return !config.systemDirectory.isEmpty() && QDir::setCurrent(config.systemDirectory);
}

Configuration ReadConfiguration(Deliverable who, const Profile& profile) {
    Configuration c;
    const auto trimmed = [&](const char* key) {
        return profile.read(kOptions, QLatin1String(key)).trimmed();
    };
    c.sysPath = trimmed("SysPath");
    c.dbName = trimmed("DBName");
    c.databaseServer = trimmed("DBServer");
    c.oneComputer = trimmed("DBUnSoloEquipo") == QLatin1String("1");
    c.backupsKept = trimmed("RespaldosGuardados");

    if (who == Deliverable::Installer) {
        // a directory ending in two separators loses the last one
        QString sys = c.sysPath;
        if (sys.size() >= 2 && isSeparator(sys.back()) && isSeparator(sys.at(sys.size() - 2)))
            sys.chop(1);
        c.systemDirectory = withTrailingSeparator(normalisedPath(sys));
        c.databasePath =
            c.systemDirectory.isEmpty() ? QString() : joinPath(c.systemDirectory, c.dbName);
        c.workgroupFile = joinPath(c.systemDirectory, QStringLiteral("HUB000.MDW"));
        c.temporaryDirectory =
            withTrailingSeparator(resolveEntry(c.systemDirectory, QStringLiteral("tmp")));
        return c;
    }

    c.dbPath = trimmed("DBPath");
    c.systemDirectory = withTrailingSeparator(normalisedPath(c.sysPath));
    // a directory written without its final separator still leads to the file
    c.databasePath = c.dbPath.isEmpty() ? normalisedPath(c.dbName) : joinPath(c.dbPath, c.dbName);
    c.workgroupFile = joinPath(c.systemDirectory, QStringLiteral("HUB000.MDW"));
    c.reportDirectory = resolveEntry(c.systemDirectory, QStringLiteral("RPT"));

    if (isSendTool(who)) {
        c.reportDirectory = withTrailingSeparator(c.reportDirectory);
        c.temporaryDirectory =
            withTrailingSeparator(resolveEntry(c.systemDirectory, QStringLiteral("TMP")));
        c.sysUser = profile.read(kOptions, QStringLiteral("SysUser")); // blanks kept
    } else {
        c.moduleDirectory = resolveEntry(c.systemDirectory, QStringLiteral("0947"));
        c.helpFile = joinPath(c.moduleDirectory, QStringLiteral("retdecl.hlp"));
        c.sysUser = trimmed("SysUser");
    }
    c.currentUser = c.sysUser;
    return c;
}

} // namespace ret
