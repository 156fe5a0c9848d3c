#include "Installer.h"
#include "MessageBoxes.h"

int main(int argc, char** argv) {
    ret::ProgramStart start = ret::startProgram(argc, argv);
    const ret::Profile profile(ret::Profile::defaultLocation());
    ret::setup::Installer installer(profile, *start.messages);
    return installer.run();
}
