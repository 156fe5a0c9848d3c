#include "import/ImportErrorReport.h"

#include "common/Configuration.h"
#include "common/Cp1252.h"
#include "common/Database.h"
#include "common/Messages.h"
#include "common/PrintScript.h"
#include "common/ReportRegister.h"
#include "common/WholeFile.h"

#include <QBuffer>
#include <QFile>

namespace ret::import {
namespace {

constexpr int kWidth = 82;
const QString kMargin(15, QLatin1Char(' '));
const QString kTitle = QStringLiteral("Velkar AGENTES DE RETENCION");

// A text centred in the report's width the way the headers place it.
QString centred(const QString& text) {
    const int c = (kWidth - int(text.size())) / 2;
    return (QString(c + 5, QLatin1Char(' ')) + text + QString(c, QLatin1Char(' ')))
        .leftJustified(kWidth);
}

// `line` with `text` written over it from 1-based `column` on, padded to reach it.
QString writtenOver(QString line, int column, const QString& text) {
    if (line.size() < column - 1 + text.size())
        line = line.leftJustified(column - 1 + int(text.size()));
    line.replace(column - 1, text.size(), text);
    return line;
}

QString rule(int n) {
    return kMargin + QString(n, QLatin1Char('_'));
}

class Composer {
public:
    Composer(QIODevice& file, const ErrorReportHeader& h, int errorLines)
        : header_(h), pages_(errorLines / 69 + 1), out_(state_) {
        state_.nArchivo = &file;
        state_.nCabecera = 0;
        state_.pageHeader = [this] { pageHeader(); };
    }

    void run(const QStringList& errors) {
        pageHeader();
        int count = 0;
        for (const QString& e : errors) {
            out_.EscribeLinea(QString(20, QLatin1Char(' ')) + e);
            if (++count % 69 == 0) {
                out_.EscribeLinea(rule(91));
                out_.EscribeLinea(QString(20, QLatin1Char(' ')) +
                                  QStringLiteral("Sub-Total de Errores:  ") +
                                  QString::number(count));
                out_.EscribeLinea(rule(91));
            }
        }
        out_.EscribeLinea(rule(89));
        out_.EscribeLinea(QString(20, QLatin1Char(' ')) +
                          QStringLiteral("Total de Errores:      ") + QString::number(count));
        out_.EscribeLinea(rule(89));
    }

private:
    void pageHeader() {
        state_.nAncho = kWidth;
        state_.nPosY = 0;
        for (const QString& tag : {QStringLiteral("<!font!>Courier New<!/font!>"),
                                   QStringLiteral("<!nHojas!>%1<!/nHojas!>").arg(pages_),
                                   QStringLiteral("<!Orientacion!>V<!/Orientacion!>"),
                                   QStringLiteral("<!Color!>&H80000005&<!/Color!>")})
            out_.EscribeLinea(tag);
        state_.nLinea = 1;
        for (int i = 0; i < 3; ++i)
            out_.EscribeLinea(QString());
        const QString title = writtenOver(centred(kTitle), 1, QStringLiteral("KORVA"));
        out_.EscribeLinea(writtenOver(kMargin + title + QString(5, QLatin1Char(' ')), 101,
                                      QStringLiteral("RYP001")));
        const QString p = header_.period;
        QString period = centred(QStringLiteral("REPORTE DE ERRORES DE TRANSFERENCIA - PERIODO ") +
                                 p.mid(4, 2) + QLatin1Char('/') + p.left(4));
        period = writtenOver(period, 1, header_.now.toString(QStringLiteral("dd/MM/yyyy")));
        period += QString(4, QLatin1Char(' '));
        const QString page = QStringLiteral("Pag:") + QString::number(state_.nHoja);
        period = writtenOver(period, kWidth - int(page.size()) + 9, page);
        out_.EscribeLinea(kMargin + period);
        out_.EscribeLinea(kMargin + writtenOver(centred(QString()), 1,
                                                header_.now.toString(QStringLiteral("hh:mm:ss"))));
        out_.EscribeLinea(QString());
        out_.EscribeLinea(QString());
        out_.EscribeLinea((kMargin + QStringLiteral("CONTRIBUYENTE:  ") + header_.ruc +
                           QStringLiteral("  ") + header_.name)
                              .leftJustified(110));
        out_.EscribeLinea(rule(91));
        out_.EscribeLinea(QString(20, QLatin1Char(' ')) +
                          QStringLiteral("RUC SUJETO SERIE NUMERO  DESCRIPCION DEL ERROR  "));
        out_.EscribeLinea(rule(91));
    }

    const ErrorReportHeader& header_;
    const int pages_;
    EstadoReporte state_;
    ImpLinea out_;
};

} // namespace

QString composeErrorReport(Database& db, const QString& reportDirectory, const QString& user,
                           const QString& errorFile, const QString& ruc, const QString& period,
                           MessageSink& messages) {
    const QDateTime now = QDateTime::currentDateTime();
    const ErrorReportHeader h{ruc, declarantName(db, ruc), period, now};
    const std::optional<QByteArray> bytes = composeErrorLines(errorFile, h);
    if (!bytes)
        return QString(); // nothing to register
    const RegisteredReport r = RegistrarReporte(
        db, reportDirectory, {QStringLiteral("RYP001"), 6, ruc, user, now}, *bytes);
    if (r.failure) {
        messages.inform(MsgIcon::Critical,
                        QString::fromUtf8("Error Técnico : (") +
                            QString::number(r.failure->number) + QStringLiteral(") ") +
                            r.failure->message(),
                        QString::fromUtf8("Impresión"));
        return QString();
    }
    return joinPath(reportDirectory, r.archivo);
}

QString declarantName(Database& db, const QString& ruc) {
    const auto n =
        db.scalar(QStringLiteral("SELECT nombre FROM CONT WHERE tip_doc_d = 6 AND doc_id_d = ?"),
                  {ruc.trimmed()});
    return n ? n->toString() : QString();
}

std::optional<QByteArray> composeErrorLines(const QString& errorFile,
                                            const ErrorReportHeader& header) {
    QFile in(errorFile);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringList errors;
    QByteArray data = in.readAll();
    for (QByteArray line : data.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        errors << cp1252::decode(line);
    }
    if (data.isEmpty() || data.endsWith('\n'))
        errors.removeLast(); // nothing follows the last line end
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    try {
        Composer(out, header, int(errors.size())).run(errors);
    } catch (const std::exception&) {
        return std::nullopt; // a report past the 16-bit limits
    }
    return bytes;
}

bool ImprimirErroresImportacion(const QString& errorFile, const QString& reportPath,
                                const ErrorReportHeader& header) {
    const std::optional<QByteArray> bytes = composeErrorLines(errorFile, header);
    return bytes && !writeWholeFile(reportPath, *bytes);
}

} // namespace ret::import
