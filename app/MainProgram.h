#pragma once

#include "common/Session.h"

#include <functional>
#include <memory>

namespace ret {

class Profile;

inline const QString kIntegratorTitle = QStringLiteral("Velkar");
inline const QString kNotFromIntegrator =
    QStringLiteral("Debe ejecutar este módulo desde el Integrador del Velkar.");
inline const QString kNotFromIntegratorTitle = QStringLiteral("Error al ejecutar el módulo");
inline const QString kAlreadyRunning =
    QStringLiteral("La Aplicación ya se encuentra en ejecución.");
inline const QString kAlreadyRunningTitle = QStringLiteral("Tessaly");

// What the main program holds for its whole run: the process-wide values, the one field-rules
// instance and the one database connection.
class MainProgram {
public:
    // Creates the field-rules instance: the first step of the start.
    explicit MainProgram(MessageSink& messages);
    ~MainProgram();
    MainProgram(const MainProgram&) = delete;
    MainProgram& operator=(const MainProgram&) = delete;

    Session& session() { return session_; }

    // The integrator must be running and no other copy of the module; false (after its
    // message) when the program has to end. The copy check runs only once the integrator is
    // found.
    bool passStartChecks(const std::function<bool()>& integratorRunning,
                         const std::function<bool()>& firstInstance);

    // The main window's load once the window is shown: the configuration, the system directory,
    // the shared database, the help file and the status bar. False (after the connection
    // message) when the database could not be opened and the program has to end.
    bool load(const Profile& profile);

    void closeDatabase();
    void releaseFieldRules();

private:
    Session session_;
    std::unique_ptr<FieldRules> rules_;
    std::unique_ptr<Database> db_;
};

} // namespace ret
