#include "detail/widgets/FrmAgeRetDialog.h"

#include "common/Cp1252.h"
#include "common/WindowPlacement.h"
#include "common/widgets/FormHelpers.h"
#include "common/widgets/WaitCursor.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace ret {
namespace {

// Fields that cannot be edited are grey, with their text still readable.
QString greyStyle(bool editable) {
    return editable ? QString() : QStringLiteral("background-color: #d4d0c8; color: #000000;");
}

int px(int twips) {
    return twips / kTwipsPerPixel;
}

void setText(QLineEdit* e, const QString& t) {
    if (e->text() != t)
        e->setText(t);
}

void setEditable(QLineEdit* e, bool editable) {
    e->setEnabled(editable);
    e->setStyleSheet(greyStyle(editable));
}

QLineEdit* totalField(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setMaxLength(20);
    e->setAlignment(Qt::AlignRight);
    e->setStyleSheet(greyStyle(false));
    return e;
}

} // namespace

// The voucher list over the rows the window holds.
class SubjectVoucherTable final : public QAbstractTableModel {
public:
    SubjectVoucherTable(const FrmAgeRet& model, QObject* parent)
        : QAbstractTableModel(parent), model_(model) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(model_.vouchers().size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : FrmAgeRet::ColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole)
            return model_.cell(index.row(), index.column());
        if (role == Qt::TextAlignmentRole && index.column() >= FrmAgeRet::Base)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return FrmAgeRet::heading(section).join(QLatin1Char('\n'));
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }
    void reload() {
        beginResetModel();
        endResetModel();
    }

private:
    const FrmAgeRet& model_;
};

FrmAgeRetDialog::FrmAgeRetDialog(Session& session, QWidget* parent)
    : QDialog(parent), session_(session), model_(session) {
    WaitCursor wait;
    setWindowTitle(FrmAgeRet::kCaption);
    workButtonsFromKeyboard(*this);
    build();
    model_.onChange = [this] { sync(); };
    model_.load();
    move(px(FrmAgeRet::kLeftTwips), px(FrmAgeRet::kTopTwips));
    sync();
}

FrmAgeRetDialog::~FrmAgeRetDialog() {
    model_.onChange = nullptr;
    // the grid reads the rules' rows: it goes before they do
    delete grdRet_;
    delete table_;
}

void FrmAgeRetDialog::build() {
    auto* subject = new QGroupBox(QStringLiteral("Datos del Proveedor"), this);
    txtNumRuc_ = new QLineEdit(subject);
    txtNumRuc_->setObjectName(QStringLiteral("TxtNumRuc"));
    txtNumRuc_->setMaxLength(11);
    txtNumRuc_->setFixedWidth(px(1500));
    label1_ = new QLabel(QStringLiteral("Ap. Paterno :"), subject);
    label3_ = new QLabel(QStringLiteral("Ap. Materno :"), subject);
    label4_ = new QLabel(subject);
    label4_->setObjectName(QStringLiteral("Label4"));
    txtApePat_ = new QLineEdit(subject);
    txtApePat_->setObjectName(QStringLiteral("TxtApePat"));
    txtApeMat_ = new QLineEdit(subject);
    txtApeMat_->setObjectName(QStringLiteral("TxtApeMat"));
    txtNombres_ = new QLineEdit(subject);
    txtNombres_->setObjectName(QStringLiteral("TxtNombres"));
    for (QLineEdit* e : {txtApePat_, txtApeMat_}) {
        e->setMaxLength(20);
        e->setFixedWidth(px(2355));
    }
    for (QLineEdit* e : {txtNumRuc_, txtApePat_, txtApeMat_, txtNombres_})
        watchEntry(e);
    names_ = new QGridLayout(subject);
    names_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    names_->addWidget(new QLabel(QStringLiteral("RUC :"), subject), 0, 0);
    names_->addWidget(txtNumRuc_, 0, 1, Qt::AlignLeft);

    auto* frame = new QGroupBox(QString::fromUtf8("Comprobantes de Retención emitidos"), this);
    table_ = new SubjectVoucherTable(model_, this);
    grdRet_ = new QTableView(frame);
    grdRet_->setObjectName(QStringLiteral("GrdRet"));
    grdRet_->setModel(table_);
    grdRet_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdRet_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdRet_->setSelectionMode(QAbstractItemView::SingleSelection);
    grdRet_->setWordWrap(false);
    grdRet_->verticalHeader()->hide();
    grdRet_->setTabKeyNavigation(false); // Tab moves on to the buttons, not along the row
    grdRet_->horizontalHeader()->setStretchLastSection(true);
    for (const int amount : {int(FrmAgeRet::Base), int(FrmAgeRet::Retencion)})
        grdRet_->setColumnWidth(amount, columnWidthFor(*grdRet_, amount, kWidestAmount));
    const char* captions[] = {"&Nuevo", "&Modificar", "&Eliminar"};
    auto* buttonRow = new QWidget(frame);
    auto* buttons = new QHBoxLayout(buttonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        cmdOpciones_[i] = new QPushButton(QString::fromUtf8(captions[i]), buttonRow);
        cmdOpciones_[i]->setObjectName(QStringLiteral("CmdOpciones%1").arg(i));
        cmdOpciones_[i]->setAutoDefault(false);
        buttons->addWidget(cmdOpciones_[i]);
    }
    buttons->addStretch(); // the read-only window's "&Detalle" sits at the row's left edge
    auto* buttonLine = new QHBoxLayout;
    buttonLine->addSpacing(px(FrmAgeRet::kDetailLeftTwips) - px(400));
    buttonLine->addWidget(buttonRow, 1);

    txtBase_ = totalField(frame);
    txtBase_->setObjectName(QStringLiteral("TxtBase"));
    txtRetencion_ = totalField(frame);
    txtRetencion_->setObjectName(QStringLiteral("TxtRetencion"));
    lblNumTrab_ = new QLabel(frame);
    lblNumTrab_->setObjectName(QStringLiteral("lblNumTrab"));
    auto* totals = new QHBoxLayout;
    totals->addWidget(lblNumTrab_);
    totals->addStretch();
    totals->addWidget(txtBase_);
    totals->addWidget(new QLabel(QString::fromUtf8("Total Retención :"), frame));
    totals->addWidget(txtRetencion_);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(grdRet_);
    frameLayout->addLayout(totals);
    frameLayout->addLayout(buttonLine);

    cmdAceptar_ = new QPushButton(QStringLiteral("&Aceptar"), this);
    cmdAceptar_->setObjectName(QStringLiteral("CmdAceptar"));
    cmdSalir_ = new QPushButton(QStringLiteral("&Salir"), this);
    cmdSalir_->setObjectName(QStringLiteral("CmdSalir"));
    for (QPushButton* b : {cmdAceptar_, cmdSalir_})
        b->setAutoDefault(false);
    auto* exits = new QHBoxLayout;
    exits->addStretch();
    exits->addWidget(cmdAceptar_);
    exits->addWidget(cmdSalir_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(subject);
    layout->addWidget(frame, 1);
    layout->addLayout(exits);
    resize(px(9600), px(6600));

    connect(txtNumRuc_, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!syncing_)
            model_.setRuc(t);
    });
    connect(txtApePat_, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!syncing_)
            model_.setApellidoP(t);
    });
    connect(txtApeMat_, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!syncing_)
            model_.setApellidoM(t);
    });
    connect(txtNombres_, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!syncing_)
            model_.setNombres(t);
    });
    connect(cmdOpciones_[0], &QPushButton::clicked, this, [this] { model_.nuevo(); });
    connect(cmdOpciones_[1], &QPushButton::clicked, this, [this] { model_.modificar(); });
    connect(cmdOpciones_[2], &QPushButton::clicked, this, [this] { model_.eliminar(); });
    connect(grdRet_, &QTableView::doubleClicked, this, [this] { model_.modificar(); });
    connect(grdRet_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!syncing_)
                    model_.setCurrentVoucher(current.isValid() ? current.row() : -1);
            });
    connect(cmdAceptar_, &QPushButton::clicked, this, [this] {
        if (model_.aceptar())
            accept();
    });
    connect(cmdSalir_, &QPushButton::clicked, this, [this] {
        if (model_.salir())
            accept();
    });
}

void FrmAgeRetDialog::watchEntry(QLineEdit* edit) {
    edit->setContextMenuPolicy(Qt::PreventContextMenu);
    edit->setAcceptDrops(false);
    edit->installEventFilter(this);
}

void FrmAgeRetDialog::placeNames() {
    const bool company = model_.layout() == FrmAgeRet::Layout::Company;
    if (placed_ && company == companyPlaced_)
        return;
    placed_ = true;
    companyPlaced_ = company;
    for (QWidget* w : {static_cast<QWidget*>(label1_), static_cast<QWidget*>(txtApePat_),
                       static_cast<QWidget*>(label3_), static_cast<QWidget*>(txtApeMat_),
                       static_cast<QWidget*>(label4_), static_cast<QWidget*>(txtNombres_)})
        names_->removeWidget(w);
    if (company) {
        names_->addWidget(label4_, 1, 0);
        names_->addWidget(txtNombres_, 1, 1, 1, 3, Qt::AlignLeft);
    } else {
        names_->addWidget(label1_, 1, 0);
        names_->addWidget(txtApePat_, 1, 1, Qt::AlignLeft);
        names_->addWidget(label3_, 1, 2);
        names_->addWidget(txtApeMat_, 1, 3, Qt::AlignLeft);
        names_->addWidget(label4_, 2, 0);
        names_->addWidget(txtNombres_, 2, 1, Qt::AlignLeft);
    }
    for (QWidget* w : {static_cast<QWidget*>(label1_), static_cast<QWidget*>(txtApePat_),
                       static_cast<QWidget*>(label3_), static_cast<QWidget*>(txtApeMat_)})
        w->setVisible(!company);
}

void FrmAgeRetDialog::sync() {
    if (syncing_)
        return;
    syncing_ = true;
    const bool sent = model_.sent();

    placeNames();
    label4_->setText(model_.nombresLabel());
    txtNombres_->setMaxLength(model_.nombresMaxLength());
    txtNombres_->setFixedWidth(px(model_.nombresWidthTwips()));
    setText(txtNumRuc_, model_.ruc());
    setText(txtApePat_, model_.apellidoP());
    setText(txtApeMat_, model_.apellidoM());
    setText(txtNombres_, model_.nombres());
    setEditable(txtNumRuc_, model_.rucEnabled());
    for (QLineEdit* e : {txtApePat_, txtApeMat_, txtNombres_})
        setEditable(e, model_.namesEnabled());

    if (shownGeneration_ != model_.listGeneration()) {
        shownGeneration_ = model_.listGeneration();
        table_->reload();
    }
    const int current = model_.currentVoucher();
    if (current >= 0 && grdRet_->currentIndex().row() != current)
        grdRet_->setCurrentIndex(table_->index(current, 0));
    setText(txtBase_, model_.totalBase());
    setText(txtRetencion_, model_.totalRetention());
    lblNumTrab_->setText(model_.countCaption());

    cmdOpciones_[0]->setVisible(!sent);
    cmdOpciones_[2]->setVisible(!sent);
    cmdOpciones_[1]->setText(sent ? QStringLiteral("&Detalle") : QStringLiteral("&Modificar"));
    cmdAceptar_->setVisible(!sent);
    syncing_ = false;
    applyFocus();
}

void FrmAgeRetDialog::applyFocus() {
    switch (model_.takeFocusRequest()) {
    case FrmAgeRet::Focus::Ruc:
        txtNumRuc_->setFocus();
        break;
    case FrmAgeRet::Focus::ApePat:
        txtApePat_->setFocus();
        break;
    case FrmAgeRet::Focus::ApeMat:
        txtApeMat_->setFocus();
        break;
    case FrmAgeRet::Focus::Nombres:
        txtNombres_->setFocus();
        break;
    case FrmAgeRet::Focus::None:
        break;
    }
}

bool FrmAgeRetDialog::filterKey(QLineEdit* edit, int key, Qt::KeyboardModifiers mods,
                                const QString& text) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        focusNextChild(); // Enter moves on like Tab
        return true;
    }
    if ((key == Qt::Key_Insert && (mods & Qt::ShiftModifier)) ||
        (key == Qt::Key_V && (mods & Qt::ControlModifier)) || key == Qt::Key_Paste) {
        QApplication::clipboard()->clear(); // nothing can be pasted into the fields
        return true;
    }
    int code = 0;
    if (key == Qt::Key_Backspace)
        code = 8;
    else if (key == Qt::Key_Escape || key == Qt::Key_Tab || key == Qt::Key_Backtab ||
             key == Qt::Key_Delete || text.isEmpty())
        return false; // moving about and leaving are no typed keys
    else
        code = cp1252::code(text.at(0));
    if (edit == txtNumRuc_)
        return model_.rucKey(code) == 0;
    const int kept = model_.nameKey(code);
    if (kept == 0)
        return true;
    if (kept == code)
        return false;
    // the converted key reaches the field instead of the typed one
    edit->insert(cp1252::decode(QByteArray(1, char(kept))));
    return true;
}

bool FrmAgeRetDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* k = static_cast<QKeyEvent*>(event);
        return filterKey(edit, k->key(), k->modifiers(), k->text());
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        const Qt::MouseButton b = static_cast<QMouseEvent*>(event)->button();
        if (b == Qt::RightButton)
            QApplication::clipboard()->clear();
        if (b == Qt::MiddleButton)
            return true; // the selection would be pasted
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void FrmAgeRetDialog::reject() {
    if (model_.salir())
        QDialog::reject();
}

} // namespace ret
