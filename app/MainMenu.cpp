#include "app/MainMenu.h"

#include "app/BanksQuery.h"
#include "app/MainProgram.h"
#include "common/Backup.h"
#include "common/HelpBook.h"
#include "common/Messages.h"
#include "common/Windows.h"

namespace ret {

MainMenu::MainMenu(MainProgram& program, MainMenuHooks hooks)
    : program_(program), hooks_(std::move(hooks)) {}

void MainMenu::nueva() {
    open(0, false, Window::Frm947);
}

void MainMenu::modificar() {
    open(1, false, Window::FrmContAbrir);
}

void MainMenu::eliminar() {
    open(3, false, Window::FrmContAbrir);
}

void MainMenu::imprimir() {
    print(false);
}

void MainMenu::salir() {
    program_.closeDatabase();
    hooks_.endProgram();
}

void MainMenu::registrarNumeroOrden() {
    open(1, true, Window::FrmContAbrirE);
}

void MainMenu::eliminarEnviada() {
    open(3, true, Window::FrmContAbrirE);
}

void MainMenu::imprimirEnviada() {
    print(true);
}

void MainMenu::copiaDeSeguridad() {
    Session& s = program_.session();
    const BackupTold told = makeBackup(*s.db, s.config);
    s.messages->inform(told.made ? MsgIcon::Information : MsgIcon::Critical, told.text,
                       kBackupTitle);
}

void MainMenu::bancos() {
    Session& s = program_.session();
    s.QueryKind = kBanksQueryKind;
    s.windows->open(Window::FrmConsultas);
}

void MainMenu::MostrarHelp() {
    Session& s = program_.session();
    const QString folder = helpFolder(s.config);
    if (!HelpBook(folder).available()) {
        tellHelpMissing(helpMissingText(folder));
        return;
    }
    s.windows->openHelp(kHelpContents);
}

void MainMenu::acercaDe() {
    program_.session().windows->open(Window::frmAcercade);
}

void MainMenu::toolbarButton(int index) {
    switch (index) {
    case 1:
        nueva();
        break;
    case 2:
        modificar();
        break;
    case 3:
        eliminar();
        break;
    case 4:
        imprimir();
        break;
    case 5:
        salirToolbar();
        break;
    case 7:
        registrarNumeroOrden();
        break;
    case 10:
        MostrarHelp();
        break;
    default:
        break; // 6, 8 and 9 are separators
    }
}

void MainMenu::clientAreaMouseMove() {
    Session& s = program_.session();
    if (s.status.name.isEmpty())
        return;
    StatusTexts t = s.status;
    t.name.clear();
    s.setStatus(t);
}

void MainMenu::open(int operationMode, bool sentMode, Window window) {
    Session& s = program_.session();
    s.OperationMode = operationMode;
    s.SentMode = sentMode;
    s.windows->open(window);
}

void MainMenu::print(bool sentMode) {
    // the print selection sets its own operation mode
    Session& s = program_.session();
    s.SentMode = sentMode;
    s.windows->open(Window::frmImprimir);
}

void MainMenu::salirToolbar() {
    program_.closeDatabase();
    program_.releaseFieldRules();
    hooks_.endProgram();
}

void MainMenu::tellHelpMissing(const QString& text) {
    program_.session().messages->inform(MsgIcon::Exclamation, text, kMainCaption);
}

} // namespace ret
