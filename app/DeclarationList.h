#pragma once

#include "common/ChangeRecord.h"
#include "declaration/DeclarationListSql.h"
#include "declaration/QueriedList.h"

#include <QSize>
#include <QStringList>

namespace ret {

struct Session;

// The lists of stored declarations of the form: FrmContAbrir (registered) and FrmContAbrirE
// (sent). What the action does follows the operation mode chosen in the main window: 1 opens
// the chosen declaration in the declaration window (for a sent one, to register its order
// number), 3 deletes it with its whole detail.
class DeclarationList final : public QueriedList {
public:
    // Raw columns of a row, as the lists hand them on.
    enum Column { Ruc = 0, Name = 1, Period = 2, Form = 3 };
    enum SentColumn { OrderNumber = 4, SentDate = 5, ControlNumber = 6, Correl = 7 };

    struct Captions {
        QString window;
        QString label;
        QString action;
        QString frame;
    };

    DeclarationList(Session& session, ListKind kind);

    ListKind kind() const { return kind_; }
    Captions captions() const;
    QSize sizeTwips() const;
    int helpContext() const;

    const std::vector<GridColumn>& columns() const override { return columns_; }
    QString displayText(int row, int column) const override;
    // row(): the row as read (period mmyyyy, dates dd/mm/yyyy).

    const QString& order() const { return order_; }

    // Loading runs the first activation: the query in the default order, the first row.
    void load() { activate(); }
    // Every activation reads the list afresh in the default order and goes back to the row
    // position remembered before the declaration window was opened.
    void activate();
    // A header click of the registered list: by RUC (column 0) or by name (column 1).
    void headerClicked(int column);
    // The grid's current row moved; the status bar follows while the list window is enabled.
    void setCurrentRow(int row);
    // The action button (CmdOpciones 0), also double-click and Enter in the grid.
    void act();
    // "&Historial...": the record of the chosen declaration's changes (and of its sent copies),
    // in the history window.
    void historial();
    // "&Salir" (CmdOpciones 1).
    void close();

private:
    bool requery(const QString& order);
    void moveTo(int row) override;
    void showInStatus(int row);
    void setSelectedValues();
    void openDeclaration();
    void deleteDeclaration();
    bool confirmDelete();

    const ListKind kind_;
    const int mode_; // the operation mode when the window was opened
    std::vector<GridColumn> columns_;
    QString order_;
    ListedVersions versions_; // read with the rows
    int saved_ = 0;
    bool windowEnabled_ = true; // false while the declaration window is open over the list
};

inline const QString kDeleteQuestion =
    QStringLiteral("¿Confirma que va a eliminar la declaración seleccionada?");

} // namespace ret
