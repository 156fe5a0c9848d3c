#include "common/ReportRegister.h"

#include "common/Configuration.h"
#include "common/Database.h"

#include <QFile>

namespace ret {

RegisteredReport RegistrarReporte(Database& db, const QString& reportDirectory,
                                  const ReportEntry& entry, const QByteArray& contents) {
    ScratchFile file(reportDirectory);
    if (file.device().isOpen())
        file.device().write(contents); // checked when the file takes its place
    return RegistrarReporte(db, reportDirectory, entry, file);
}

RegisteredReport RegistrarReporte(Database& db, const QString& reportDirectory,
                                  const ReportEntry& e, ScratchFile& contents) {
    const SqlDialect& d = db.dialect();
    Transaction tx(db);
    const auto sequence = db.scalar(QStringLiteral("SELECT max(%1) FROM SPOOL WHERE CodRep = ?")
                                        .arg(d.numericValue("Secuencia")),
                                    {e.codRep});
    const auto file = db.scalar(QStringLiteral("SELECT max(%1) FROM SPOOL")
                                    .arg(d.numericValue(d.left(QStringLiteral("Archivo"), 8))));
    const qint64 nextSequence = (sequence ? sequence->toLongLong() : 0) + 1;
    const qint64 nextFile = (file ? file->toLongLong() : 0) + 1;
    const QString archivo = QStringLiteral("%1.PRN").arg(nextFile, 8, 10, QLatin1Char('0'));
    db.execute(QStringLiteral("INSERT INTO SPOOL (CodRep, Secuencia, Archivo, Fecha, Usuario, "
                              "Tip_doc_d, Doc_id_d) VALUES (?, ?, ?, ?, ?, ?, ?)"),
               {e.codRep, QStringLiteral("%1").arg(nextSequence, 6, 10, QLatin1Char('0')), archivo,
                e.now, e.user, e.tipDoc, e.docId.trimmed()});
    // the file first, the row after it: a run that dies in between leaves at most a file that
    // no row names, which the next report of that number replaces
    const QString path = joinPath(reportDirectory, archivo);
    if (auto failed = contents.commitAs(path))
        return {QString(), std::move(failed)}; // the row is rolled back
    try {
        tx.commit();
    } catch (const DbError&) {
        QFile::remove(path);
        throw;
    }
    return {archivo, std::nullopt};
}

} // namespace ret
