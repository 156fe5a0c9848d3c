#include "tools/retsetup/HelpPages.h"

#include "common/Configuration.h"

#include <QDir>
#include <QFile>

namespace ret::setup {
namespace {

const QString kRoot = QStringLiteral(":/ayuda");

} // namespace

QStringList helpPageNames() {
    return QDir(kRoot).entryList(QDir::Files, QDir::Name);
}

QByteArray helpPage(const QString& name) {
    QFile f(kRoot + QLatin1Char('/') + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::optional<FileWriteError> installHelpPages(const QString& folder) {
    // no folder would put the pages wherever the program was started
    if (folder.isEmpty())
        return FileWriteError{76, QStringLiteral("No se ha encontrado la ruta de acceso"), folder};
    QDir().mkpath(folder);
    std::vector<WholeFileContents> files;
    for (const QString& name : helpPageNames())
        files.emplace_back(joinPath(folder, name), helpPage(name));
    return writeWholeFiles(files);
}

} // namespace ret::setup
