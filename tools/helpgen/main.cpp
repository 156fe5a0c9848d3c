// Writes the help's page of the import file: the page's text with its table of codes, taken
// from the table the import itself reads, so that the help cannot tell other codes or texts.
//   helpgen TEMPLATE OUTPUT
#include "import/ImportCodes.h"
#include "tools/helpgen/CodeTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "helpgen TEMPLATE OUTPUT\n");
        return 2;
    }
    QFile in(args[1]);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "helpgen: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    QString page = QString::fromUtf8(in.readAll());
    if (!page.contains(ret::helpgen::kMarker)) {
        std::fprintf(stderr, "helpgen: %s has no %s\n", qPrintable(args[1]),
                     qPrintable(ret::helpgen::kMarker));
        return 1;
    }
    page.replace(ret::helpgen::kMarker, ret::helpgen::codeTable(ret::import::importCodes()));
    QFile out(args[2]);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(page.toUtf8()) < 0 ||
        !out.flush()) {
        std::fprintf(stderr, "helpgen: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
