#pragma once

#include "common/widgets/GridModel.h"
#include "reports/frmImprimir.h"
#include "reports/widgets/WidgetReportScreens.h"

#include <QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;
class QTableView;

namespace ret {
class WidgetWindows;
}

namespace ret::reports {

// The print window: the report options, the list of declarations and the three buttons. The
// rules live in frmImprimir.
class frmImprimirDialog : public QDialog {
    Q_OBJECT
public:
    frmImprimirDialog(Session& session, const QWidget* main, QWidget* parent);

    frmImprimir& model() { return model_; }
    QTableView* grid() const { return grid_; }
    QRadioButton* option(int index) const { return index == 0 ? declaracion_ : anexos_; }
    QPushButton* button(int index) const;

    void preliminar();
    void imprimir();
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void showRows();
    Session& session() const;

    Session& session_;
    WidgetReportScreens screens_;
    frmImprimir model_;
    GridModel gridModel_;
    QTableView* grid_ = nullptr;
    QRadioButton* declaracion_ = nullptr;
    QRadioButton* anexos_ = nullptr;
    QPushButton* buttons_[3] = {};
    bool showing_ = false; // the grid is being repositioned from the list, not by the user
};

// Makes "&Imprimir" of the main window's two menus open the print window.
void registerReportWindows(WidgetWindows& windows, Session& session);

} // namespace ret::reports
