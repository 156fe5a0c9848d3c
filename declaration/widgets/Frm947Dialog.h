#pragma once

#include "declaration/Frm947.h"

#include <QDialog>

#include <map>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;

namespace ret {

class PaymentFormWidget;

// The declaration window: shows the state of its Frm947 and forwards what the user does.
class Frm947Dialog : public QDialog {
    Q_OBJECT
public:
    Frm947Dialog(Session& session, QWidget* parent);
    Frm947& model() { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

public slots:
    // Escape and the close box leave as "&Salir" does: asking first, and staying when told to.
    void reject() override;

private:
    QWidget* buildIdentification();
    QWidget* buildRetention();
    QWidget* buildDebt();
    void sync();
    void syncList();
    void applyFocus();
    bool filterKey(QObject* watched, int key, Qt::KeyboardModifiers mods);
    void watchEntry(QLineEdit* edit);

    Session& session_;
    Frm947 model_;
    bool syncing_ = false;

    QTabWidget* tabs_ = nullptr;
    QComboBox* cmbRuc_ = nullptr;
    QLineEdit* txtNumRuc_ = nullptr;
    QLineEdit* txtRazon_ = nullptr;
    QLineEdit* mkePeriodo_ = nullptr;
    QLabel* lblControl_ = nullptr;
    QLineEdit* txtControl_ = nullptr;
    QRadioButton* rectNo_ = nullptr;
    QRadioButton* rectSi_ = nullptr;
    QGroupBox* rectFrame_ = nullptr;
    QComboBox* cmbModRet_ = nullptr;
    QRadioButton* ageSi_ = nullptr;
    QRadioButton* ageNo_ = nullptr;
    QGroupBox* orderFrame_ = nullptr;
    QLineEdit* orderNumber_ = nullptr;
    QLineEdit* verifier_ = nullptr;

    QTableWidget* grdDatos_ = nullptr;
    QPushButton* cmdOpciones_[4] = {};
    QLineEdit* txtBase_ = nullptr;
    QLineEdit* txtRetencion_ = nullptr;
    QLabel* lblNumTrab_ = nullptr;

    std::map<int, QLineEdit*> boxes_;
    PaymentFormWidget* payment_ = nullptr;

    QPushButton* cmdValidar_ = nullptr;
    QPushButton* cmdGrabar_ = nullptr;
    QPushButton* cmdCancelar_ = nullptr;
};

} // namespace ret
