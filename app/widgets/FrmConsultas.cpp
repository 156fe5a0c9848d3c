#include "app/widgets/FrmConsultas.h"

#include "common/widgets/FormHelpers.h"
#include "common/widgets/WaitCursor.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace ret {

FrmConsultas::FrmConsultas(Session& session, const QWidget* main, QWidget* parent)
    : QDialog(parent), query_(session), model_(query_) {
    const QSize size = BanksQuery::sizeTwips();
    setSizeTwips(*this, size.width(), size.height());
    CentraFormulario(main, *this);
    WaitCursor wait;

    grid_ = newListGrid(this, QStringLiteral("grdBancos"), model_);

    auto* exit = new QPushButton(QStringLiteral("&Salir"), this);
    exit->setObjectName(QStringLiteral("CmdSalir"));
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(buttons);

    query_.load();
    setWindowTitle(query_.caption());
    workButtonsFromKeyboard(*this);
    model_.reload();
    grid_->setEnabled(query_.gridEnabled());
    if (query_.gridEnabled()) {
        grid_->setCurrentIndex(model_.index(0, 0));
        grid_->setFocus();
    }
}

} // namespace ret
