#pragma once

#include "common/ChangeRecord.h"
#include "common/Configuration.h"
#include "common/Database.h"

#include <functional>
#include <memory>

namespace ret {
class MessageSink;
}

namespace ret::setup {

inline const QString kTitle = QStringLiteral("Mensaje");
inline const QString kSqlErrorTitle = QStringLiteral("Error al Ejecutar Sentencia SQL");
inline const QString kForm = QStringLiteral("0947");
using ret::kRecordRefusal;

// The table installer: creates the module's tables when missing and writes its parameter rows,
// report codes and sending catalogue, and puts the help's pages in the module's directory.
// Running it again changes nothing but the rows and pages it owns.
class Installer {
public:
    Installer(Profile profile, MessageSink& messages, OpenOptions options = {})
        : profile_(std::move(profile)), messages_(messages), options_(options) {}

    // The whole run; the program's exit code: 0 when everything was installed, 1 when the run
    // could not start or a statement or the catalogue failed (the rest is installed all the same).
    int run();

private:
    bool connect();
    // The statements of one pass land together or not at all: a run stopped part-way leaves
    // the database as it was before that pass, and the next run makes the pass again.
    void inOneTransaction(const std::function<void()>& work);
    void writeRows();
    void writeParameters();
    void writeReportCodes();
    void writeCatalogue();
    void createTables();
    // A database whose tables a newer version of the module made is told and left alone.
    bool refusesNewerTables();
    // The help's pages into the module's directory (0947/ayuda/), this version's.
    void installHelp();
    void createMissingTables();
    // Runs one statement of a pass so that its failure undoes only itself and the pass goes
    // on: on the server a failed statement would otherwise spoil the rest of the transaction,
    // which it never does on the file.
    void alone(const std::function<void()>& statement);
    // Whether the query finds a row; false when it fails.
    bool exists(const QString& sql, const QVariantList& params);
    // Runs one action statement, reporting its failure; false when it failed.
    bool execute(const QString& sql, const QVariantList& params = {});
    void reportSqlError(const DbError& e);

    Profile profile_;
    MessageSink& messages_;
    OpenOptions options_;
    Configuration config_;
    std::unique_ptr<Database> db_;
    bool catalogueFailed_ = false;
    bool statementFailed_ = false;
    bool helpFailed_ = false;
};

} // namespace ret::setup
