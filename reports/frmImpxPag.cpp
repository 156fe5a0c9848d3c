#include "reports/frmImpxPag.h"

#include "common/Messages.h"
#include "reports/ReportScreens.h"

#include <QStringList>

#include <algorithm>

namespace ret::reports {
namespace {

constexpr long long kScale = 10000;           // ten-thousandths
constexpr long long kLargest = 1'000'000'000; // whole pages kept before saturating

const QString kCrLf = QStringLiteral("\r\n");
const QString kCountRun = QString(18, QLatin1Char(' '));

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r');
}

} // namespace

long long readPageNumber(const QString& text) {
    QString s;
    for (const QChar c : text) {
        if (!isBlank(c))
            s += c;
    }
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        negative = s[i++] == QLatin1Char('-');
    long long whole = 0;
    for (; i < s.size() && s[i].isDigit() && s[i].unicode() < 128; ++i)
        whole = std::min(kLargest, whole * 10 + (s[i].unicode() - '0'));
    long long fraction = 0;
    if (i < s.size() && s[i] == QLatin1Char('.')) {
        long long place = kScale / 10;
        for (++i; i < s.size() && s[i].isDigit() && s[i].unicode() < 128; ++i, place /= 10)
            fraction += (s[i].unicode() - '0') * place;
    }
    const long long value = whole * kScale + fraction;
    return negative ? -value : value;
}

int wholePage(long long tenThousandths) {
    const long long magnitude = tenThousandths < 0 ? -tenThousandths : tenThousandths;
    long long whole = magnitude / kScale;
    const long long rest = magnitude % kScale;
    if (rest > kScale / 2 || (rest == kScale / 2 && whole % 2 == 1))
        ++whole;
    const long long page = tenThousandths < 0 ? -whole : whole;
    return int(std::clamp<long long>(page, -32768, 32767));
}

frmImpxPag::frmImpxPag(ReportScreens& screens, MessageSink& messages)
    : screens_(screens), messages_(messages) {
    txtPagDesde = QStringLiteral("1");
}

void frmImpxPag::load(const QString& fileName, int pages) {
    caption_ = QStringLiteral("Impresión de %1 páginas").arg(pages);
    totPaginas_ = QString::number(pages);
    tag_ = fileName;
    txtPagDesde = QStringLiteral("1");
    txtPagHasta.clear();
}

QString frmImpxPag::textBeforeCount() {
    return QStringLiteral("El reporte generado contiene");
}

QString frmImpxPag::text1() {
    const QStringList lines = {
        textBeforeCount() + kCountRun + QStringLiteral("páginas. "),
        QString(),
        QStringLiteral("Si su consulta contiene más de 10 páginas puede"),
        QStringLiteral("ocasionar la caida del programa debido a la saturación de "),
        QStringLiteral("la memoria de la computadora."),
        QStringLiteral("Se recomienda imprimir en rangos no mayores a 10 páginas."),
    };
    return lines.join(kCrLf) + kCrLf;
}

bool frmImpxPag::acceptsKey(QChar key) {
    return key == QChar(8) || (key >= QLatin1Char('0') && key <= QLatin1Char('9')) ||
           key == QLatin1Char('.') || key == QLatin1Char(' ');
}

bool frmImpxPag::refuse(const QString& text) {
    messages_.inform(MsgIcon::Critical, text, caption_);
    return false;
}

bool frmImpxPag::preliminar() {
    if (txtPagDesde.trimmed().isEmpty())
        return refuse(QStringLiteral("Ingrese página de inicio."));
    const long long desde = readPageNumber(txtPagDesde);
    if (desde <= 0)
        return refuse(QStringLiteral("Página inicial debe ser a partir de 1."));
    if (desde > readPageNumber(totPaginas_))
        return refuse(
            QStringLiteral("Página inicial no debe ser mayor a total de páginas del reporte."));
    if (txtPagHasta.trimmed().isEmpty())
        return refuse(QStringLiteral("Ingrese página de Fin."));
    const long long hasta = readPageNumber(txtPagHasta);
    if (hasta < desde)
        return refuse(QStringLiteral("Página de Inicio debe ser mayor a página de Fin."));
    range_ = {true, wholePage(desde), wholePage(hasta)};
    screens_.preview(tag_, range_);
    return true;
}

} // namespace ret::reports
