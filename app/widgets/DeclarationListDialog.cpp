#include "DeclarationListDialog.h"

#include "FormHelpers.h"
#include "WaitCursor.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace ret {

DeclarationListDialog::DeclarationListDialog(Session& session, ListKind kind, const QWidget* main,
                                             QWidget* parent)
    : QDialog(parent), list_(session, kind), model_(list_) {
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
    grid_->setWordWrap(false);
    grid_->setColumnWidth(DeclarationList::Name, 230); // the name is what the user reads

    auto* frameLayout = new QVBoxLayout(frame_);
    frameLayout->addWidget(grid_);

    action_ = new QPushButton(c.action, this);
    action_->setObjectName(QStringLiteral("CmdOpciones0"));
    exit_ = new QPushButton(QStringLiteral("&Salir"), this);
    exit_->setObjectName(QStringLiteral("CmdOpciones1"));
    for (QPushButton* b : {action_, exit_})
        b->setAutoDefault(false); // Enter in the grid is the grid's own

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(action_);
    buttons->addWidget(exit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(frame_);
    layout->addLayout(buttons);

    connect(action_, &QPushButton::clicked, this, &DeclarationListDialog::act);
    connect(exit_, &QPushButton::clicked, this, &DeclarationListDialog::reject);
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
