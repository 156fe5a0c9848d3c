#include "app/widgets/DeclarationListDialog.h"

#include "common/widgets/FormHelpers.h"
#include "common/widgets/HelpKey.h"
#include "common/widgets/WaitCursor.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace ret {
namespace {

// The widest text of each column of the lists: RUCs of 11 digits, periods "mm/yyyy", order
// numbers of 10 digits, dates, control numbers of 8 digits, one-digit states.
WidestTexts widestTexts(ListKind kind) {
    const auto digits = [](int n) { return QString(n, QLatin1Char('0')); };
    WidestTexts widest{{DeclarationList::Ruc, digits(11)},
                       {DeclarationList::Period, QStringLiteral("00/0000")},
                       {DeclarationList::Form, QStringLiteral("0947")}};
    if (kind == ListKind::Registered)
        return widest;
    widest[DeclarationList::OrderNumber] = digits(10);
    widest[DeclarationList::SentDate] = QStringLiteral("00/00/0000");
    widest[DeclarationList::ControlNumber] = digits(8);
    return widest;
}

} // namespace

DeclarationListDialog::DeclarationListDialog(Session& session, ListKind kind, const QWidget* main,
                                             QWidget* parent)
    : QDialog(parent), list_(session, kind), model_(list_) {
    setHelpTopic(this, list_.helpContext());
    WaitCursor wait;
    build();
    const QSize size = list_.sizeTwips();
    setSizeTwips(*this, size.width(), size.height());
    CentraFormulario(main, *this);
    list_.load();
    showRows();
}

void DeclarationListDialog::build() {
    const DeclarationList::Captions c = list_.captions();
    setWindowTitle(c.window);
    workButtonsFromKeyboard(*this);

    label_ = new QLabel(c.label, this);
    label_->setObjectName(QStringLiteral("Label1"));
    frame_ = new QGroupBox(c.frame, this);
    frame_->setObjectName(QStringLiteral("Frame1"));

    grid_ = newListGrid(frame_, QStringLiteral("grdContrib"), model_);
    grid_->installEventFilter(this);
    const auto& columns = list_.columns();
    for (size_t i = 0; i < columns.size(); ++i)
        grid_->setColumnHidden(int(i), columns[i].hidden);
    fitColumns(*grid_, DeclarationList::Name, widestTexts(list_.kind()));

    auto* frameLayout = new QVBoxLayout(frame_);
    frameLayout->setContentsMargins(4, 4, 4, 4); // the grid's columns take the room
    frameLayout->addWidget(grid_);

    action_ = new QPushButton(c.action, this);
    action_->setObjectName(QStringLiteral("CmdOpciones0"));
    history_ = new QPushButton(QStringLiteral("&Historial..."), this);
    history_->setObjectName(QStringLiteral("CmdHistorial"));
    exit_ = new QPushButton(QStringLiteral("&Salir"), this);
    exit_->setObjectName(QStringLiteral("CmdOpciones1"));
    for (QPushButton* b : {action_, history_, exit_})
        b->setAutoDefault(false); // Enter in the grid is the grid's own

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(history_);
    buttons->addStretch();
    buttons->addWidget(action_);
    buttons->addWidget(exit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(frame_);
    layout->addLayout(buttons);

    connect(action_, &QPushButton::clicked, this, &DeclarationListDialog::act);
    connect(exit_, &QPushButton::clicked, this, &DeclarationListDialog::reject);
    connect(history_, &QPushButton::clicked, this, [this] { list_.historial(); });
    connect(grid_, &QTableView::doubleClicked, this, &DeclarationListDialog::act);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!showing_ && current.isValid())
                    list_.setCurrentRow(current.row());
            });
    if (list_.kind() == ListKind::Registered) {
        grid_->horizontalHeader()->setSectionsClickable(true);
        connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this,
                &DeclarationListDialog::sortBy);
    }
}

void DeclarationListDialog::reject() {
    list_.close();
    model_.reload();
    QDialog::reject();
}

bool DeclarationListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress)
        return handleGridKey(static_cast<const QKeyEvent&>(*event));
    return QDialog::eventFilter(watched, event);
}

bool DeclarationListDialog::handleGridKey(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        act();
        return true;
    }
    // the registered grid takes no typed character (no search by the first letters); moving
    // through the rows stays
    if (list_.kind() != ListKind::Registered)
        return false;
    const QString text = key.text();
    return !text.isEmpty() && (text.at(0).isPrint() || key.key() == Qt::Key_Backspace);
}

void DeclarationListDialog::act() {
    list_.act();
    showRows();
}

void DeclarationListDialog::sortBy(int column) {
    WaitCursor wait;
    list_.headerClicked(column);
    showRows();
}

void DeclarationListDialog::showRows() {
    showing_ = true;
    model_.reload();
    grid_->setEnabled(list_.gridEnabled());
    const int row = list_.currentRow();
    if (row >= 0)
        grid_->setCurrentIndex(model_.index(row, 0));
    showing_ = false;
    if (list_.gridEnabled())
        grid_->setFocus();
}

} // namespace ret
