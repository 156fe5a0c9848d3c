#pragma once

#include <QString>

namespace ret {

// The texts of the About window frmAcercade.
struct AboutTexts {
    QString caption = QStringLiteral("Acerca de Velkar "); // the blank is the system's
    QString product = QStringLiteral("Velkar");
    QString module = QStringLiteral("Agentes de Retención");
    QString version = QStringLiteral("Versión 1.1");
    QString origin = QStringLiteral(
        "Módulo desarrollado por el equipo de sistemas de Velkar para los agentes de retención "
        "del IGV. Su uso está permitido únicamente junto con el Integrador del Velkar y según "
        "las condiciones de su licencia.");
    QString accept = QStringLiteral("&Aceptar");
};

} // namespace ret
