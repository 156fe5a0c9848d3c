#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ret::reports {

class frmImpxPag;

// The page-range dialog of a preview; its checks live in frmImpxPag.
class frmImpxPagDialog : public QDialog {
    Q_OBJECT
public:
    frmImpxPagDialog(frmImpxPag& model, QWidget* parent);

    QLineEdit* desde() const { return txtPagDesde_; }
    QLineEdit* hasta() const { return txtPagHasta_; }
    QLineEdit* totPaginas() const { return txtTotPaginas_; }
    QPlainTextEdit* text1() const { return text1_; }

    void preliminar();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void placeCount();

    frmImpxPag& model_;
    QPlainTextEdit* text1_ = nullptr;
    QLineEdit* txtTotPaginas_ = nullptr;
    QLineEdit* txtPagDesde_ = nullptr;
    QLineEdit* txtPagHasta_ = nullptr;
    QPushButton* preliminar_ = nullptr;
    QPushButton* cancelar_ = nullptr;
};

} // namespace ret::reports
