#include "common/Profile.h"
#include "common/ProgramGuard.h"
#include "common/TimeZone.h"
#include "common/widgets/MessageBoxes.h"
#include "tools/hub/Environment.h"
#include "tools/hub/IntegratorWindow.h"
#include "tools/hub/Move.h"
#include "tools/hub/Sending.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include <memory>

namespace {

int usage(QTextStream& err) {
    err << "usage: hub init DIR [--force] [--ini PATH] [--user NAME] [--server CONNINFO]\n"
           "  Creates a ready integrator environment in DIR and writes its HUB000.INI\n"
           "  (by default at $HUB000_INI, else ~/.config/velkar/HUB000.INI).\n"
           "       hub run [--title T] [--hidden] [--launch]\n"
           "  Shows the integrator's main window (title \"Velkar\"), which starts retdecl;\n"
           "  --hidden keeps it hidden, so the module does not see it; --launch starts\n"
           "  retdecl from it at once.\n"
           "       hub send RUC PERIOD [--ini PATH]\n"
           "  The integrator's sending: retcheck on the registered 0947 declaration (an\n"
           "  inconsistent one is not sent), its copy into the history tables under the next\n"
           "  correl, and retsumm for its summary.\n"
           "       hub move-to-server CONNINFO [--ini PATH]\n"
           "  Copies every table of the profile's database file into the empty PostgreSQL\n"
           "  database CONNINFO in one transaction, checks that the rows are the same, and\n"
           "  writes DBServer into the profile.\n";
    return 2;
}

struct Command {
    const char* name;
    int arguments; // after the command's name
    QStringList options;
};

const Command kCommands[] = {
    {"init", 1, {"force", "ini", "user", "server"}},
    {"run", 0, {"title", "hidden", "launch"}},
    {"send", 2, {"ini"}},
    {"move-to-server", 1, {"ini"}},
};

int runWindow(const QCommandLineParser& parser) {
    const std::unique_ptr<QTranslator> texts = ret::installSpanishTexts();
    std::unique_ptr<ret::MessageSink> messages;
    if (ret::headlessRequested())
        messages = std::make_unique<ret::HeadlessMessages>();
    else
        messages = std::make_unique<ret::MessageBoxes>();
    const QString title = parser.isSet(QStringLiteral("title"))
                              ? parser.value(QStringLiteral("title"))
                              : QStringLiteral("Velkar");
    ret::hub::IntegratorWindow window(
        title, QCoreApplication::applicationDirPath() + QStringLiteral("/retdecl"), *messages);
    if (!parser.isSet(QStringLiteral("hidden")))
        window.show();
    if (parser.isSet(QStringLiteral("launch")))
        QTimer::singleShot(0, &window, [&window] { window.startDeclarations(); });
    return QCoreApplication::exec();
}

} // namespace

static int runProgram(int argc, char** argv) {
    // only the window needs a display
    const bool windowed = argc > 1 && qstrcmp(argv[1], "run") == 0;
    std::unique_ptr<QCoreApplication> app;
    if (windowed)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("init, run or send"));
    parser.addOption({QStringLiteral("force"), QStringLiteral("Replace an existing environment.")});
    parser.addOption(
        {QStringLiteral("ini"), QStringLiteral("Profile file."), QStringLiteral("path")});
    parser.addOption(
        {QStringLiteral("user"), QStringLiteral("Integrator user."), QStringLiteral("name")});
    parser.addOption({QStringLiteral("server"), QStringLiteral("PostgreSQL connection string."),
                      QStringLiteral("conninfo")});
    parser.addOption(
        {QStringLiteral("title"), QStringLiteral("Window title."), QStringLiteral("text")});
    parser.addOption({QStringLiteral("hidden"), QStringLiteral("Never show the window.")});
    parser.addOption({QStringLiteral("launch"), QStringLiteral("Start retdecl at once.")});
    if (!parser.parse(app->arguments())) {
        err << parser.errorText() << '\n';
        return usage(err);
    }
    const QStringList args = parser.positionalArguments();
    const Command* command = nullptr;
    for (const Command& c : kCommands) {
        if (!args.isEmpty() && args[0] == QLatin1String(c.name))
            command = &c;
    }
    if (command == nullptr || args.size() != command->arguments + 1)
        return usage(err);
    for (const QString& o : parser.optionNames()) {
        if (!command->options.contains(o)) {
            err << "hub " << command->name << ": --" << o << " does not apply\n";
            return usage(err);
        }
    }
    const QString profilePath = parser.isSet(QStringLiteral("ini"))
                                    ? parser.value(QStringLiteral("ini"))
                                    : ret::Profile::defaultLocation();

    if (args[0] == QLatin1String("run"))
        return runWindow(parser);
    if (args[0] == QLatin1String("move-to-server"))
        return ret::hub::moveToServer(profilePath, args[1], out, err);
    if (args[0] == QLatin1String("send"))
        return ret::hub::sendCommand(profilePath, args[1], args[2],
                                     QCoreApplication::applicationDirPath(), out, err);

    ret::hub::InitOptions o;
    o.directory = args[1];
    o.profilePath = profilePath;
    o.user = parser.isSet(QStringLiteral("user")) ? parser.value(QStringLiteral("user"))
                                                  : QStringLiteral("CONTADOR");
    o.force = parser.isSet(QStringLiteral("force"));
    o.server = parser.value(QStringLiteral("server")).trimmed();
    o.retsetupPath = QCoreApplication::applicationDirPath() + QStringLiteral("/retsetup");
    return ret::hub::initEnvironment(o, out, err);
}

int main(int argc, char** argv) {
    ret::silenceToolkitLog();
    ret::readTimeZoneOnce();
    // whatever a run leaves uncaught ends it with a message, never with an abort
    ret::HeadlessMessages messages;
    return ret::runGuarded(messages, 1, [&] { return runProgram(argc, argv); });
}
