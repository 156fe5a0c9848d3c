#include "TextPrinter.h"

#include "Messages.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    QSaveFile f(output);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.commit()) {
        messages.inform(MsgIcon::Critical,
                        QStringLiteral("Error Técnico : (75) no se pudo escribir ") + output,
                        QStringLiteral("Impresión"));
    }
    return true;
}

} // namespace ret::summary
