#include "app/widgets/MDIFrm.h"

#include "app/MainProgram.h"
#include "app/widgets/StatusBar.h"
#include "common/WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QMenuBar>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>

namespace ret {
namespace {

constexpr int kWidthTwips = 9555;
constexpr int kHeightTwips = 7320;

struct ToolbarButton {
    int index;
    const char* label; // nullptr: a separator
    const char* theme;
    QStyle::StandardPixmap fallback;
};

const ToolbarButton kToolbar[] = {
    {1, "Nueva", "document-new", QStyle::SP_FileIcon},
    {2, "Modificar", "document-open", QStyle::SP_FileDialogDetailedView},
    {3, "Eliminar", "edit-delete", QStyle::SP_TrashIcon},
    {4, "Imprimir", "document-print", QStyle::SP_FileDialogContentsView},
    {5, "Salir", "application-exit", QStyle::SP_DialogCloseButton},
    {6, nullptr, nullptr, {}},
    {7, "Num. Orden", "document-properties", QStyle::SP_FileDialogInfoView},
    {8, nullptr, nullptr, {}},
    {9, nullptr, nullptr, {}},
    {10, "Ayuda", "help-contents", QStyle::SP_DialogHelpButton},
};

} // namespace

MDIFrm::MDIFrm(MainProgram& program, MainMenuHooks hooks)
    : program_(program), menu_(program, withDefaults(std::move(hooks))) {
    setObjectName(QStringLiteral("MDIFrm"));
    setWindowTitle(kMainCaption);
    // no minimise or maximise button
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Picture1"));
    client->setMouseTracking(true);
    client->installEventFilter(this);
    setCentralWidget(client);

    buildMenus();
    buildToolbar();
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { menu_.MostrarHelp(); });
    status_ = new StatusBar(this);
    setStatusBar(status_);
    program_.session().statusChanged = [this] { showStatus(); };
    showStatus();
}

MDIFrm::~MDIFrm() {
    program_.session().statusChanged = nullptr;
}

MainMenuHooks MDIFrm::withDefaults(MainMenuHooks hooks) {
    if (!hooks.endProgram)
        hooks.endProgram = [] { QCoreApplication::exit(0); };
    return hooks;
}

bool MDIFrm::load(const Profile& profile) {
    // size and place come before the window is shown: a window manager places a window as it
    // likes unless it is asked for a place before the window maps
    resize(twipsToPixels(kWidthTwips, kHeightTwips));
    move(0, 0);
    showNormal();
    return program_.load(profile);
}

bool MDIFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::MouseMove)
        menu_.clientAreaMouseMove();
    return QMainWindow::eventFilter(watched, event);
}

QAction* MDIFrm::entry(QMenu* menu, const char* name, const QString& caption,
                       void (MainMenu::*action)()) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, [this, action] { (menu_.*action)(); });
    return a;
}

void MDIFrm::buildMenus() {
    QMenu* declara = menuBar()->addMenu(QStringLiteral("&Declaraciones"));
    declara->setObjectName(QStringLiteral("mnuDeclara"));
    entry(declara, "mnuNueva", QStringLiteral("&Nueva"), &MainMenu::nueva);
    entry(declara, "mnuModificar", QStringLiteral("&Modificar"), &MainMenu::modificar);
    entry(declara, "mnuEliminar", QStringLiteral("&Eliminar"), &MainMenu::eliminar);
    declara->addSeparator()->setObjectName(QStringLiteral("rayita1"));
    entry(declara, "mnuImprimir", QStringLiteral("&Imprimir"), &MainMenu::imprimir);
    entry(declara, "mnuRespaldo", QStringLiteral("&Copia de seguridad"),
          &MainMenu::copiaDeSeguridad);
    declara->addSeparator()->setObjectName(QStringLiteral("rayita"));
    entry(declara, "mnuSalir", QStringLiteral("&Salir"), &MainMenu::salir);

    QMenu* sent = menuBar()->addMenu(QStringLiteral("Declaraciones &Enviadas"));
    sent->setObjectName(QStringLiteral("mnuDeclaraE"));
    entry(sent, "mnuModificarE", QStringLiteral("&Registrar número de orden"),
          &MainMenu::registrarNumeroOrden);
    entry(sent, "mnuEliminarE", QStringLiteral("&Eliminar"), &MainMenu::eliminarEnviada);
    sent->addSeparator()->setObjectName(QStringLiteral("rayita2"));
    entry(sent, "mnuImprimirE", QStringLiteral("&Imprimir"), &MainMenu::imprimirEnviada);

    QMenu* queries = menuBar()->addMenu(QStringLiteral("&Consultas"));
    queries->setObjectName(QStringLiteral("mnuConsultas"));
    entry(queries, "mnuBancos", QStringLiteral("&Bancos"), &MainMenu::bancos);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Ayuda"));
    help->setObjectName(QStringLiteral("mnuayuda"));
    entry(help, "mnuContenido", QStringLiteral("&Contenido"), &MainMenu::MostrarHelp);
    help->addSeparator()->setObjectName(QStringLiteral("rayita3"));
    entry(help, "mnuAcercade", QStringLiteral("Acerca &de Velkar"), &MainMenu::acercaDe);
}

void MDIFrm::buildToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar1"));
    bar->setObjectName(QStringLiteral("Toolbar1"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const ToolbarButton& b : kToolbar) {
        if (b.label == nullptr) {
            bar->addSeparator();
            continue;
        }
        const QIcon icon =
            QIcon::fromTheme(QLatin1String(b.theme), style()->standardIcon(b.fallback));
        QAction* a = bar->addAction(icon, QLatin1String(b.label));
        a->setObjectName(QStringLiteral("Toolbar1_%1").arg(b.index));
        const int index = b.index;
        connect(a, &QAction::triggered, this, [this, index] { menu_.toolbarButton(index); });
    }
}

void MDIFrm::showStatus() {
    status_->showTexts(program_.session().status);
}

} // namespace ret
