#pragma once

#include <QStatusBar>

class QLabel;

namespace ret {

struct StatusTexts;

// BarradeEstadoVelkar1: the document number, name, form number and period of the declaration
// in hand.
class StatusBar final : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);
    void showTexts(const StatusTexts& texts);

private:
    QLabel* ruc_;
    QLabel* name_;
    QLabel* form_;
    QLabel* period_;
};

} // namespace ret
