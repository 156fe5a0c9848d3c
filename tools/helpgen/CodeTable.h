#pragma once

#include "import/ImportCodes.h"

#include <QString>

namespace ret::helpgen {

// Where the page's text takes the table.
inline const QString kMarker = QStringLiteral("<!-- tabla de códigos -->");
// The text of a code whose text is the integrator's error table's.
inline const QString kTableText =
    QStringLiteral("(el texto de la tabla de errores del Integrador)");

// The codes as the rows of an HTML table: code, fields, when, text; one row a line, each row
// with the class "codigo" so that a reader (and a test) finds them.
QString codeTable(const std::vector<import::ImportCode>& codes);

} // namespace ret::helpgen
