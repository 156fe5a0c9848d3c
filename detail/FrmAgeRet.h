#pragma once

#include "detail/SubjectStore.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace ret {

struct Session;

// The retention subject window: one supplier and the retention vouchers issued to it, on the
// staging tables. The widget shows this state and forwards the user's actions; messages and the
// voucher window go through the session.
class FrmAgeRet {
public:
    enum class Focus { None, Ruc, ApePat, ApeMat, Nombres };
    enum class Layout { Company, Person };
    enum Column { Serie = 0, Numero, Fecha, Base, Retencion, ColumnCount };

    static inline const QString kCaption = QString::fromUtf8("Información del Sujeto de Retención");
    static constexpr int kLeftTwips = 1000;
    static constexpr int kTopTwips = 300;
    // "&Detalle" takes the left edge of the button row in the read-only window
    static constexpr int kDetailLeftTwips = 6480;

    explicit FrmAgeRet(Session& session);

    // --- the window's life
    void load();
    // After the voucher window returns: the list, the count and the totals afresh.
    void activate();
    // "&Aceptar" and "&Salir": true when the window closes.
    bool aceptar();
    bool salir();

    // --- fields
    const QString& ruc() const { return ruc_; }
    const QString& apellidoP() const { return apellidoP_; }
    const QString& apellidoM() const { return apellidoM_; }
    const QString& nombres() const { return nombres_; }
    // Every change of a field's text.
    void setRuc(const QString& text);
    void setApellidoP(const QString& text);
    void setApellidoM(const QString& text);
    void setNombres(const QString& text);
    // A key typed (Windows-1252 code, 8 Backspace): the key the field receives, 0 when refused.
    int rucKey(int key);
    int nameKey(int key);

    bool rucEnabled() const { return rucEnabled_; }
    bool namesEnabled() const { return !sent_; }
    bool sent() const { return sent_; }

    // --- name layout by the RUC's prefix
    Layout layout() const { return layout_; }
    QString nombresLabel() const;
    int nombresMaxLength() const { return layout_ == Layout::Company ? 40 : 20; }
    int nombresWidthTwips() const { return layout_ == Layout::Company ? 4500 : 2355; }
    int nombresTopTwips() const { return layout_ == Layout::Company ? 1000 : 1320; }

    // --- voucher list
    static QStringList heading(int column); // the three heading lines of a column
    const std::vector<SubjectVoucherRow>& vouchers() const { return vouchers_; }
    QString cell(int row, int column) const;
    int currentVoucher() const { return current_; }
    void setCurrentVoucher(int row);
    // Grows each time the list is read again, so that the grid reloads only then.
    int listGeneration() const { return generation_; }
    const QString& totalBase() const { return totalBase_; }
    const QString& totalRetention() const { return totalRetention_; }
    const QString& voucherCount() const { return voucherCount_; }
    const QString& countCaption() const { return countCaption_; }

    // --- voucher operations
    void nuevo();
    void modificar(); // "&Detalle" in the read-only window
    void eliminar();

    bool changed() const { return changed_; }
    Focus takeFocusRequest();
    std::function<void()> onChange; // the widget re-reads the state

private:
    bool detailNew() const;
    bool isCompany() const { return ruc_.startsWith(QLatin1String("20")); }
    void notify();
    void refuse(const QString& text, Focus focus);
    void dbError(const QString& text);
    void applyLayout();
    void rucTypingChecks();
    bool supplierChecks(int last);
    bool alreadyStaged(); // shows the message when it is
    void refresh();
    void setCount(size_t rows);
    void openVoucherWindow(const QString& mode);
    QString storedBase() const;
    QString storedRetention() const;

    Session& session_;
    bool sent_ = false;
    QString mode_;
    bool changed_ = false;
    bool rucEnabled_ = true;
    Layout layout_ = Layout::Person;
    Focus focus_ = Focus::None;

    QString ruc_;
    QString apellidoP_;
    QString apellidoM_;
    QString nombres_;

    std::vector<SubjectVoucherRow> vouchers_;
    int current_ = -1;
    int generation_ = 0;
    SubjectTotals totals_;
    QString totalBase_;
    QString totalRetention_;
    QString voucherCount_;
    QString countCaption_;
};

} // namespace ret
