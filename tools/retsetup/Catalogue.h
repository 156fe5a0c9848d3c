#pragma once

#include <QString>
#include <QVariantList>

#include <optional>
#include <vector>

namespace ret::setup {

// One line of the sending catalogue env947.txt: 13 fields, each followed by "|"; the first is
// not used (the form number comes from the installer).
struct CatalogueRow {
    QString tablaO;
    QString tablaD;
    QString tablaExt;
    QVariantList numbers; // indice, obliga, c_tip_doc_d, c_doc_id_d, ..., c_semana (10 values)
};

struct CatalogueError {
    int line = 0; // 1-based; 0 when the file itself could not be read
    QString reason;
};

struct Catalogue {
    std::vector<CatalogueRow> rows;
    std::optional<CatalogueError> error;
};

// Reads the catalogue up to the end of the file or the first line that is blank after
// trimming. The whole file is checked before any row is returned: on an error `rows` is empty.
Catalogue readCatalogue(const QString& path);

} // namespace ret::setup
