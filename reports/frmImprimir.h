#pragma once

#include "declaration/QueriedList.h"

#include <QDateTime>
#include <QStringList>

#include <functional>

namespace ret {
struct Session;
} // namespace ret

namespace ret::reports {

class ReportScreens;

// The print window: the registered declarations (or, in sent mode, the sent copies) of the
// user's contributors, the choice of report, and the preview or direct print of it. Each start
// registers and composes a new report file.
class frmImprimir final : public QueriedList {
public:
    // The grid's columns, as the list's fields come.
    enum Column {
        Ruc = 0,
        Nombre = 1,
        Periodo = 2,  // yyyymm
        Periodof = 3, // mmyyyy
        Formulario = 4,
        Norden = 5,
        FecEnv = 6,
        Control = 7,
        Correl = 8,
        Estado = 9,
        Rectifica = 10,
    };
    enum Option { Declaracion = 0, Anexos = 1 };

    static constexpr int kSentGridWidthTwips = 7515;

    frmImprimir(Session& session, ReportScreens& screens);

    QString caption() const;
    QString frameCaption() const;
    int helpTopic() const;
    // Column widths in twips for the columns that have one (0 for the grid's own width).
    int columnWidthTwips(int column) const;

    const std::vector<GridColumn>& columns() const override { return columns_; }
    QString displayText(int row, int column) const override;

    Option option() const { return option_; }
    QString reportCode() const;
    // The report file of the last start; empty before the first.
    const QString& lastReport() const { return lastReport_; }
    // Whether the last report was composed whole.
    bool lastComposed() const { return lastComposed_; }

    // Form_Load: the list read, the first row current; an empty list disables the grid.
    void load();
    // Form_Activate: while the grid is enabled, the list is read afresh.
    void activate();
    void setCurrentRow(int row);
    // Moves to the row of a declaration (its sent copy for a correl); false when not listed.
    bool selectDeclaration(const QString& ruc, const QString& period, const QString& correl = {});
    void setOption(Option option) { option_ = option; }

    // "&Preliminar" (also double-click and Enter in the grid): composes the report, then the
    // page-range dialog, which opens the viewer.
    void preliminar();
    // "&Imprimir": composes the report and prints every page of it. False when nothing was
    // printed.
    bool imprimir();
    // "&Salir".
    void close();

    // The clock of the report register and the page headers (tests fix it).
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    struct Started {
        QString fileName;
        int pages = 0;
        bool composed = false;
    };

    bool requery();
    void moveTo(int row) override;
    void showInStatus(int row);
    void setHandOver(int row);
    std::optional<Started> start();

    ReportScreens& screens_;
    std::vector<GridColumn> columns_;
    Option option_ = Declaracion;
    QString lastReport_;
    bool lastComposed_ = false;
};

// The refusal of Anexos for a declaration without box 501.
inline const QString kNoAnnex =
    QStringLiteral("No existe información de anexos para esta declaración");

} // namespace ret::reports
