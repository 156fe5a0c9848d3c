#pragma once

#include "detail/FrmAgeRet.h"

#include <QDialog>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace ret {

class SubjectVoucherTable;

// The retention subject window: shows the state of its FrmAgeRet and forwards what the user
// does.
class FrmAgeRetDialog : public QDialog {
    Q_OBJECT
public:
    FrmAgeRetDialog(Session& session, QWidget* parent);
    ~FrmAgeRetDialog() override;
    FrmAgeRet& model() { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Escape and the close box leave as "&Salir" does: asking first, and staying when told to.
    void reject() override;

private:
    void build();
    void sync();
    void placeNames();
    void applyFocus();
    bool filterKey(QLineEdit* edit, int key, Qt::KeyboardModifiers mods, const QString& text);
    void watchEntry(QLineEdit* edit);

    Session& session_;
    FrmAgeRet model_;
    SubjectVoucherTable* table_ = nullptr;
    bool syncing_ = false;
    int shownGeneration_ = -1;

    QLineEdit* txtNumRuc_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label4_ = nullptr;
    QLineEdit* txtApePat_ = nullptr;
    QLineEdit* txtApeMat_ = nullptr;
    QLineEdit* txtNombres_ = nullptr;
    QGridLayout* names_ = nullptr;
    bool companyPlaced_ = false;
    bool placed_ = false;

    QTableView* grdRet_ = nullptr;
    QPushButton* cmdOpciones_[3] = {};
    QLineEdit* txtBase_ = nullptr;
    QLineEdit* txtRetencion_ = nullptr;
    QLabel* lblNumTrab_ = nullptr;
    QPushButton* cmdAceptar_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
};

} // namespace ret
