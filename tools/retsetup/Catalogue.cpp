#include "tools/retsetup/Catalogue.h"

#include "common/Cp1252.h"

#include <QFile>

namespace ret::setup {
namespace {

constexpr int kFields = 13;
// indice, obliga and c_tip_doc_d are bytes; the other column numbers are long integers
constexpr int kByteFields = 3;

std::optional<QString> parseLine(const QString& line, CatalogueRow& row) {
    const QStringList parts = line.split(QLatin1Char('|'));
    // every field is followed by "|", so 13 fields leave at least 14 parts
    if (parts.size() < kFields + 1)
        return QStringLiteral("tiene %1 campos terminados en \"|\" y debe tener %2")
            .arg(parts.size() - 1)
            .arg(kFields);
    row.tablaO = parts[1].trimmed();
    row.tablaD = parts[2].trimmed();
    row.tablaExt = parts[3].trimmed();
    for (int i = 4; i < kFields; ++i) {
        bool ok = false;
        const QString text = parts[i].trimmed();
        const qlonglong value = text.toLongLong(&ok);
        const bool isByte = i - 4 < kByteFields;
        const bool inRange =
            isByte ? (value >= 0 && value <= 255) : (value >= INT32_MIN && value <= INT32_MAX);
        if (!ok || !inRange)
            return QStringLiteral("el campo %1 (\"%2\") no es un número válido")
                .arg(i + 1)
                .arg(text);
        row.numbers << value;
    }
    return std::nullopt;
}

} // namespace

Catalogue readCatalogue(const QString& path) {
    Catalogue cat;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        cat.error = CatalogueError{0, QStringLiteral("no se puede leer el archivo")};
        return cat;
    }
    const QStringList lines = cp1252::decode(file.readAll()).split(QLatin1Char('\n'));
    std::vector<CatalogueRow> rows;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            break; // the catalogue ends at the first blank line
        CatalogueRow row;
        if (const auto problem = parseLine(line, row)) {
            cat.error = CatalogueError{int(i + 1), *problem};
            return cat;
        }
        rows.push_back(std::move(row));
    }
    cat.rows = std::move(rows);
    return cat;
}

} // namespace ret::setup
