#pragma once

#include "common/Database.h"
#include "common/Schema.h"

#include <QDate>

namespace ret::test {

inline void insertRow(Database& db, const QString& table, const QVariantList& values) {
    QStringList marks;
    for (qsizetype i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(table, tableDef(table).columnNames().join(','), marks.join(',')),
               values);
}

// A registered declaration of form 0947 as the module leaves it: its header and boxes, one
// subject with one voucher paid by two payment vouchers. The check values are left wrong on
// purpose: a sending computes its own.
inline void insertDeclaration(Database& db, const QString& ruc, const QString& period,
                              const QString& form = QStringLiteral("0947")) {
    const QVariantList key{6, ruc, period, form};
    const QString subject = QStringLiteral("20512345671");
    insertRow(db, "CAB",
              key + QVariantList{0, "0", "15/04/2024", "02", "000123", "150.00", "0.00", "000000"});
    for (const char* box : {"101", "102", "140"})
        insertRow(db, "DET", key + QVariantList{box, 0, "1500.00", "01", "000000"});
    insertRow(db, "F947RPCAB",
              key + QVariantList{"1", 6, subject, QString::fromUtf8("CONSTRUCTORA PEÑALOZA"), "",
                                 "", "", 1, "1500.00", "90.00", 1, "000000"});
    insertRow(db, "F947RPDET",
              key + QVariantList{"1", 6, subject, "0001", "00000123", QDate(2024, 3, 5), "1500.00",
                                 "6.00", "90.00", "000000"});
    insertRow(db, "F947RPDETDET",
              key + QVariantList{subject, "0001", "00000123", "01", "F001", "456",
                                 QDate(2024, 3, 1), "1000.00", "000000"});
    insertRow(db, "F947RPDETDET",
              key + QVariantList{subject, "0001", "00000123", "01", "F001", "457",
                                 QDate(2024, 3, 2), "500.00", "000000"});
}

} // namespace ret::test
