#include "tools/retsumm/TextPrinter.h"

#include "common/Messages.h"
#include "common/WholeFile.h"

#include <QFile>
#include <QFileInfo>

namespace ret::summary {

bool renderText(const QString& input, const QString& output, MessageSink& messages) {
    QFile in(input);
    if (!QFileInfo(input).isFile() || !in.open(QIODevice::ReadOnly)) {
        messages.inform(MsgIcon::Critical,
                        QString::fromUtf8("Archivo Físico del Reporte no Existe"),
                        QStringLiteral("Error al Imprimir"));
        return false;
    }
    const QByteArray data = in.readAll();
    QList<QByteArray> lines = data.split('\n');
    if (data.isEmpty() || data.endsWith('\n'))
        lines.removeLast(); // nothing follows the last line end
    QByteArray out;
    bool newPage = false;
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.contains("<!")) {
            // only the first tag of a style line counts; fonts and flags mean nothing in text
            const qsizetype at = line.indexOf("<!");
            if (line.mid(at).startsWith("<!np!>"))
                newPage = true;
            continue;
        }
        if (newPage) {
            out += "\x0F\r\n";
            newPage = false;
        }
        out += (line.isEmpty() ? QByteArray(" ") : line) + "\r\n";
    }
    if (const auto e = writeWholeFile(output, out)) {
        messages.inform(MsgIcon::Critical,
                        QString::fromUtf8("Error Técnico : (") + QString::number(e->number) +
                            QStringLiteral(") ") + e->message(),
                        QString::fromUtf8("Impresión"));
        return false;
    }
    return true;
}

} // namespace ret::summary
