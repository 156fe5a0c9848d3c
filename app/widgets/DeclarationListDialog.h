#pragma once

#include "app/DeclarationList.h"
#include "common/widgets/GridModel.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QTableView;

namespace ret {

// The window of a declaration list: the grid, its label and frame, the action button and
// "&Salir". The rules live in DeclarationList.
class DeclarationListDialog : public QDialog {
    Q_OBJECT
public:
    DeclarationListDialog(Session& session, ListKind kind, const QWidget* main, QWidget* parent);

    const DeclarationList& list() const { return list_; }

    // "&Salir", Escape and the close box all close the list the same way.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void act();
    void showRows();
    void sortBy(int column);
    bool handleGridKey(const QKeyEvent& key);

    DeclarationList list_;
    GridModel model_;
    QLabel* label_ = nullptr;
    QGroupBox* frame_ = nullptr;
    QTableView* grid_ = nullptr;
    QPushButton* action_ = nullptr;
    QPushButton* history_ = nullptr;
    QPushButton* exit_ = nullptr;
    bool showing_ = false; // the grid is being repositioned from the list, not by the user
};

// The registered declarations.
class FrmContAbrir final : public DeclarationListDialog {
    Q_OBJECT
public:
    FrmContAbrir(Session& session, const QWidget* main, QWidget* parent)
        : DeclarationListDialog(session, ListKind::Registered, main, parent) {}
};

// The sent declarations.
class FrmContAbrirE final : public DeclarationListDialog {
    Q_OBJECT
public:
    FrmContAbrirE(Session& session, const QWidget* main, QWidget* parent)
        : DeclarationListDialog(session, ListKind::Sent, main, parent) {}
};

} // namespace ret
