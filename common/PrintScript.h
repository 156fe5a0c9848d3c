#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <variant>

class QIODevice;

namespace ret {

// A counter or coordinate of a report left the 16-bit range.
class ReportOverflow : public std::overflow_error {
public:
    using std::overflow_error::overflow_error;
};

// The state of the report being composed (one per report).
struct EstadoReporte {
    QIODevice* nArchivo = nullptr;
    std::int16_t nAncho = 104; // width of the flowing lines: decides the lines per page
    std::int16_t nLinea = 0;   // flowing lines counted on the current page
    std::int16_t nHoja = 1;    // current page, from 1
    std::int16_t nPosY = 0;    // y of the last flowing line, twips
    int nCabecera = 0;         // which page header follows an automatic page break
    // Writes the page header chosen by nCabecera after an automatic page break.
    std::function<void()> pageHeader;
};

// The writing operations of a PrintScript report: every call writes one whole line, Windows-1252
// text ended by CR LF.
class ImpLinea {
public:
    explicit ImpLinea(EstadoReporte& state) : s_(state) {}

    // A flowing line at x = 10 below the previous one (or a tag line, first page only); breaks
    // the page when it is full.
    void EscribeLinea(const QString& texto);
    // A text item at an absolute position; "pNuevaHoja" ends the page instead.
    void EscribeTexto(int x, int y, const QString& texto, bool negrita, int tamano, int hoja);
    void EscribeCuadro(int x1, int y1, int x2, int y2, int hoja);

    // Lines per page for a flowing width.
    static int linesPerPage(int nAncho);

private:
    void write(const QString& line);
    EstadoReporte& s_;
};

// What one line of a PrintScript file says.
struct PsTag {
    QString name;  // "font", "nHojas", "Orientacion", "Color"
    QString value; // the text between the opening and the closing tag
};
struct PsItem {
    enum class Kind { Text, VerticalText, Box } kind = Kind::Text;
    int x = 0;
    int y = 0;
    int x2 = 0; // boxes
    int y2 = 0;
    QString text;
    bool bold = false;
    int size = 8;
    int page = 0;
};
struct PsPageBreak {};
struct PsSkip {};
using PsLine = std::variant<PsTag, PsItem, PsPageBreak, PsSkip>;

// A numeric field of a line: its leading numeric value, rounded half to even.
int readPrintScriptNumber(const QString& field);

// Reads one line (without its line end) by the reading rules of the format.
PsLine readPrintScriptLine(const QString& line);

// The paper colour of a colour tag ("&H00FFFFC0&" gives 16777152), as a signed 32-bit value.
std::optional<std::int32_t> colorValue(const QString& value);

} // namespace ret
