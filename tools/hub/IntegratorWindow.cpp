#include "tools/hub/IntegratorWindow.h"

#include "common/Configuration.h"
#include "common/Connection.h"
#include "common/Database.h"
#include "common/IntegratorPresence.h"
#include "common/Messages.h"
#include "tools/hub/Sending.h"

#include <QFileInfo>
#include <QHideEvent>
#include <QInputDialog>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace ret::hub {

IntegratorWindow::IntegratorWindow(const QString& title, QString declarations,
                                   MessageSink& messages, QWidget* parent)
    : QMainWindow(parent), declarations_(std::move(declarations)), messages_(messages),
      server_(new QLocalServer(this)) {
    setWindowTitle(title);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(new QLabel(QStringLiteral("Integrador Velkar - entorno de prueba"), central));
    auto* button =
        new QPushButton(QString::fromUtf8("Declaraciones de Agentes de Retención (0947)"), central);
    layout->addWidget(button);
    auto* send =
        new QPushButton(QString::fromUtf8("Enviar una declaración registrada..."), central);
    layout->addWidget(send);
    auto* view = new QPushButton(QString::fromUtf8("Ver un reporte registrado..."), central);
    layout->addWidget(view);
    layout->addStretch();
    setCentralWidget(central);
    connect(button, &QPushButton::clicked, this, &IntegratorWindow::startDeclarations);
    connect(send, &QPushButton::clicked, this, &IntegratorWindow::sendDeclaration);
    connect(view, &QPushButton::clicked, this, &IntegratorWindow::viewRegisteredReport);

    // only the owner may look: the name is per user
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // the presence is the listening itself; nothing is said on a connection
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            s->abort();
            s->deleteLater();
        }
    });
}

std::optional<QString> IntegratorWindow::choose(const QString& sql,
                                                const std::function<QString(const Cursor&)>& row,
                                                const QString& none, const QString& label) {
    QStringList choices;
    try {
        const Configuration config =
            ReadConfiguration(Deliverable::SendCheck, Profile(Profile::defaultLocation()));
        auto db = OpenConfiguredDatabase(config);
        Cursor c = db->query(sql);
        while (c.next())
            choices << row(c);
    } catch (const DbError& e) {
        messages_.inform(MsgIcon::Critical, e.text(), windowTitle());
        return std::nullopt;
    }
    if (choices.isEmpty()) {
        messages_.inform(MsgIcon::Information, none, windowTitle());
        return std::nullopt;
    }
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(this, windowTitle(), label, choices, 0, false, &ok);
    return ok ? std::optional<QString>(chosen) : std::nullopt;
}

void IntegratorWindow::sendDeclaration() {
    const std::optional<QString> chosen = choose(
        QStringLiteral("SELECT doc_id_d, periodo FROM CAB WHERE formulario = '0947' "
                       "ORDER BY doc_id_d, periodo"),
        [](const Cursor& c) { return c.text(0).trimmed() + QLatin1Char(' ') + c.text(1); },
        QString::fromUtf8("No hay declaraciones registradas que enviar."),
        QStringLiteral("Declaración (RUC periodo):"));
    if (!chosen)
        return;
    const QStringList parts = chosen->split(QLatin1Char(' '));
    const SendingOutcome o =
        sendWithChecks(Profile::defaultLocation(), parts.value(0), parts.value(1),
                       QFileInfo(declarations_).absolutePath());
    QString text = o.text;
    if (!o.summary.isEmpty())
        text += QStringLiteral("\nResumen: ") + o.summary;
    messages_.inform(o.sent ? MsgIcon::Information : MsgIcon::Critical, text, windowTitle());
    if (!o.report.isEmpty() &&
        messages_.askYesNo(MsgIcon::Question, QString::fromUtf8("¿Desea ver el resumen del envío?"),
                           windowTitle(), MsgAnswer::No))
        openInViewer(o.report);
}

void IntegratorWindow::viewRegisteredReport() {
    const std::optional<QString> chosen = choose(
        QStringLiteral("SELECT Archivo, CodRep, Doc_id_d, Fecha, Usuario FROM SPOOL "
                       "ORDER BY Archivo DESC"),
        [](const Cursor& c) {
            return QStringLiteral("%1  %2  %3  %4  %5")
                .arg(c.text(0), c.text(1), c.text(2).trimmed(),
                     c.date(QStringLiteral("Fecha")).toString(QStringLiteral("dd/MM/yyyy")),
                     c.text(4));
        },
        QString::fromUtf8("No hay reportes registrados."),
        QStringLiteral("Reporte (archivo, código, documento, fecha, usuario):"));
    if (chosen)
        openInViewer(chosen->section(QLatin1Char(' '), 0, 0));
}

void IntegratorWindow::openInViewer(const QString& report) {
    // the module's own viewer, as for any report it registered
    if (!QProcess::startDetached(declarations_, {QStringLiteral("--view"), report}))
        messages_.inform(MsgIcon::Critical,
                         QString::fromUtf8("No se pudo abrir el visor de reportes:\n") +
                             declarations_,
                         windowTitle());
}

bool IntegratorWindow::publishing() const {
    return server_->isListening();
}

void IntegratorWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    publish();
}

void IntegratorWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    // a minimized window still counts as shown (it gets a spontaneous hide but stays visible)
    if (!isVisible())
        withdraw();
}

void IntegratorWindow::publish() {
    if (server_->isListening())
        return;
    const QString name = presenceName(windowTitle());
    // a socket left by an integrator that was killed would keep the name taken
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) {
        messages_.inform(MsgIcon::Exclamation,
                         QString::fromUtf8("No se pudo anunciar la ventana del integrador: ") +
                             server_->errorString(),
                         windowTitle());
    }
}

void IntegratorWindow::withdraw() {
    server_->close();
}

void IntegratorWindow::startDeclarations() {
    const QFileInfo program(declarations_);
    if (!program.isFile()) {
        messages_.inform(MsgIcon::Exclamation,
                         QString::fromUtf8("El programa de declaraciones no está instalado:\n") +
                             declarations_,
                         windowTitle());
        return;
    }
    // detached, with this environment (HUB000_INI included): it outlives the integrator's click
    if (!QProcess::startDetached(declarations_, {})) {
        messages_.inform(MsgIcon::Critical,
                         QString::fromUtf8("No se pudo iniciar el programa de declaraciones:\n") +
                             declarations_,
                         windowTitle());
    }
}

} // namespace ret::hub
