#include "common/widgets/WidgetWindows.h"

#include "common/HelpBook.h"
#include "common/Messages.h"
#include "common/widgets/HelpKey.h"
#include "common/widgets/HelpWindow.h"
#include "common/widgets/WaitCursor.h"

#include <QApplication>
#include <QDialog>

namespace ret {

void WidgetWindows::registerWindow(Window window, Factory factory) {
    factories_[window] = std::move(factory);
}

void WidgetWindows::open(Window window) {
    const auto found = factories_.find(window);
    if (found == factories_.end()) {
        messages_.inform(MsgIcon::Information, kWindowNotAvailable, windowTitle(window));
        return;
    }
    std::unique_ptr<QDialog> dialog;
    {
        WaitCursor wait;
        dialog = found->second(activeWindow());
    }
    if (!dialog)
        return;
    if (helpTopicOf(dialog.get()) < 0)
        setHelpTopic(dialog.get(), helpTopic(window));
    bindHelpKey(dialog.get(), *this);
    dialog->setModal(true);
    dialog->exec();
}

void WidgetWindows::openHelp(int topic) {
    const QString folder = helpFolder_ ? helpFolder_() : QString();
    if (!HelpBook(folder).available()) {
        messages_.inform(MsgIcon::Exclamation, helpMissingText(folder), kHelpCaption);
        return;
    }
    // F1 in the help itself does not open a second one
    if (auto* shown = qobject_cast<HelpWindow*>(QApplication::activeModalWidget())) {
        shown->showTopic(topic);
        return;
    }
    HelpWindow help(folder, topic, activeWindow());
    help.setModal(true);
    help.exec();
}

QWidget* WidgetWindows::activeWindow() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return main_;
}

QString windowTitle(Window window) {
    switch (window) {
    case Window::Frm947:
        return QStringLiteral("0947 Agentes de Retención");
    case Window::FrmContAbrir:
        return QStringLiteral("Declaraciones Registradas");
    case Window::FrmContAbrirE:
        return QStringLiteral("Declaraciones Enviadas");
    case Window::FrmConsultas:
        return QStringLiteral("Bancos");
    case Window::frmAcercade:
        return QStringLiteral("Acerca de Velkar ");
    case Window::frmImprimir:
        return QStringLiteral("Imprimir");
    case Window::FrmAgeRet:
        return QStringLiteral("Información del Sujeto de Retención");
    case Window::FrmDetAgeRet:
        return QStringLiteral("Detalle de la Retención");
    case Window::frmRetDet:
        return QStringLiteral("0947 - Detalle del Comprobante de Pago Involucrado");
    case Window::frmTransferencia:
        return QStringLiteral("Importar");
    case Window::FrmConsist:
        return QStringLiteral("Inconsistencias detectadas");
    case Window::FrmHistorial:
        return QStringLiteral("Historial de cambios");
    }
    return {};
}

} // namespace ret
