#pragma once

#include "common/ChangeRecord.h"
#include "declaration/Completeness.h"

#include <QDate>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace ret {

class Database;

// A declaration of form 0947 (document type 6); a sent copy adds its correl.
struct DeclarationId {
    QString ruc;
    QString period; // yyyymm
    QString form = QStringLiteral("0947");
    bool sent = false;
    QString correl;
};

// One row of the subject list.
struct SubjectRow {
    QString ruc;
    QString razon;
    QString base;
    QString retention;
    QString apellidoP;
    QString apellidoM;
    QString nombres;
};

// What the declaration window hands to the save.
struct SaveInput {
    DeclarationId id;
    std::map<int, QString> boxes; // 401, 402, 403, 404, 405, 410 as shown
    PaymentForm payment;
    QString rectification;  // "1", "0" or empty
    QString modalityCode;   // the last two characters of the modality entry
    QString retentionRate;  // stored with every voucher
    QString subjectCount;   // box 501
    QString totalBase;      // as shown under the list
    QString totalRetention; // as shown under the list
    // the stored state the window loaded: the save stops when another program changed it since
    LoadedVersion loaded;
    Actor actor;           // for the record
    bool imported = false; // the batch import saves
};

// What a save stored.
struct SaveResult {
    int estado = 0;       // 0 or 9
    LoadedVersion stored; // the version the save gave the declaration
};

// The stored boxes (code, value, both trimmed) and payment data of a declaration.
struct StoredDeclaration {
    std::vector<std::pair<QString, QString>> boxes;
    bool headerFound = false;
    QString banco;
    QString numcheque;
};

bool declarationExists(Database& db, const DeclarationId& id);

// The declaration (or sent copy) in the record's terms.
RecordKey recordKey(const DeclarationId& id);

// The banks of parameter table 004 (code, name) that a cheque can be drawn on; "00" is no bank.
std::vector<std::pair<QString, QString>> bankChoices(Database& db);
StoredDeclaration readStored(Database& db, const DeclarationId& id);

// Empties the staging tables and fills them with the declaration's stored detail (nothing for
// a declaration not stored yet), in one transaction.
void loadDetail(Database& db, const DeclarationId& id);

// A declaration (or sent copy) as a window opens it, read from one stored state: its boxes and
// payment data, its detail staged as loadDetail() stages it, and the version it had.
struct OpenedDeclaration {
    StoredDeclaration stored;
    LoadedVersion version;
};
OpenedDeclaration openDeclaration(Database& db, const DeclarationId& id);

// The staged subjects of kind "R", in key order.
std::vector<SubjectRow> stagedSubjects(Database& db);

// The subject-list totals as the load shows them ("###,###,###,###,##0").
std::pair<QString, QString> stagedTotals(Database& db);

// Deletes a staged subject with its vouchers and payment vouchers, or every staged retention.
void deleteStagedSubject(Database& db, const QString& ruc);
void deleteStagedRetentions(Database& db);

// Stores the declaration: its CAB row, a DET row per box and derived box, and the module
// tables rewritten from the staging tables, with its entry in the record, all in one
// transaction (a failure leaves the stored declaration as it was and throws). When another
// program changed, deleted or registered the declaration since `in.loaded`, nothing is written
// and ConflictError is thrown.
SaveResult saveDeclaration(Database& db, const SaveInput& in, const QDate& today);

// Registers the order number of a sent copy, with its entry in the record; nullopt when its
// history header does not exist. ConflictError when the copy changed since `loaded`.
std::optional<LoadedVersion> registerOrderNumber(Database& db, const DeclarationId& id,
                                                 const QString& orden, const LoadedVersion& loaded,
                                                 const Actor& actor);

} // namespace ret
