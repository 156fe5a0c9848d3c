#include "common/ServerBackup.h"

#include "common/Database.h"
#include "common/Schema.h"
#include "common/WholeFile.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <unistd.h>

namespace ret {
namespace {

constexpr int kToolWaitMs = 30 * 60 * 1000;

// A field of pg_restore's COPY text: null, or the text with its escapes undone.
QVariant copyField(const QByteArray& raw) {
    if (raw == "\\N")
        return QVariant();
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        const char c = raw[++i];
        out += c == 't'   ? '\t'
               : c == 'n' ? '\n'
               : c == 'r' ? '\r'
               : c == 'b' ? '\b'
               : c == 'f' ? '\f'
               : c == 'v' ? '\v'
                          : c;
    }
    return QString::fromUtf8(out);
}

// The field as typedRow() gives the column's value.
QVariant typedField(const ColumnDef& column, const QVariant& text) {
    if (text.isNull())
        return text;
    switch (column.type) {
    case ColumnType::Text:
        return text;
    case ColumnType::Date: {
        const QDateTime at =
            QDateTime::fromString(text.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return at.time() == QTime(0, 0) ? QVariant(at.date()) : QVariant(at);
    }
    default:
        return text.toLongLong();
    }
}

// One table's block of the archive's data: its rows counted, and their check values.
struct TableBlock {
    QString name;
    const TableDef* def = nullptr;
    std::vector<int> columnOf; // the archive's column i is the definition's columnOf[i]
    qint64 rows = 0;
};

TableBlock blockOf(const QByteArray& copyLine) {
    // COPY public.cab (tip_doc_d, doc_id_d, ...) FROM stdin;
    TableBlock b;
    const qsizetype open = copyLine.indexOf('(');
    const QByteArray qualified = copyLine.mid(5, open - 6).trimmed();
    b.name = QString::fromUtf8(qualified.mid(qualified.lastIndexOf('.') + 1)).remove('"');
    try {
        b.def = &tableDef(b.name);
    } catch (const std::out_of_range&) {
        return b;
    }
    const QByteArray columns = copyLine.mid(open + 1, copyLine.lastIndexOf(')') - open - 1);
    for (const QByteArray& c : columns.split(','))
        b.columnOf.push_back(b.def->indexOf(QString::fromUtf8(c.trimmed()).remove('"')));
    return b;
}

// The problem of one data row; empty when its check value is right.
QString wrongRow(const TableBlock& b, const QByteArray& line) {
    if (b.def == nullptr || b.def->checkKeyLength == 0)
        return {};
    const QList<QByteArray> fields = line.split('\t');
    QVariantList row(qsizetype(b.def->columns.size()));
    for (qsizetype i = 0; i < fields.size() && i < qsizetype(b.columnOf.size()); ++i) {
        const int at = b.columnOf[size_t(i)];
        if (at >= 0)
            row[at] = typedField(b.def->columns[size_t(at)], copyField(fields[i]));
    }
    return wrongCheckValueOf(*b.def, row);
}

} // namespace

BackupProof proveServerBackup(const QString& file, const std::map<QString, qint64>& counts) {
    BackupProof proof;
    QProcess list;
    list.start(QStringLiteral("pg_restore"), {QStringLiteral("--list"), file});
    if (!list.waitForFinished(kToolWaitMs) || list.exitStatus() != QProcess::NormalExit ||
        list.exitCode() != 0) {
        proof.problem = QString::fromUtf8("pg_restore no puede leer el archivo: está dañado o no "
                                          "es una copia de pg_dump");
        return proof;
    }
    QProcess data;
    data.start(QStringLiteral("pg_restore"),
               {QStringLiteral("--data-only"), QStringLiteral("-f"), QStringLiteral("-"), file});
    std::map<QString, qint64> found;
    std::optional<TableBlock> block;
    QByteArray pending;
    const auto take = [&](const QByteArray& line) {
        if (!proof.ok())
            return;
        if (block) {
            if (line == "\\.") {
                found[block->name.toLower()] = block->rows;
                block.reset();
                return;
            }
            ++block->rows;
            ++proof.rows;
            proof.problem = wrongRow(*block, line);
        } else if (line.startsWith("COPY ")) {
            block = blockOf(line);
        }
    };
    // line by line as pg_restore gives them: memory stays flat whatever the archive's size
    while (data.state() != QProcess::NotRunning || data.bytesAvailable() > 0) {
        if (data.bytesAvailable() == 0 && !data.waitForReadyRead(kToolWaitMs))
            break;
        pending += data.readAll();
        qsizetype start = 0;
        for (qsizetype nl; (nl = pending.indexOf('\n', start)) >= 0; start = nl + 1)
            take(pending.mid(start, nl - start));
        pending.remove(0, start);
    }
    data.waitForFinished(kToolWaitMs);
    if (!proof.ok())
        return proof;
    if (data.exitStatus() != QProcess::NormalExit || data.exitCode() != 0 || block) {
        proof.problem = QString::fromUtf8("pg_restore no pudo leer los datos del archivo entero");
        return proof;
    }
    for (const auto& [table, expected] : counts) {
        const auto it = found.find(table.toLower());
        const qint64 rows = it == found.end() ? 0 : it->second;
        if (rows != expected) {
            proof.problem = wrongRowCount(table, rows, expected);
            return proof;
        }
    }
    return proof;
}

BackupOutcome serverBackup(Database& db, const QString& conninfo, const QString& target) {
    return backupThroughScratch(target, [&](const QString& scratch) {
        // the counts and pg_dump's copy read one snapshot, which this transaction exports and
        // holds while pg_dump runs
        db.execute(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ"));
        struct EndRead {
            Database& db;
            ~EndRead() {
                try {
                    db.execute(QStringLiteral("COMMIT"));
                } catch (const DbError&) {
                    // a read-only transaction has nothing to keep
                }
            }
        } endRead{db};
        const QString snapshot =
            db.scalar(QStringLiteral("SELECT pg_export_snapshot()"))->toString();
        const QString schema = db.scalar(QStringLiteral("SELECT current_schema()"))->toString();
        std::map<QString, qint64> counts;
        for (const QString& table : db.tableNames())
            counts[table] =
                db.scalar(QStringLiteral("SELECT count(*) FROM %1.%2").arg(schema, table))
                    ->toLongLong();
        QProcess dump;
        dump.start(QStringLiteral("pg_dump"),
                   {QStringLiteral("-Fc"), QStringLiteral("--snapshot=") + snapshot,
                    QStringLiteral("-f"), scratch, QStringLiteral("--dbname=") + conninfo});
        BackupProof proof;
        if (!dump.waitForFinished(kToolWaitMs) || dump.exitStatus() != QProcess::NormalExit ||
            dump.exitCode() != 0) {
            proof.problem = dump.error() == QProcess::FailedToStart
                                ? QString::fromUtf8("no se encuentra pg_dump (paquete "
                                                    "postgresql-client)")
                                : QString::fromUtf8("pg_dump no pudo hacer la copia (código %1)")
                                      .arg(dump.exitCode());
            return proof;
        }
        if (!restrictToUserAndGroup(scratch)) {
            proof.problem = QString::fromUtf8("no se pudo proteger el archivo %1").arg(scratch);
            return proof;
        }
        proof = proveServerBackup(scratch, counts);
        if (!proof.ok())
            proof.problem = QString::fromUtf8("la copia no pasó su prueba: ") + proof.problem;
        return proof;
    });
}

namespace {

// Who else works on the database: user, program and client of each other session.
QString otherSessions(Database& db) {
    QStringList who;
    Cursor c = db.query(QStringLiteral(
        "SELECT usename, application_name, COALESCE(host(client_addr), 'local') FROM "
        "pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid() AND "
        "backend_type = 'client backend'"));
    while (c.next())
        who << QStringLiteral("%1 con %2 desde %3")
                   .arg(c.text(0), c.text(1).isEmpty() ? QStringLiteral("un programa") : c.text(1),
                        c.text(2));
    return who.join(QStringLiteral("; "));
}

QString refusal(const QString& why) {
    return QString::fromUtf8("No se restauró la copia: %1. La base de datos quedó como estaba.")
        .arg(why);
}

} // namespace

RestoreOutcome serverRestore(const QString& conninfo, const QString& backup,
                             const QString& keepAs) {
    RestoreOutcome outcome;
    if (const BackupProof proof = proveServerBackup(backup, {}); !proof.ok()) {
        outcome.text = refusal(QString::fromUtf8("la copia no pasó su prueba: ") + proof.problem);
        return outcome;
    }
    // names no other restore (nor a killed one's leftovers) takes
    const QString stamp =
        QStringLiteral("%1_%2").arg(QDateTime::currentSecsSinceEpoch()).arg(::getpid());
    QString fresh;
    try {
        auto db = Database::openServer(conninfo);
        const QString name = db->scalar(QStringLiteral("SELECT current_database()"))->toString();
        // a session whose program just ended is gone a moment later
        QString others = otherSessions(*db);
        for (int waited = 0; !others.isEmpty() && waited < 2000; waited += 100) {
            QThread::msleep(100);
            others = otherSessions(*db);
        }
        if (!others.isEmpty()) {
            outcome.text =
                refusal(QString::fromUtf8("otros programas usan la base de datos %1 (%2); "
                                          "ciérrelos y vuelva a intentarlo")
                            .arg(name, others));
            return outcome;
        }
        const BackupOutcome kept = serverBackup(*db, conninfo, keepAs);
        if (!kept.ok()) {
            outcome.text = refusal(QString::fromUtf8("no se pudo guardar antes la base de datos "
                                                     "actual (%1)")
                                       .arg(kept.problem));
            return outcome;
        }
        outcome.keptAs = kept.file;
        fresh = name + QStringLiteral("_restaurando_") + stamp;
        db->execute(QStringLiteral("CREATE DATABASE \"%1\"").arg(fresh));
        QProcess restore;
        restore.start(QStringLiteral("pg_restore"),
                      {QStringLiteral("--no-owner"), QStringLiteral("--exit-on-error"),
                       QStringLiteral("--dbname=") + conninfo + QStringLiteral(" dbname=") + fresh,
                       backup});
        if (!restore.waitForFinished(kToolWaitMs) || restore.exitStatus() != QProcess::NormalExit ||
            restore.exitCode() != 0) {
            db->execute(QStringLiteral("DROP DATABASE \"%1\"").arg(fresh));
            outcome.text = refusal(QString::fromUtf8("pg_restore no pudo restaurar la copia "
                                                     "(código %1)")
                                       .arg(restore.exitCode()));
            return outcome;
        }
        db.reset();
        // from another database of the server: the old one takes another name and the new one
        // its name, both or neither
        auto maintenance = Database::openServer(conninfo + QStringLiteral(" dbname=postgres"));
        maintenance->execute(QStringLiteral("BEGIN"));
        maintenance->execute(
            QStringLiteral("ALTER DATABASE \"%1\" RENAME TO \"%1_anterior_%2\"").arg(name, stamp));
        maintenance->execute(
            QStringLiteral("ALTER DATABASE \"%1\" RENAME TO \"%2\"").arg(fresh, name));
        maintenance->execute(QStringLiteral("COMMIT"));
        outcome.restored = true;
        outcome.text = QString::fromUtf8("Se restauró la copia %1. La base de datos anterior se "
                                         "guardó en %2 y queda en el servidor como %3_anterior_%4.")
                           .arg(backup, kept.file, name, stamp);
    } catch (const DbError& e) {
        outcome.text = refusal(e.description());
    }
    return outcome;
}

} // namespace ret
