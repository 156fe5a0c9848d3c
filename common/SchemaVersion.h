#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace ret {

class Database;

// The version of the module's tables that this program works with. 1: the nine tables; 2: the
// declarations' versions and the record of their changes, with the version row itself.
constexpr int kSchemaVersion = 2;

// One step of the upgrade, from the version before `to` to `to`.
struct SchemaStep {
    int to;
    std::function<void(Database&)> apply;
};

// The steps of this program, in order.
const std::vector<SchemaStep>& schemaSteps();

// The version of the module's tables in the database: 0 when they are not there (a database the
// installer has not prepared), 1 for tables made before the version was kept.
int storedSchemaVersion(Database& db);

// Brings the tables from their stored version to the last step's, each step in one
// transaction with the version it reaches: a step that fails throws and leaves the version and
// the tables as they were before it. Returns the version reached. Nothing to do for a database
// without the module's tables, or one at the last step's version or beyond.
int upgradeSchema(Database& db, const std::vector<SchemaStep>& steps = schemaSteps());

// Writes the version row (inside the caller's transaction).
void writeSchemaVersion(Database& db, int version);

// Why a program other than the installer must not work on the database: its tables older or
// newer than this program's; nullopt when they are this program's.
std::optional<QString> schemaRefusal(Database& db, const QString& where);

// The installer's refusal of a database that a newer version of the module made.
QString newerSchemaText(const QString& where, int version);

} // namespace ret
