#include "app/widgets/StatusBar.h"

#include "common/Session.h"

#include <QLabel>

namespace ret {
namespace {

QLabel* panel(const char* name, int minimumWidth, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setMinimumWidth(minimumWidth);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    return label;
}

} // namespace

StatusBar::StatusBar(QWidget* parent)
    : QStatusBar(parent), ruc_(panel("StatusRuc", 90, this)), name_(panel("StatusName", 200, this)),
      form_(panel("StatusForm", 45, this)), period_(panel("StatusPeriod", 60, this)) {
    setObjectName(QStringLiteral("BarradeEstadoVelkar1"));
    setSizeGripEnabled(false);
    addWidget(ruc_);
    addWidget(name_, 1);
    addWidget(form_);
    addWidget(period_);
}

void StatusBar::showTexts(const StatusTexts& texts) {
    ruc_->setText(texts.ruc);
    name_->setText(texts.name);
    form_->setText(texts.form);
    period_->setText(texts.period);
}

} // namespace ret
