#include "app/MainProgram.h"
#include "app/widgets/AppWindows.h"
#include "app/widgets/MDIFrm.h"
#include "common/Backup.h"
#include "common/Configuration.h"
#include "common/HelpBook.h"
#include "common/IntegratorPresence.h"
#include "common/ProgramGuard.h"
#include "common/SingleInstance.h"
#include "common/TimeZone.h"
#include "common/widgets/MessageBoxes.h"
#include "common/widgets/WidgetWindows.h"
#include "declaration/DeclarationHistory.h"
#include "declaration/widgets/DeclarationWindows.h"
#include "detail/widgets/SubjectWindow.h"
#include "detail/widgets/VoucherWindows.h"
#include "import/BatchImport.h"
#include "import/widgets/frmTransferenciaDialog.h"
#include "reports/widgets/BatchPrint.h"
#include "reports/widgets/ReportPrinting.h"
#include "reports/widgets/ViewReport.h"
#include "reports/widgets/frmImprimirDialog.h"

#include <QApplication>
#include <QFileInfo>

#include <memory>

namespace {

bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

std::unique_ptr<ret::MessageSink> messageSink() {
    if (ret::headlessRequested())
        return std::make_unique<ret::HeadlessMessages>();
    return std::make_unique<ret::MessageBoxes>();
}

} // namespace

static int runProgram(int argc, char** argv) {
    // the batch import needs no integrator window and no display
    if (argc > 1 && qstrcmp(argv[1], "--import") == 0) {
        QCoreApplication app(argc, argv);
        ret::HeadlessMessages messages;
        QTextStream out(stdout);
        return ret::import::runBatchImport(
            app.arguments().mid(2), ret::Profile(ret::Profile::defaultLocation()), messages, out);
    }
    // a proven backup of the database, for scripts
    if (argc > 1 && qstrcmp(argv[1], "--backup") == 0) {
        QCoreApplication app(argc, argv);
        ret::HeadlessMessages messages;
        QTextStream out(stdout);
        return ret::runBackupCommand(app.arguments().mid(2),
                                     ret::Profile(ret::Profile::defaultLocation()), messages, out);
    }
    // a backup in place of the database, with every program of the module closed
    if (argc > 1 && qstrcmp(argv[1], "--restore") == 0) {
        QCoreApplication app(argc, argv);
        ret::HeadlessMessages messages;
        QTextStream out(stdout);
        return ret::runRestoreCommand(app.arguments().mid(2),
                                      ret::Profile(ret::Profile::defaultLocation()), messages, out);
    }
    // the record of a declaration's changes, for scripts
    if (argc > 1 && qstrcmp(argv[1], "--history") == 0) {
        QCoreApplication app(argc, argv);
        ret::HeadlessMessages messages;
        QTextStream out(stdout);
        return ret::runHistoryCommand(app.arguments().mid(2),
                                      ret::Profile(ret::Profile::defaultLocation()), messages, out);
    }
    // the batch print needs no integrator window and no display: its pages are painted
    // offscreen
    if (argc > 1 && qstrcmp(argv[1], "--print") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        ret::HeadlessMessages messages;
        QTextStream out(stdout);
        return ret::reports::runBatchPrint(
            app.arguments().mid(2), ret::Profile(ret::Profile::defaultLocation()), messages, out);
    }
    // the program always has windows; without a display they are drawn nowhere and every
    // message goes to standard error
    if (!displayAvailable())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::unique_ptr<QTranslator> texts = ret::installSpanishTexts();
    const std::unique_ptr<ret::MessageSink> messages = messageSink();

    // a registered report in the viewer, for the integrator (its sending summary, say)
    if (argc > 1 && qstrcmp(argv[1], "--view") == 0)
        return ret::reports::runViewReport(
            app.arguments().mid(2), ret::Profile(ret::Profile::defaultLocation()), *messages);

    ret::MainProgram program(*messages);
    // one windowed copy per user and database: a copy working on another database runs
    ret::SingleInstance instance(
        QStringLiteral("retdecl"),
        ret::databaseName(ret::ReadConfiguration(ret::Deliverable::MainProgram,
                                                 ret::Profile(ret::Profile::defaultLocation()))));
    if (!program.passStartChecks([] { return ret::CorreApp(ret::kIntegratorTitle); },
                                 [&instance] { return instance.acquire(); }))
        return 1;

    ret::Session& session = program.session();
    ret::WidgetWindows windows(*messages);
    session.windows = &windows;
    windows.setHelpFolder([&session] { return ret::helpFolder(session.config); });
    ret::MDIFrm main(program);
    windows.setMainWindow(&main);
    ret::registerAppWindows(windows, session);
    ret::registerDeclarationWindows(windows, session);
    ret::registerSubjectWindow(windows, session);
    ret::registerVoucherWindows(windows, session);
    ret::reports::registerReportWindows(windows, session);
    // the import's error report is shown in the viewer, every page of it
    ret::registerImportWindow(windows, session, [&session](const QString& report) {
        ret::VerReporte(session, QFileInfo(report).fileName(), QStringLiteral("Vprevia"));
    });

    if (!main.load(ret::Profile(ret::Profile::defaultLocation())))
        return 1;
    const int code = app.exec();
    session.windows = nullptr;
    return code;
}

int main(int argc, char** argv) {
    ret::silenceToolkitLog();
    ret::readTimeZoneOnce();
    // whatever a run leaves uncaught ends it with a message, never with an abort
    ret::HeadlessMessages messages;
    return ret::runGuarded(messages, 2, [&] { return runProgram(argc, argv); });
}
