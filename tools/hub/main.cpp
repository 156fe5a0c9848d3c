#include "Environment.h"
#include "Profile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

namespace {

int usage(QTextStream& err) {
    err << "usage: hub init DIR [--force] [--ini PATH] [--user NAME]\n"
           "  Creates a ready integrator environment in DIR and writes its HUB000.INI\n"
           "  (by default at $HUB000_INI, else ~/.config/velkar/HUB000.INI).\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("init"));
    parser.addOption({QStringLiteral("force"), QStringLiteral("Replace an existing environment.")});
    parser.addOption(
        {QStringLiteral("ini"), QStringLiteral("Profile file."), QStringLiteral("path")});
    parser.addOption(
        {QStringLiteral("user"), QStringLiteral("Integrator user."), QStringLiteral("name")});
    if (!parser.parse(app.arguments())) {
        err << parser.errorText() << '\n';
        return usage(err);
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2 || args[0] != QLatin1String("init"))
        return usage(err);

    ret::hub::InitOptions o;
    o.directory = args[1];
    o.profilePath = parser.isSet(QStringLiteral("ini")) ? parser.value(QStringLiteral("ini"))
                                                        : ret::Profile::defaultLocation();
    o.user = parser.isSet(QStringLiteral("user")) ? parser.value(QStringLiteral("user"))
                                                  : QStringLiteral("CONTADOR");
    o.force = parser.isSet(QStringLiteral("force"));
    o.retsetupPath = QCoreApplication::applicationDirPath() + QStringLiteral("/retsetup");
    return ret::hub::initEnvironment(o, out, err);
}
