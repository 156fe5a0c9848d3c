#include "tools/helpgen/CodeTable.h"

namespace ret::helpgen {

QString codeTable(const std::vector<import::ImportCode>& codes) {
    QString rows =
        QStringLiteral("<table class=\"codigos\">\n"
                       "<tr><th>Código</th><th>Campo</th><th>Cuándo se rechaza la línea</th>"
                       "<th>Texto que muestra el programa</th></tr>\n");
    for (const import::ImportCode& c : codes) {
        const QString fields = *c.fields ? QString::fromUtf8(c.fields) : QStringLiteral("la línea");
        const QString when = *c.when ? QString::fromUtf8(c.when).toHtmlEscaped()
                                     : QStringLiteral("ninguna verificación de la importación "
                                                      "lo da hoy");
        const QString text = c.text ? QString::fromUtf8(c.text).toHtmlEscaped() : kTableText;
        rows += QStringLiteral("<tr class=\"codigo\"><td>%1</td><td>%2</td><td>%3</td>"
                               "<td>%4</td></tr>\n")
                    .arg(QLatin1String(c.code), fields.toHtmlEscaped(), when, text);
    }
    rows += QStringLiteral("</table>");
    return rows;
}

} // namespace ret::helpgen
