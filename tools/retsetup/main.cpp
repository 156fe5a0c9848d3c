#include "common/ProgramGuard.h"
#include "common/TimeZone.h"
#include "common/widgets/MessageBoxes.h"
#include "tools/retsetup/Installer.h"

int main(int argc, char** argv) {
    ret::silenceToolkitLog();
    ret::readTimeZoneOnce();
    ret::ProgramStart start = ret::startProgram(argc, argv);
    return ret::runGuarded(*start.messages, 1, [&] {
        const ret::Profile profile(ret::Profile::defaultLocation());
        ret::setup::Installer installer(profile, *start.messages);
        return installer.run();
    });
}
