#pragma once

#include "common/Database.h"
#include "common/Decimal.h"
#include "declaration/DeclarationStore.h"

#include <QDate>

#include <initializer_list>

namespace ret::test {

// A small declaration of the first sample contributor for 07/2010, staged and saved as the
// declaration window saves it, so that it is consistent by construction: two subjects, three
// vouchers, three payment vouchers; box 401 = 72.
class SampleDeclaration {
public:
    struct Voucher {
        const char* number;
        const char* base;
        const char* retention;
    };

    explicit SampleDeclaration(Database& db) : db_(db) {
        subject("20512345671", {{"00000001", "500.30", "30.02"}, {"00000002", "500.30", "30.02"}});
        subject("10412345679", {{"00000001", "200.00", "12.00"}});
        in_.id.ruc = QStringLiteral("20100070970");
        in_.id.period = QStringLiteral("201007");
        in_.boxes = {{401, "72"}, {405, "72"}, {410, "72"}};
        in_.payment.formapago = QStringLiteral("E");
        in_.payment.importe = QStringLiteral("72");
        in_.rectification = QStringLiteral("0");
        in_.modalityCode = QStringLiteral("01");
        in_.retentionRate = QStringLiteral("0.06");
        in_.subjectCount = QStringLiteral("2");
        in_.totalBase = QStringLiteral("1,201");
        in_.totalRetention = QStringLiteral("72");
        save();
    }

    // Stores the staged detail again: the declaration is consistent once more.
    void save() { in_.loaded = saveDeclaration(db_, in_, QDate(2010, 8, 5)).stored; }

private:
    void subject(const QString& ruc, std::initializer_list<Voucher> vouchers) {
        Decimal base;
        Decimal retention;
        for (const Voucher& v : vouchers) {
            base += *Decimal::parse(QLatin1String(v.base));
            retention += *Decimal::parse(QLatin1String(v.retention));
            db_.execute(
                "INSERT INTO TMPF947RPDET VALUES ('R', 6, ?, 'E001', ?, ?, ?, '', ?)",
                {ruc, QString(v.number), QDate(2010, 7, 5), QString(v.base), QString(v.retention)});
            db_.execute("INSERT INTO TMPF947RPDETDET VALUES (?, 'E001', ?, '01', 'F001', "
                        "'00000009', ?, ?)",
                        {ruc, QString(v.number), QDate(2010, 7, 1), QString(v.base)});
        }
        db_.execute("INSERT INTO TMPF947RPCAB VALUES ('R', 6, ?, 'X', NULL, NULL, NULL, ?, ?, ?, "
                    "NULL)",
                    {ruc, int(vouchers.size()), base.toPlainString(2), retention.toPlainString(2)});
    }

    Database& db_;
    SaveInput in_;
};

} // namespace ret::test
