#include "common/Configuration.h"
#include "common/Profile.h"
#include "common/ProgramGuard.h"
#include "common/SingleInstance.h"
#include "common/TimeZone.h"
#include "common/widgets/MessageBoxes.h"
#include "tools/retsumm/SendSummary.h"

int main(int argc, char** argv) {
    ret::silenceToolkitLog();
    ret::readTimeZoneOnce();
    ret::ProgramStart start = ret::startProgram(argc, argv);
    return ret::runGuarded(*start.messages, ret::summary::NotRun, [&] {
        // one copy per user and database: a copy working on another database runs
        const ret::Configuration config = ret::ReadConfiguration(
            ret::Deliverable::SendSummary, ret::Profile(ret::Profile::defaultLocation()));
        ret::SingleInstance instance(QStringLiteral("retsumm"), ret::databaseName(config));
        if (!instance.acquire()) {
            start.messages->inform(ret::MsgIcon::Information,
                                   QStringLiteral("La aplicación ya se encuentra en Ejecución"),
                                   QString::fromUtf8("Presentación Telemática"));
            return int(ret::summary::Busy);
        }
        return ret::summary::runSendSummary(start.app->arguments().mid(1),
                                            ret::Profile(ret::Profile::defaultLocation()),
                                            *start.messages, QDateTime::currentDateTime());
    });
}
