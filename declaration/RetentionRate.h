#pragma once

#include <QString>

namespace ret {

class Database;

// The retention rate in force for a modality class and a period (yyyymm), as the parameter
// table stores it ("0.06"); "0" when no rate row applies or no class is given.
QString BuscaTasaRetencion(Database& db, const QString& modalityClass, const QString& period);

} // namespace ret
