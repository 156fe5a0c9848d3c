#pragma once

#include "common/Configuration.h"

#include <QString>

#include <functional>
#include <memory>

namespace ret {

class Database;
class FieldRules;
class MessageSink;
class WindowOpener;

// The four texts of the main window's status bar.
struct StatusTexts {
    QString ruc;    // property 5
    QString name;   // property 4
    QString form;   // property 2
    QString period; // property 3
};

// The current row of the declaration list that opened the declaration window: its RUC, name
// and period as month and year without separator (mmyyyy).
struct ListRow {
    QString ruc;
    QString name;
    QString period;
};

// The subject chosen in the declaration's subject list, for the subject window.
struct SubjectSelection {
    QString ruc;
    QString razon;
    QString apellidoP;
    QString apellidoM;
    QString nombres;
};

// The retention voucher chosen in the subject window's list, for the voucher window: its
// serie, number, issue date (dd/mm/yyyy), amount paid and retention, as listed.
struct VoucherSelection {
    QString serie;
    QString numero;
    QString fecha;
    QString base;
    QString retencion;
};

// The payment voucher chosen in the voucher window's list, for the payment-voucher window: its
// type, serie, number, issue date (dd/mm/yyyy) and amount as stored.
struct PaymentSelection {
    QString tipo;
    QString serie;
    QString numero;
    QString fecha;
    QString monto;
};

// The process-wide values of the main program: what a window sets before it opens the next one
// and what the opened window reads. One instance per process, created at start-up.
struct Session {
    const QString formulario = QStringLiteral("0947");
    // The program as the record of changes names it; empty: this executable's name.
    QString program;

    // 0 new, 1 modify (sent: register the order number), 2 printing, 3 delete
    int OperationMode = 0;
    bool SentMode = false;

    Configuration config;
    Database* db = nullptr;
    MessageSink* messages = nullptr;
    FieldRules* rules = nullptr;
    WindowOpener* windows = nullptr;

    ListRow listRow;                  // set by the lists before they open the declaration window
    SubjectSelection selectedSubject; // set by the declaration window before the subject window
    VoucherSelection selectedVoucher; // set by the subject window before the voucher window
    PaymentSelection selectedPayment; // set by the voucher window before the payment window
    QString SelectedOrderNumber;
    QString SelectedControlNumber;
    QString SelectedCorrel;
    QString RetentionRate = QStringLiteral("0");
    QString CurrentRuc;
    QString CurrentPeriod;
    QString DetailMode;
    QString RetentionKind;
    QString VoucherMode;
    QString PaymentVoucherMode;
    QString QueryKind; // "B": the banks query
    // The lines of this program's last validation, as written to Mens.txt, for the
    // inconsistencies window: another user's validation may replace the shared file meanwhile.
    QString Inconsistencies;
    // The record of the declaration chosen in a list, for the history window.
    QString History;

    StatusTexts status;
    std::function<void()> statusChanged; // the main window shows the new texts

    void setStatus(const StatusTexts& texts) {
        status = texts;
        if (statusChanged)
            statusChanged();
    }
    void setStatusRuc(const QString& ruc) {
        StatusTexts t = status;
        t.ruc = ruc;
        setStatus(t);
    }
};

} // namespace ret
