#include "common/ChangeRecord.h"

#include "common/Database.h"
#include "common/Schema.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSysInfo>

#include <algorithm>

namespace ret {
namespace {

// The old engine's "another user changed the same data at the same time".
constexpr int kWriteConflict = 3197;

const QString kKeyWhere =
    QStringLiteral(" WHERE tip_doc_d = 6 AND doc_id_d = ? AND periodo = ? AND formulario = ?");

QVariantList keyParams(const RecordKey& key) {
    QVariantList p{key.ruc.trimmed(), key.period, key.form};
    if (key.sent())
        p << key.correl;
    return p;
}

// The condition and values that pick the declaration (or its copy) in one of its tables.
QString where(const RecordKey& key) {
    return key.sent() ? kKeyWhere + QStringLiteral(" AND correl = ?") : kKeyWhere;
}

// The version row's correl: empty, never null, for the registered declaration.
QVariant versionCorrel(const RecordKey& key) {
    return key.sent() ? key.correl : QString::fromLatin1("", 0);
}

const QString kVersionWhere = kKeyWhere + QStringLiteral(" AND correl = ?");

QVariantList versionParams(const RecordKey& key) {
    return {key.ruc.trimmed(), key.period, key.form, versionCorrel(key)};
}

// The tables that hold a declaration's stored rows, the header first.
QStringList storedTables(const RecordKey& key) {
    const QString h = key.sent() ? QStringLiteral("H") : QString();
    return {h + QStringLiteral("CAB"), h + QStringLiteral("DET"), h + QStringLiteral("F947RPCAB"),
            h + QStringLiteral("F947RPDET"), h + QStringLiteral("F947RPDETDET")};
}

QString recordColumns() {
    return QStringLiteral("num_entrada, fec_hora, usuario, equipo, programa, accion, doc_id_d, "
                          "periodo, formulario, correl, version, digest_antes, digest_despues");
}

RecordEntry entryOf(const Cursor& c) {
    RecordEntry e;
    e.number = c.value(0).toLongLong();
    e.at = dateFromStored(c.value(1)).toDateTime();
    e.actor = {c.text(2).trimmed(), c.text(3).trimmed(), c.text(4).trimmed()};
    e.action = c.text(5).trimmed();
    e.key = {c.text(6).trimmed(), c.text(7), c.text(8), c.text(9).trimmed()};
    e.version = c.value(10).toLongLong();
    e.digestBefore = c.text(11).trimmed();
    e.digestAfter = c.text(12).trimmed();
    return e;
}

QString conflictText(ConflictError::Kind kind) {
    switch (kind) {
    case ConflictError::Kind::Deleted:
        return QString::fromUtf8("Otro programa eliminó esta declaración.");
    case ConflictError::Kind::Registered:
        return QString::fromUtf8("Otro programa registró esta declaración.");
    case ConflictError::Kind::Changed:
        break;
    }
    return QString::fromUtf8("Otro programa grabó esta declaración.");
}

} // namespace

Actor Actor::here(const QString& user, const QString& program) {
    return {user.trimmed(), QSysInfo::machineHostName(),
            program.isEmpty() ? QCoreApplication::applicationName() : program};
}

ConflictError::ConflictError(Kind kind, std::optional<RecordEntry> last)
    : DbError(kWriteConflict, conflictText(kind)), kind_(kind), last_(std::move(last)) {}

void makeRecordAppendOnly(Database& db) {
    for (const QString& sql :
         db.dialect().appendOnly(QStringLiteral("F947BITACORA"), kRecordRefusal))
        db.execute(sql);
}

namespace {

// Whether the declaration's (or copy's) header row is stored.
bool headerStored(Database& db, const RecordKey& key) {
    const QString header = key.sent() ? QStringLiteral("HCAB") : QStringLiteral("CAB");
    return db.scalar(QStringLiteral("SELECT 1 FROM ") + header + where(key), keyParams(key))
        .has_value();
}

} // namespace

LoadedVersion storedVersion(Database& db, const RecordKey& key) {
    LoadedVersion v;
    v.registered = headerStored(db, key);
    const auto stored = db.scalar(QStringLiteral("SELECT version FROM F947VERSION") + kVersionWhere,
                                  versionParams(key));
    if (stored)
        v.version = stored->toLongLong();
    return v;
}

std::optional<RecordEntry> lastEntry(Database& db, const RecordKey& key) {
    const QString correl =
        key.sent() ? QStringLiteral(" AND correl = ?") : QStringLiteral(" AND correl IS NULL");
    Cursor c = db.query(QStringLiteral("SELECT %1 FROM F947BITACORA").arg(recordColumns()) +
                            kKeyWhere + correl + QStringLiteral(" ORDER BY num_entrada DESC"),
                        keyParams(key));
    if (!c.next())
        return std::nullopt;
    return entryOf(c);
}

std::vector<RecordEntry> declarationHistory(Database& db, const QString& ruc, const QString& period,
                                            const QString& form) {
    std::vector<RecordEntry> entries;
    Cursor c = db.query(QStringLiteral("SELECT %1 FROM F947BITACORA").arg(recordColumns()) +
                            kKeyWhere + QStringLiteral(" ORDER BY num_entrada DESC"),
                        {ruc.trimmed(), period, form});
    while (c.next())
        entries.push_back(entryOf(c));
    return entries;
}

QString CheckDigest::result() const {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    bool any = false;
    QByteArray text;
    for (const auto& [table, values] : checks_) {
        if (values.empty())
            continue;
        any = true;
        // the order rows come back in is the engine's: the digest is of the values alone
        std::vector<QString> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        text = QStringLiteral("%1 %2\n").arg(table).arg(sorted.size()).toUtf8();
        text.reserve(text.size() + qsizetype(sorted.size()) * 7);
        for (const QString& check : sorted) {
            text += check.toUtf8();
            text += '\n';
        }
        hash.addData(text);
    }
    return any ? QString::fromLatin1(hash.result().toHex()) : QString();
}

QString storedDigest(Database& db, const RecordKey& key) {
    CheckDigest digest;
    for (const QString& table : storedTables(key)) {
        // the sent payment vouchers are keyed without the document type
        QString condition = where(key);
        if (table == QLatin1String("HF947RPDETDET"))
            condition.replace(QStringLiteral("tip_doc_d = 6 AND "), QString());
        Cursor c = db.queryRows(QStringLiteral("SELECT cNumero FROM ") + table + condition,
                                keyParams(key));
        std::vector<QString>& checks = digest.of(table);
        while (c.next())
            checks.push_back(c.text(0));
    }
    return digest.result();
}

RecordedChange::RecordedChange(Database& db, RecordKey key, Actor actor, QString action,
                               std::optional<LoadedVersion> expected)
    : db_(db), key_(std::move(key)), actor_(std::move(actor)), action_(std::move(action)) {
    if (!db_.inTransaction())
        throw DbError(-1, QString::fromUtf8("Un cambio se registra dentro de su transacción."));
    before_ = storedVersion(db_, key_);
    if (expected) {
        std::optional<ConflictError::Kind> kind;
        if (expected->registered && !before_.registered)
            kind = ConflictError::Kind::Deleted;
        else if (expected->registered && before_.version != expected->version)
            kind = ConflictError::Kind::Changed;
        else if (!expected->registered && before_.registered)
            kind = ConflictError::Kind::Registered;
        if (kind)
            throw ConflictError(*kind, lastEntry(db_, key_));
    }
    digestBefore_ = storedDigest(db_, key_);
}

LoadedVersion RecordedChange::record(const CheckDigest* written, const QDateTime& at) {
    // the version read before the change is the stored one: the write lock kept it so
    const LoadedVersion after{headerStored(db_, key_), before_.version + 1};
    if (db_.execute(QStringLiteral("UPDATE F947VERSION SET version = ?") + kVersionWhere,
                    QVariantList{after.version} + versionParams(key_)) == 0) {
        db_.execute(QStringLiteral("INSERT INTO F947VERSION (tip_doc_d, doc_id_d, periodo, "
                                   "formulario, correl, version) VALUES (6, ?, ?, ?, ?, ?)"),
                    versionParams(key_) + QVariantList{after.version});
    }
    // numbered under the write lock that the transaction holds, so no two entries share one
    const auto last = db_.scalar(QStringLiteral("SELECT MAX(num_entrada) FROM F947BITACORA"));
    const qint64 number = last && !last->isNull() ? last->toLongLong() + 1 : 1;
    const QString digestAfter = written ? written->result() : storedDigest(db_, key_);
    const auto orNull = [](const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); };
    db_.execute(QStringLiteral("INSERT INTO F947BITACORA (num_entrada, fec_hora, usuario, equipo, "
                               "programa, accion, tip_doc_d, doc_id_d, periodo, formulario, "
                               "correl, version, digest_antes, digest_despues) "
                               "VALUES (?, ?, ?, ?, ?, ?, 6, ?, ?, ?, ?, ?, ?, ?)"),
                {number, storedValue(ColumnType::Date, at.toLocalTime()), actor_.user.left(20),
                 actor_.host.left(64), actor_.program.left(30), action_, key_.ruc.trimmed(),
                 key_.period, key_.form, key_.sent() ? QVariant(key_.correl) : QVariant(),
                 after.version, orNull(digestBefore_), orNull(digestAfter)});
    return after;
}

ListedVersions ListedVersions::read(Database& db, const QString& form) {
    ListedVersions listed;
    Cursor c = db.queryRows(QStringLiteral("SELECT doc_id_d, periodo, correl, version FROM "
                                           "F947VERSION WHERE tip_doc_d = 6 AND formulario = ?"),
                            {form});
    while (c.next())
        listed.versions_[name(c.text(0), c.text(1), c.text(2))] = c.value(3).toLongLong();
    return listed;
}

LoadedVersion ListedVersions::of(const RecordKey& key) const {
    const auto it = versions_.find(name(key.ruc, key.period, key.correl));
    return {true, it == versions_.end() ? 0 : it->second};
}

QString ListedVersions::name(const QString& ruc, const QString& period, const QString& correl) {
    return ruc.trimmed() + QLatin1Char('|') + period.trimmed() + QLatin1Char('|') +
           correl.trimmed();
}

QString conflictMessage(const ConflictError& e) {
    QString text = e.description();
    const auto& last = e.last();
    if (!last)
        return text;
    QString who = last->actor.user;
    if (!last->actor.host.isEmpty())
        who += (who.isEmpty() ? QString() : QStringLiteral(" ")) + QStringLiteral("en ") +
               last->actor.host;
    text += QString::fromUtf8("\nÚltimo cambio: %1").arg(last->action);
    if (!who.isEmpty())
        text += QStringLiteral(", por ") + who;
    text += QStringLiteral(", el %1 a las %2")
                .arg(last->at.toString(QStringLiteral("dd/MM/yyyy")),
                     last->at.toString(QStringLiteral("HH:mm:ss")));
    if (!last->actor.program.isEmpty())
        text += QStringLiteral(" (%1)").arg(last->actor.program);
    return text + QLatin1Char('.');
}

} // namespace ret
