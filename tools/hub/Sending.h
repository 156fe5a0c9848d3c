#pragma once

#include <QDate>
#include <QString>
#include <QTextStream>

namespace ret {
class Database;
}

namespace ret::hub {

inline const QString kForm = QStringLiteral("0947");

struct SendResult {
    bool ok = false;
    QString correl;  // "001", "002", ... per declaration
    QString control; // 8 digits, the first not 0
    QString error;   // why nothing was sent
};

// The integrator's sending of a registered declaration (the contributor's RUC and the period):
// one new copy of its CAB, DET and module rows in the history tables, under the next correl,
// all in one transaction. Nothing is written when it fails.
SendResult sendDeclaration(Database& db, const QString& ruc, const QString& period,
                           const QDate& today);

// `hub send`: reads the profile, opens the shared database and sends. Returns the exit code.
int sendCommand(const QString& profilePath, const QString& ruc, const QString& period,
                QTextStream& out, QTextStream& err);

} // namespace ret::hub
