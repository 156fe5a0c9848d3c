#pragma once

#include "common/DbError.h"

#include <QDateTime>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace ret {

class Database;

// A declaration of the form (document type 6), or one of its sent copies (correl not empty).
struct RecordKey {
    QString ruc;
    QString period; // yyyymm
    QString form = QStringLiteral("0947");
    QString correl; // empty: the registered declaration
    bool sent() const { return !correl.isEmpty(); }
};

// Who makes a change: the profile's user, this machine and the program.
struct Actor {
    QString user;
    QString host;
    QString program;
    // The machine's name and, when `program` is empty, this program's name.
    static Actor here(const QString& user, const QString& program = {});
};

// The stored state a program loaded, which its next change expects to find.
struct LoadedVersion {
    bool registered = false; // the declaration (or copy) was stored
    qint64 version = 0;      // 0: stored before versions were kept, or never changed
};

// The record's texts for each kind of change.
namespace action {
inline const QString kNueva = QString::fromUtf8("Grabación de una declaración nueva");
inline const QString kModificada = QString::fromUtf8("Grabación de cambios");
inline const QString kImportadaNueva =
    QString::fromUtf8("Importación grabada en una declaración nueva");
inline const QString kImportada = QString::fromUtf8("Importación grabada");
inline const QString kEliminada = QString::fromUtf8("Eliminación de la declaración");
inline const QString kEliminadaEnviada = QString::fromUtf8("Eliminación de la copia enviada");
inline const QString kEnviada = QString::fromUtf8("Envío: copia a las tablas históricas");
inline const QString kNumeroOrden = QString::fromUtf8("Registro del número de orden");
} // namespace action

// What refuses a change or removal of an entry of the record, on every engine.
inline const QString kRecordRefusal =
    QString::fromUtf8("El historial de cambios de las declaraciones no se puede modificar ni "
                      "borrar.");
// Makes the record append-only in `db` (each statement may be run again).
void makeRecordAppendOnly(Database& db);

// One entry of the record.
struct RecordEntry {
    qint64 number = 0;
    QDateTime at;
    Actor actor;
    QString action;
    RecordKey key;
    qint64 version = 0;
    QString digestBefore; // empty: nothing was stored
    QString digestAfter;
};

// A change refused because another program changed the declaration after it was loaded.
class ConflictError : public DbError {
public:
    enum class Kind { Changed, Deleted, Registered };
    ConflictError(Kind kind, std::optional<RecordEntry> last);

    Kind kind() const { return kind_; }
    // The other program's change, when the record has it.
    const std::optional<RecordEntry>& last() const { return last_; }

private:
    Kind kind_;
    std::optional<RecordEntry> last_;
};

// The stored version of the declaration or copy; read inside the transaction that uses it.
LoadedVersion storedVersion(Database& db, const RecordKey& key);

// The newest entry of the record for the declaration or copy.
std::optional<RecordEntry> lastEntry(Database& db, const RecordKey& key);

// Every entry for the declaration and its sent copies, newest first.
std::vector<RecordEntry> declarationHistory(Database& db, const QString& ruc, const QString& period,
                                            const QString& form);

// The check values of a declaration's rows, table by table, and their digest: the same
// whatever order the rows come in, and the same whether the values were read back or taken as
// they were written.
class CheckDigest {
public:
    // The values of one table (named as its definition names it), to add to.
    std::vector<QString>& of(const QString& table) { return checks_[table]; }
    void add(const QString& table, const QString& check) { of(table).push_back(check); }
    // Empty when no value was added.
    QString result() const;

private:
    std::map<QString, std::vector<QString>> checks_;
};

// A digest of the check values of every stored row of the declaration or copy (its header,
// boxes and detail); empty when nothing is stored.
QString storedDigest(Database& db, const RecordKey& key);

// One recorded change of a declaration or copy, inside a transaction that writes shared tables
// (and so holds the write lock). Made before the change: it compares the stored version with
// the one expected, throwing ConflictError when they differ, and digests the stored rows.
// record() after the change raises the version and adds the entry, in the same transaction,
// so that the change never commits without its entry.
class RecordedChange {
public:
    RecordedChange(Database& db, RecordKey key, Actor actor, QString action,
                   std::optional<LoadedVersion> expected);

    // The stored state before the change.
    const LoadedVersion& before() const { return before_; }
    // Raises the version, adds the entry and returns the state after the change. `written`:
    // the check values of every row the declaration holds after the change, when the change
    // itself wrote them all; else the stored rows are read for the digest.
    LoadedVersion record(const CheckDigest* written = nullptr,
                         const QDateTime& at = QDateTime::currentDateTime());

private:
    Database& db_;
    RecordKey key_;
    Actor actor_;
    QString action_;
    LoadedVersion before_;
    QString digestBefore_;
};

// The versions of every declaration and copy of the form, read with a list of them: a change
// made from the list expects the version the list was read with.
class ListedVersions {
public:
    static ListedVersions read(Database& db, const QString& form);
    // The state of a listed declaration or copy.
    LoadedVersion of(const RecordKey& key) const;

private:
    static QString name(const QString& ruc, const QString& period, const QString& correl);
    std::map<QString, qint64> versions_;
};

// What a user is told when another program's change stopped theirs: what the other did, who,
// on which machine, when and with which program.
QString conflictMessage(const ConflictError& e);

} // namespace ret
