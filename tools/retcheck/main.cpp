#include "common/Configuration.h"
#include "common/Profile.h"
#include "common/ProgramGuard.h"
#include "common/SingleInstance.h"
#include "common/TimeZone.h"
#include "common/widgets/MessageBoxes.h"
#include "tools/retcheck/SendCheck.h"

int main(int argc, char** argv) {
    ret::silenceToolkitLog();
    ret::readTimeZoneOnce();
    ret::ProgramStart start = ret::startProgram(argc, argv);
    return ret::runGuarded(*start.messages, ret::check::NotRun, [&] {
        // one copy per user and database: a copy working on another database runs
        const ret::Configuration config = ret::ReadConfiguration(
            ret::Deliverable::SendCheck, ret::Profile(ret::Profile::defaultLocation()));
        ret::SingleInstance instance(QStringLiteral("retcheck"), ret::databaseName(config));
        if (!instance.acquire()) {
            start.messages->inform(ret::MsgIcon::Information,
                                   QStringLiteral("La aplicación ya se encuentra en Ejecución"),
                                   ret::check::kToolTitle);
            return int(ret::check::Busy);
        }
        return ret::check::runSendCheck(start.app->arguments().mid(1),
                                        ret::Profile(ret::Profile::defaultLocation()),
                                        *start.messages, QDateTime::currentDateTime());
    });
}
