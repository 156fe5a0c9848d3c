#include "declaration/widgets/Frm947Dialog.h"

#include "common/DbError.h"
#include "common/NumberFormat.h"
#include "common/Session.h"
#include "common/widgets/FormHelpers.h"
#include "common/widgets/HelpKey.h"
#include "declaration/DeclarationStore.h"
#include "declaration/widgets/PaymentFormWidget.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ret {
namespace {

const char* const kBoxCaptions[][2] = {
    {"401", "RETENCIONES EFECTUADAS"}, {"402", "Pagos previos (efec,cheque doc val)"},
    {"403", "RETENCION A PAGAR"},      {"404", "Interes Moratorio"},
    {"405", "TOTAL DEUDA TRIBUTARIA"}, {"410", "IMPORTE A PAGAR"},
};

// Fields that cannot be edited are grey, with their text still readable.
QString greyStyle(bool editable) {
    return editable ? QString() : QStringLiteral("background-color: #d4d0c8; color: #000000;");
}

void setText(QLineEdit* e, const QString& t) {
    if (e->text() != t)
        e->setText(t);
}

QLineEdit* readOnlyField(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setStyleSheet(greyStyle(false));
    return e;
}

} // namespace

Frm947Dialog::Frm947Dialog(Session& session, QWidget* parent)
    : QDialog(parent), session_(session), model_(session) {
    setWindowTitle(Frm947::kCaption);
    workButtonsFromKeyboard(*this);
    tabs_ = new QTabWidget(this);
    tabs_->addTab(buildIdentification(), QStringLiteral("&Identificación"));
    tabs_->addTab(buildRetention(), QStringLiteral("&Retención"));
    tabs_->addTab(buildDebt(), QStringLiteral("Deuda &Tributaria"));

    cmdValidar_ = new QPushButton(QStringLiteral("&Validar"), this);
    cmdGrabar_ = new QPushButton(QStringLiteral("&Grabar"), this);
    cmdCancelar_ = new QPushButton(QStringLiteral("&Salir"), this);
    for (QPushButton* b : {cmdValidar_, cmdGrabar_, cmdCancelar_})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdValidar_);
    buttons->addWidget(cmdGrabar_);
    buttons->addWidget(cmdCancelar_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);

    connect(cmdValidar_, &QPushButton::clicked, this, [this] { model_.validar(); });
    connect(cmdGrabar_, &QPushButton::clicked, this, [this] { model_.grabar(); });
    connect(cmdCancelar_, &QPushButton::clicked, this, [this] {
        if (model_.salir())
            accept();
    });
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (syncing_)
            return;
        model_.selectTab(tab);
        sync();
    });

    model_.onChange = [this] { sync(); };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    model_.load();
    QApplication::restoreOverrideCursor();
    move(0, 0);
    sync();
}

QWidget* Frm947Dialog::buildIdentification() {
    auto* page = new QWidget(this);
    auto* basics = new QGroupBox(QStringLiteral("Datos Básicos"), page);
    cmbRuc_ = new QComboBox(basics);
    cmbRuc_->setMinimumContentsLength(11);
    cmbRuc_->view()->setMinimumWidth(420); // the whole entry shows when it drops down
    txtNumRuc_ = readOnlyField(basics);
    txtNumRuc_->setMaxLength(11);
    txtRazon_ = readOnlyField(basics);
    txtRazon_->setMaxLength(40);
    mkePeriodo_ = new QLineEdit(basics);
    mkePeriodo_->setObjectName(QStringLiteral("MkePeriodo"));
    mkePeriodo_->setInputMask(QStringLiteral("99/9999;_"));
    lblControl_ = new QLabel(QStringLiteral("Nro. Control :"), basics);
    txtControl_ = readOnlyField(basics);
    txtControl_->setMaxLength(8);
    auto* rucRow = new QHBoxLayout;
    rucRow->addWidget(cmbRuc_);
    rucRow->addWidget(txtNumRuc_);
    auto* form = new QFormLayout(basics);
    form->addRow(QStringLiteral("RUC :"), rucRow);
    form->addRow(QStringLiteral("Razón Social :"), txtRazon_);
    form->addRow(QStringLiteral("Periodo Tributario (mm/aaaa) :"), mkePeriodo_);
    form->addRow(lblControl_, txtControl_);

    rectFrame_ = new QGroupBox(QStringLiteral("Rectificatoria"), page);
    rectNo_ = new QRadioButton(QStringLiteral("No"), rectFrame_);
    rectSi_ = new QRadioButton(QStringLiteral("Si"), rectFrame_);
    auto* rect = new QVBoxLayout(rectFrame_);
    rect->addWidget(new QLabel(
        QStringLiteral("¿La presente declaración rectifica o sustituye a otra?"), rectFrame_));
    auto* rectOptions = new QHBoxLayout;
    rectOptions->addWidget(rectNo_);
    rectOptions->addWidget(rectSi_);
    rectOptions->addStretch();
    rect->addLayout(rectOptions);

    auto* agent = new QGroupBox(QStringLiteral("Agente de Retención"), page);
    cmbModRet_ = new QComboBox(agent);
    ageSi_ = new QRadioButton(QStringLiteral("Si"), agent);
    ageNo_ = new QRadioButton(QStringLiteral("No"), agent);
    ageSi_->setChecked(true);
    auto* agentLayout = new QVBoxLayout(agent);
    auto* modalityLabel = new QLabel(QStringLiteral("Señale la modalidad por la que ha sido "
                                                    "notificado como Agente de Retención"),
                                     agent);
    modalityLabel->setWordWrap(true);
    agentLayout->addWidget(modalityLabel);
    agentLayout->addWidget(cmbModRet_);
    auto* agentOptions = new QHBoxLayout;
    agentOptions->addWidget(ageSi_);
    agentOptions->addWidget(ageNo_);
    agentOptions->addStretch();
    agentLayout->addLayout(agentOptions);

    orderFrame_ = new QGroupBox(QStringLiteral("Número de Orden"), page);
    orderNumber_ = new QLineEdit(orderFrame_);
    orderNumber_->setMaxLength(10);
    orderNumber_->setMinimumWidth(110);
    verifier_ = new QLineEdit(orderFrame_);
    verifier_->setMaxLength(2);
    verifier_->setMaximumWidth(40);
    auto* order = new QHBoxLayout(orderFrame_);
    order->addWidget(new QLabel(QStringLiteral("Ingrese el número de orden :"), orderFrame_));
    order->addWidget(orderNumber_);
    order->addWidget(new QLabel(QStringLiteral("-"), orderFrame_));
    order->addWidget(verifier_);

    auto* layout = new QGridLayout(page);
    layout->addWidget(basics, 0, 0, 1, 2);
    layout->addWidget(rectFrame_, 1, 0);
    layout->addWidget(orderFrame_, 1, 1);
    layout->addWidget(agent, 2, 0, 1, 2);
    layout->setRowStretch(3, 1);

    connect(cmbRuc_, &QComboBox::activated, this, [this](int i) { model_.chooseContributor(i); });
    connect(cmbModRet_, &QComboBox::activated, this, [this](int i) { model_.chooseModality(i); });
    connect(mkePeriodo_, &QLineEdit::textChanged, this, [this] {
        if (!syncing_)
            model_.setPeriodText(mkePeriodo_->displayText());
    });
    connect(rectNo_, &QRadioButton::clicked, this, [this] { model_.setRectification(false); });
    connect(rectSi_, &QRadioButton::clicked, this, [this] { model_.setRectification(true); });
    connect(ageSi_, &QRadioButton::clicked, this, [this] { model_.setAgentRetention(true); });
    connect(ageNo_, &QRadioButton::clicked, this, [this] { model_.setAgentRetention(false); });
    connect(orderNumber_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setOrderNumber(t); });
    connect(verifier_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setVerifier(t); });
    for (QLineEdit* e : {mkePeriodo_, orderNumber_, verifier_})
        watchEntry(e);
    return page;
}

QWidget* Frm947Dialog::buildRetention() {
    auto* page = new QWidget(this);
    auto* frame =
        new QGroupBox(QStringLiteral("Detalle de Retenciones por Sujeto de Retención"), page);
    grdDatos_ = new QTableWidget(0, 7, frame);
    grdDatos_->setObjectName(QStringLiteral("GrdDatos"));
    // the amounts' long headings take two lines, so that the amounts set the columns' widths
    grdDatos_->setHorizontalHeaderLabels(
        {QStringLiteral("RUC"), QStringLiteral("Nombre o Razón Social"),
         QStringLiteral("Base Imponible\nRetención"), QStringLiteral("Importe de la\nRetención"),
         QStringLiteral("Ape Pat."), QStringLiteral("Ape Mat."), QStringLiteral("Nombres")});
    grdDatos_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDatos_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDatos_->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDatos_->verticalHeader()->hide();
    grdDatos_->setTabKeyNavigation(false); // Tab moves on to the buttons, not along the row
    // RUC, name and the two amounts are read without scrolling; the name's parts follow
    grdDatos_->setMinimumWidth(fitColumns(*grdDatos_, 1,
                                          {{0, QString(11, QLatin1Char('0'))},
                                           {2, kWidestAmount},
                                           {3, kWidestAmount},
                                           {4, QString(20, QLatin1Char('N'))},
                                           {5, QString(20, QLatin1Char('N'))},
                                           {6, QString(20, QLatin1Char('N'))}},
                                          3));
    const char* captions[] = {"&Nuevo", "&Modificar", "&Eliminar", "Imp&ortar"};
    auto* buttons = new QVBoxLayout;
    for (int i = 0; i < 4; ++i) {
        cmdOpciones_[i] = new QPushButton(QString::fromUtf8(captions[i]), frame);
        cmdOpciones_[i]->setAutoDefault(false);
        buttons->addWidget(cmdOpciones_[i]);
    }
    buttons->addStretch();
    txtBase_ = readOnlyField(frame);
    txtRetencion_ = readOnlyField(frame);
    txtBase_->setObjectName(QStringLiteral("TxtBase"));
    txtRetencion_->setObjectName(QStringLiteral("TxtRetencion"));
    txtBase_->setAlignment(Qt::AlignRight);
    txtRetencion_->setAlignment(Qt::AlignRight);
    txtBase_->setMaxLength(20);
    txtRetencion_->setMaxLength(20);
    lblNumTrab_ = new QLabel(frame);
    auto* totals = new QHBoxLayout;
    totals->addWidget(lblNumTrab_);
    totals->addStretch();
    totals->addWidget(new QLabel(QStringLiteral("Totales :"), frame));
    totals->addWidget(txtBase_);
    totals->addWidget(txtRetencion_);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(grdDatos_, 0, 0);
    grid->addLayout(buttons, 0, 1);
    grid->addLayout(totals, 1, 0);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(frame);

    connect(cmdOpciones_[0], &QPushButton::clicked, this, [this] {
        if (model_.sent())
            model_.modificar(); // "&Detalle" takes the first place
        else
            model_.nuevo();
    });
    connect(cmdOpciones_[1], &QPushButton::clicked, this, [this] { model_.modificar(); });
    connect(cmdOpciones_[2], &QPushButton::clicked, this, [this] { model_.eliminar(); });
    connect(cmdOpciones_[3], &QPushButton::clicked, this, [this] { model_.importar(); });
    connect(grdDatos_, &QTableWidget::cellDoubleClicked, this, [this] { model_.modificar(); });
    connect(grdDatos_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!syncing_)
            model_.setCurrentSubject(row);
    });
    return page;
}

QWidget* Frm947Dialog::buildDebt() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout;
    auto* heading = new QLabel(QStringLiteral("Retenciones"), page);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    grid->addWidget(heading, 0, 0, 1, 3);
    int row = 1;
    for (const auto& [code, caption] : kBoxCaptions) {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QStringLiteral("TxtValor") + QLatin1String(code));
        edit->setAlignment(Qt::AlignRight);
        edit->setContextMenuPolicy(Qt::PreventContextMenu);
        const int number = QString::fromLatin1(code).toInt();
        boxes_[number] = edit;
        grid->addWidget(new QLabel(QLatin1String(code), page), row, 0);
        grid->addWidget(new QLabel(QLatin1String(caption), page), row, 1);
        grid->addWidget(edit, row, 2);
        ++row;
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this,
                [this, number](const QString& t) { model_.setBox(number, t); });
    }
    std::vector<std::pair<QString, QString>> banks;
    try {
        banks = bankChoices(*session_.db);
    } catch (const DbError&) {
        // the control then offers no bank; the error shows on the next database step
    }
    payment_ = new PaymentFormWidget(banks, page);
    connect(payment_, &PaymentFormWidget::edited, this,
            [this](const PaymentForm& f) { model_.setPayment(f); });
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    auto* paymentFrame = new QGroupBox(QStringLiteral("Forma de Pago"), page);
    auto* pl = new QVBoxLayout(paymentFrame);
    pl->addWidget(payment_);
    layout->addWidget(paymentFrame);
    layout->addStretch();
    return page;
}

void Frm947Dialog::watchEntry(QLineEdit* edit) {
    edit->setContextMenuPolicy(Qt::PreventContextMenu);
    edit->installEventFilter(this);
}

bool Frm947Dialog::filterKey(QObject* watched, int key, Qt::KeyboardModifiers mods) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        focusNextChild(); // Enter moves on like Tab
        return true;
    }
    if ((key == Qt::Key_Insert && (mods & Qt::ShiftModifier)) ||
        (key == Qt::Key_V && (mods & Qt::ControlModifier))) {
        QApplication::clipboard()->clear(); // no pasting into entry fields
        return true;
    }
    if (key == Qt::Key_Backspace)
        return false;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Left ||
        key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End || key == Qt::Key_Delete)
        return false;
    const int code = key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde ? key : 0;
    for (const auto& [number, edit] : boxes_) {
        if (watched == edit)
            return !model_.boxKey(code);
    }
    if (watched == mkePeriodo_)
        return !model_.periodKey(code);
    // the order-number boxes take digits only
    return !(code >= '0' && code <= '9');
}

bool Frm947Dialog::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* k = static_cast<QKeyEvent*>(event);
        return filterKey(watched, k->key(), k->modifiers());
    }
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            QApplication::clipboard()->clear();
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        for (const auto& [number, edit] : boxes_) {
            if (watched != edit || edit->isReadOnly())
                continue;
            if (event->type() == QEvent::FocusIn)
                model_.boxFocusIn(number);
            else
                model_.boxFocusOut(number);
            edit->setMaxLength(model_.boxMaxLength(number, event->type() == QEvent::FocusIn));
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void Frm947Dialog::sync() {
    if (syncing_)
        return;
    syncing_ = true;
    const bool isNew = model_.isNew();
    const bool sent = model_.sent();

    cmbRuc_->setVisible(isNew);
    txtNumRuc_->setVisible(!isNew);
    if (cmbRuc_->count() != int(model_.contributors().size())) {
        cmbRuc_->clear();
        for (const auto& c : model_.contributors())
            cmbRuc_->addItem(c.entry);
    }
    cmbRuc_->setCurrentIndex(model_.contributorIndex());
    cmbRuc_->setEnabled(model_.contributorEnabled());
    setText(txtNumRuc_, model_.ruc());
    setText(txtRazon_, model_.name());
    if (mkePeriodo_->displayText() != model_.periodText())
        mkePeriodo_->setText(QString(model_.periodText()).remove(QLatin1Char('/')).remove('_'));
    mkePeriodo_->setEnabled(model_.periodEnabled());
    mkePeriodo_->setStyleSheet(greyStyle(model_.periodEnabled()));
    lblControl_->setVisible(sent);
    txtControl_->setVisible(sent);
    setText(txtControl_, model_.controlNumber());
    orderFrame_->setVisible(sent);
    setText(orderNumber_, model_.orderNumber());
    setText(verifier_, model_.verifier());

    rectFrame_->setEnabled(!sent);
    rectNo_->setAutoExclusive(false);
    rectSi_->setAutoExclusive(false);
    rectNo_->setChecked(model_.rectification() == QLatin1String("0"));
    rectSi_->setChecked(model_.rectification() == QLatin1String("1"));
    rectNo_->setAutoExclusive(true);
    rectSi_->setAutoExclusive(true);

    if (cmbModRet_->count() != int(model_.modalities().size())) {
        cmbModRet_->clear();
        for (const auto& m : model_.modalities())
            cmbModRet_->addItem(m.description());
    }
    cmbModRet_->setCurrentIndex(model_.modalityIndex());
    cmbModRet_->setEnabled(model_.modalityEnabled());
    ageSi_->setChecked(model_.agentRetention());
    ageNo_->setChecked(!model_.agentRetention());
    ageSi_->setEnabled(!sent);
    ageNo_->setEnabled(!sent);
    tabs_->setTabEnabled(Frm947::TabRetencion, model_.retentionTabEnabled());

    for (const auto& [number, edit] : boxes_) {
        setText(edit, model_.box(number));
        const bool editable =
            (number == 402 || number == 404 || number == 410) && model_.boxesEnabled();
        edit->setReadOnly(!editable);
        edit->setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
        edit->setStyleSheet(greyStyle(editable));
    }
    payment_->show(model_.payment());

    syncList();
    cmdOpciones_[0]->setText(sent ? QStringLiteral("&Detalle") : QStringLiteral("&Nuevo"));
    for (int i = 1; i < 4; ++i)
        cmdOpciones_[i]->setVisible(!sent);
    cmdValidar_->setVisible(!sent);
    cmdGrabar_->setText(sent ? QStringLiteral("Registrar Nro. &Orden") : QStringLiteral("&Grabar"));

    if (tabs_->currentIndex() != model_.tab())
        tabs_->setCurrentIndex(model_.tab());
    setHelpTopic(this, model_.helpContext());
    syncing_ = false;
    applyFocus();
}

void Frm947Dialog::syncList() {
    const auto& rows = model_.subjects();
    grdDatos_->setRowCount(int(rows.size()));
    const QString cents = QStringLiteral("###,###,###,##0.#0");
    for (int r = 0; r < int(rows.size()); ++r) {
        const SubjectRow& s = rows[size_t(r)];
        const QString cells[] = {s.ruc,
                                 s.razon,
                                 formatText(s.base, cents),
                                 formatText(s.retention, cents),
                                 s.apellidoP,
                                 s.apellidoM,
                                 s.nombres};
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 2 || c == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdDatos_->setItem(r, c, item);
        }
    }
    if (model_.currentSubject() >= 0)
        grdDatos_->setCurrentCell(model_.currentSubject(), 0);
    setText(txtBase_, model_.totalBase());
    setText(txtRetencion_, model_.totalRetention());
    lblNumTrab_->setText(model_.countCaption());
}

void Frm947Dialog::applyFocus() {
    switch (model_.takeFocusRequest()) {
    case Frm947::Focus::Contributor:
        cmbRuc_->setFocus();
        break;
    case Frm947::Focus::Period:
        mkePeriodo_->setFocus();
        break;
    case Frm947::Focus::Box402:
        boxes_[402]->setFocus();
        break;
    case Frm947::Focus::OrderNumber:
        orderNumber_->setFocus();
        break;
    case Frm947::Focus::Verifier:
        verifier_->setFocus();
        break;
    case Frm947::Focus::None:
        break;
    }
}

void Frm947Dialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    model_.activate();
}

void Frm947Dialog::reject() {
    if (model_.salir())
        QDialog::reject();
}

} // namespace ret
