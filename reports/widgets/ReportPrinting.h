#pragma once

#include "reports/ReportDocument.h"

#include <QString>

class QWidget;

namespace ret {

class FieldRules;
class MessageSink;
struct Session;

// How a print of a report file ended.
enum class PrintResult {
    Printed,
    FileMissing, // the file was refused: "Archivo Físico del Reporte no Existe"
    NoPrinter,   // no default printer: "No existe una impresora seleccionada.Verifique."
    Failed,      // the printer could not be started
};

// The environment variable that sends every print to a PDF file at the path it holds.
inline constexpr char kPrintToPdfVariable[] = "RET_PRINT_TO_PDF";

// Prints a report file (full path) on the system's default printer, one printer page per report
// page, honouring the range; landscape when the report asks for it, portrait again afterwards.
// Shows its own messages.
PrintResult printReportFile(const QString& path, const RangoPaginas& range, const FieldRules& rules,
                            MessageSink& messages);

// Writes the report (or its range) to a PDF file laid out exactly as the printed pages. False,
// with the reason in `error`, when the report cannot be read or the PDF cannot be written.
bool saveReportAsPdf(const QString& reportPath, const RangoPaginas& range, const QString& pdfPath,
                     QString* error = nullptr);

// A direct print into a PDF file instead of the printer: a report file that is not there is
// refused as printReportFile refuses it, a PDF that cannot be written is a print error. Shows
// its own messages.
PrintResult printReportToPdf(const QString& reportPath, const QString& pdfPath,
                             const FieldRules& rules, MessageSink& messages);

// Opens the viewer on a report of the report directory ("Vprevia", modally) or prints it at once
// (any other mode) under the range given; a direct print runs with no range. False when a
// direct print did not go out (its message shown).
bool VerReporte(Session& session, const QString& nombreArchivo, const QString& modo,
                const RangoPaginas& range = {}, QWidget* parent = nullptr);

} // namespace ret
