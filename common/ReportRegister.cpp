#include "ReportRegister.h"

#include "Database.h"

namespace ret {

QString RegistrarReporte(Database& db, const QString& codRep, int tipDoc, const QString& docId,
                         const QString& user, const QDateTime& now) {
    const SqlDialect& d = db.dialect();
    Transaction tx(db);
    const auto sequence = db.scalar(QStringLiteral("SELECT max(%1) FROM SPOOL WHERE CodRep = ?")
                                        .arg(d.numericValue("Secuencia")),
                                    {codRep});
    const auto file = db.scalar(QStringLiteral("SELECT max(%1) FROM SPOOL")
                                    .arg(d.numericValue(d.left(QStringLiteral("Archivo"), 8))));
    const qint64 nextSequence = (sequence ? sequence->toLongLong() : 0) + 1;
    const qint64 nextFile = (file ? file->toLongLong() : 0) + 1;
    const QString archivo = QStringLiteral("%1.PRN").arg(nextFile, 8, 10, QLatin1Char('0'));
    db.execute(QStringLiteral("INSERT INTO SPOOL (CodRep, Secuencia, Archivo, Fecha, Usuario, "
                              "Tip_doc_d, Doc_id_d) VALUES (?, ?, ?, ?, ?, ?, ?)"),
               {codRep, QStringLiteral("%1").arg(nextSequence, 6, 10, QLatin1Char('0')), archivo,
                now, user, tipDoc, docId.trimmed()});
    tx.commit();
    return archivo;
}

} // namespace ret
