#pragma once

#include <QString>
#include <QTextStream>

namespace ret::hub {

struct InitOptions {
    QString directory;    // the integrator's system directory to create
    QString profilePath;  // where HUB000.INI goes
    QString user;         // the integrator's current user
    QString retsetupPath; // the installer to run at the end
    bool force = false;   // replace an existing environment
    QString server;       // a PostgreSQL server's connection string; empty for the file
};

inline const QString kDatabaseName = QStringLiteral("HUB000.db");

// Lays out the environment without running the installer: directories, catalogue, database
// with the integrator's tables and rows, profile. Returns false (with the reason on `err`)
// when something could not be written or the environment exists and `force` is not set.
bool prepareEnvironment(const InitOptions& options, QTextStream& err);

// The environment used by tests and benchmarks: `root`/velkar with its profile at
// `root`/HUB000.INI, its database in the file or on `server` (an empty server database's
// connection string). Returns why it could not be laid out, or an empty text.
QString prepareSampleEnvironment(const QString& root, const QString& user,
                                 const QString& server = {});

// Creates a ready environment: the system directory with 0947/, RPT/ and TMP/ (with the
// sending catalogue), the shared database with the integrator's tables and rows, the profile
// file, and then runs the installer. Returns the exit code; says what it did on `out`.
int initEnvironment(const InitOptions& options, QTextStream& out, QTextStream& err);

} // namespace ret::hub
