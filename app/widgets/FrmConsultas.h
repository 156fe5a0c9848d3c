#pragma once

#include "app/BanksQuery.h"
#include "common/widgets/GridModel.h"

#include <QDialog>

class QTableView;

namespace ret {

// The banks query window: the bank codes for the user to look up, and "&Salir".
class FrmConsultas final : public QDialog {
    Q_OBJECT
public:
    FrmConsultas(Session& session, const QWidget* main, QWidget* parent);

    const BanksQuery& query() const { return query_; }

private:
    BanksQuery query_;
    GridModel model_;
    QTableView* grid_ = nullptr;
};

} // namespace ret
