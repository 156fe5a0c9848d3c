#include "reports/widgets/frmImprimirDialog.h"

#include "common/Session.h"
#include "common/WindowPlacement.h"
#include "common/widgets/FormHelpers.h"
#include "common/widgets/HelpKey.h"
#include "common/widgets/WaitCursor.h"
#include "common/widgets/WidgetWindows.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace ret::reports {
namespace {

// The widest text of each shown column: RUCs of 11 digits, periods "mm/yyyy", order numbers of
// 10 digits, dates, control numbers of 8 digits, "NO" and "SI".
WidestTexts widestTexts() {
    const auto digits = [](int n) { return QString(n, QLatin1Char('0')); };
    return {{frmImprimir::Ruc, digits(11)},
            {frmImprimir::Periodof, QStringLiteral("00/0000")},
            {frmImprimir::Formulario, QStringLiteral("0947")},
            {frmImprimir::Norden, digits(10)},
            {frmImprimir::FecEnv, QStringLiteral("00/00/0000")},
            {frmImprimir::Control, digits(8)},
            {frmImprimir::Rectifica, QStringLiteral("NO")}};
}

} // namespace

frmImprimirDialog::frmImprimirDialog(Session& session, const QWidget* main, QWidget* parent)
    : QDialog(parent), session_(session), screens_(session, this), model_(session, screens_),
      gridModel_(model_) {
    setHelpTopic(this, model_.helpTopic());
    build();
    setSizeTwips(*this, 9900, 5200); // the shown columns fit without scrolling
    CentraFormulario(main, *this);
    {
        WaitCursor wait;
        model_.load();
    }
    showRows();
}

QPushButton* frmImprimirDialog::button(int index) const {
    return buttons_[index];
}

void frmImprimirDialog::build() {
    setWindowTitle(model_.caption());
    workButtonsFromKeyboard(*this);

    auto* options = new QGroupBox(QStringLiteral("Opciones"), this);
    options->setObjectName(QStringLiteral("Frame1"));
    declaracion_ = new QRadioButton(QStringLiteral("Declaración"), options);
    declaracion_->setObjectName(QStringLiteral("OptImp0"));
    declaracion_->setChecked(true);
    anexos_ = new QRadioButton(QStringLiteral("Anexos"), options);
    anexos_->setObjectName(QStringLiteral("OptImp1"));
    auto* optionLayout = new QHBoxLayout(options);
    optionLayout->addWidget(declaracion_);
    optionLayout->addWidget(anexos_);
    optionLayout->addStretch();
    connect(declaracion_, &QRadioButton::toggled, this, [this](bool on) {
        model_.setOption(on ? frmImprimir::Declaracion : frmImprimir::Anexos);
    });

    auto* list = new QGroupBox(model_.frameCaption(), this);
    list->setObjectName(QStringLiteral("Frame2"));
    grid_ = newListGrid(list, QStringLiteral("grdContrib"), gridModel_);
    grid_->installEventFilter(this);
    const auto& columns = model_.columns();
    for (size_t i = 0; i < columns.size(); ++i)
        grid_->setColumnHidden(int(i), columns[i].hidden);
    // the name takes what the other columns leave, so that every one is read without scrolling
    fitColumns(*grid_, frmImprimir::Nombre, widestTexts());
    if (session().SentMode)
        grid_->setMinimumWidth(twipsToPixels(frmImprimir::kSentGridWidthTwips, 0).width());
    auto* listLayout = new QVBoxLayout(list);
    listLayout->addWidget(grid_);
    connect(grid_, &QTableView::doubleClicked, this, &frmImprimirDialog::preliminar);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!showing_ && current.isValid())
                    model_.setCurrentRow(current.row());
            });

    const char* captions[] = {"&Preliminar", "&Imprimir", "&Salir"};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int i = 0; i < 3; ++i) {
        buttons_[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        buttons_[i]->setObjectName(QStringLiteral("CmdImprimir%1").arg(i));
        buttons_[i]->setAutoDefault(false); // Enter in the grid is the grid's own
        buttons->addWidget(buttons_[i]);
    }
    connect(buttons_[0], &QPushButton::clicked, this, &frmImprimirDialog::preliminar);
    connect(buttons_[1], &QPushButton::clicked, this, &frmImprimirDialog::imprimir);
    connect(buttons_[2], &QPushButton::clicked, this, &frmImprimirDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(options);
    layout->addWidget(list);
    layout->addLayout(buttons);
}

Session& frmImprimirDialog::session() const {
    return session_;
}

void frmImprimirDialog::preliminar() {
    model_.preliminar();
    showRows();
}

void frmImprimirDialog::imprimir() {
    model_.imprimir();
    showRows();
}

void frmImprimirDialog::reject() {
    model_.close();
    gridModel_.reload();
    QDialog::reject();
}

bool frmImprimirDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            preliminar();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmImprimirDialog::showRows() {
    showing_ = true;
    gridModel_.reload();
    grid_->setEnabled(model_.gridEnabled());
    if (const int row = model_.currentRow(); row >= 0)
        grid_->setCurrentIndex(gridModel_.index(row, 0));
    showing_ = false;
    if (model_.gridEnabled())
        grid_->setFocus();
}

void registerReportWindows(WidgetWindows& windows, Session& session) {
    WidgetWindows* w = &windows;
    Session* s = &session;
    windows.registerWindow(Window::frmImprimir, [w, s](QWidget* parent) {
        return std::make_unique<frmImprimirDialog>(*s, w->mainWindow(), parent);
    });
}

} // namespace ret::reports
