#include "common/PrintScript.h"

#include "common/Cp1252.h"
#include "common/Decimal.h"

#include <QIODevice>

#include <algorithm>

namespace ret {
namespace {

std::int16_t checked16(int value) {
    if (value < INT16_MIN || value > INT16_MAX)
        throw ReportOverflow("Desbordamiento");
    return std::int16_t(value);
}

bool isTag(const QString& text) {
    return text.startsWith(QLatin1String("<!"));
}

} // namespace

int readPrintScriptNumber(const QString& field) {
    const Decimal d = Decimal::leadingValue(field);
    const std::int64_t units = d.units();
    std::int64_t whole = units / Decimal::kUnit;
    const std::int64_t rest = units % Decimal::kUnit;
    const std::int64_t half = Decimal::kUnit / 2;
    if (rest > half || (rest == half && whole % 2 != 0))
        ++whole;
    else if (rest < -half || (rest == -half && whole % 2 != 0))
        --whole;
    return int(std::clamp<std::int64_t>(whole, INT32_MIN, INT32_MAX));
}

namespace {

int numberField(const QString& field) {
    return readPrintScriptNumber(field);
}

QString commandWord(const QString& line, qsizetype& end) {
    QString word;
    qsizetype i = 0;
    for (; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('|')) {
            ++i;
            break;
        }
        word.append(c);
        if (word.endsWith(QLatin1String("!>")) || word.endsWith(QLatin1String("aHoja"))) {
            ++i;
            break;
        }
    }
    end = i;
    return word.trimmed();
}

QStringList fieldsAfter(const QString& line, qsizetype from) {
    QStringList fields;
    while (from < line.size()) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'), from);
        if (bar < 0)
            break; // a field without its closing "|" is not one
        fields << line.mid(from, bar - from);
        from = bar + 1;
    }
    return fields;
}

} // namespace

int ImpLinea::linesPerPage(int nAncho) {
    if (nAncho < 83)
        return 85;
    if (nAncho < 150)
        return 83;
    return 64;
}

void ImpLinea::write(const QString& line) {
    QByteArray bytes;
    bytes.reserve(line.size() + 2);
    cp1252::appendEncoded(line, bytes);
    bytes.append("\r\n", 2);
    if (s_.nArchivo == nullptr || s_.nArchivo->write(bytes) != bytes.size())
        throw std::runtime_error("No se pudo escribir el archivo del reporte");
}

void ImpLinea::EscribeLinea(const QString& texto) {
    QString line = texto;
    if (!isTag(texto)) {
        s_.nPosY = checked16(int(s_.nPosY) + 175);
        // joined, not through place markers, which a "%1" in the text would take for one
        // one text grown in place: a report writes hundreds of thousands of these lines
        line = QStringLiteral("pPos|10|");
        line.reserve(texto.size() + 32);
        line += QString::number(s_.nPosY);
        line += QLatin1Char('|');
        line += texto;
        line += QStringLiteral("|False|8|");
        line += QString::number(int(s_.nHoja) - 1);
        line += QLatin1Char('|');
    } else if (s_.nHoja > 1) {
        return;
    }
    write(line);
    s_.nLinea = checked16(int(s_.nLinea) + 1);
    if (s_.nLinea < linesPerPage(s_.nAncho))
        return;
    s_.nLinea = 0;
    s_.nHoja = checked16(int(s_.nHoja) + 1);
    write(QStringLiteral("pNuevaHoja"));
    if (s_.pageHeader)
        s_.pageHeader();
}

void ImpLinea::EscribeTexto(int x, int y, const QString& texto, bool negrita, int tamano,
                            int hoja) {
    if (texto == QLatin1String("pNuevaHoja")) {
        write(texto);
        return;
    }
    if (isTag(texto)) {
        if (s_.nHoja <= 1)
            write(texto);
        return;
    }
    write(QStringLiteral("pPos|%1|%2|").arg(checked16(x)).arg(checked16(y)) + texto +
          (negrita ? QStringLiteral("|True|") : QStringLiteral("|False|")) +
          QStringLiteral("%1|%2|").arg(checked16(tamano)).arg(checked16(hoja)));
}

void ImpLinea::EscribeCuadro(int x1, int y1, int x2, int y2, int hoja) {
    write(QStringLiteral("pCuadro|%1|%2|%3|%4|%5|")
              .arg(checked16(x1))
              .arg(checked16(y1))
              .arg(checked16(x2))
              .arg(checked16(y2))
              .arg(checked16(hoja)));
}

PsLine readPrintScriptLine(const QString& line) {
    qsizetype end = 0;
    const QString word = commandWord(line, end);
    if (word == QLatin1String("pNuevaHoja"))
        return PsPageBreak{};
    for (const char* name : {"font", "nHojas", "Orientacion", "Color"}) {
        const QString open = QStringLiteral("<!%1!>").arg(QLatin1String(name));
        if (word != open || !line.startsWith(open))
            continue;
        const QString close = QStringLiteral("<!/%1!>").arg(QLatin1String(name));
        const qsizetype at = line.indexOf(close, open.size());
        return PsTag{QLatin1String(name), line.mid(open.size(), at < 0 ? -1 : at - open.size())};
    }
    const QStringList f = fieldsAfter(line, end);
    const bool text = word == QLatin1String("pPos");
    const bool vertical = word == QLatin1String("pPosVerti");
    if ((text || vertical) && f.size() >= 6) {
        PsItem item;
        item.kind = vertical ? PsItem::Kind::VerticalText : PsItem::Kind::Text;
        item.x = numberField(f[0]);
        item.y = numberField(f[1]);
        item.text = f[2];
        item.bold = f[3].trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
        item.size = numberField(f[4]);
        if (item.size == 0)
            item.size = 8;
        item.page = numberField(f[5]);
        return item;
    }
    if (word == QLatin1String("pCuadro") && f.size() >= 5) {
        PsItem box;
        box.kind = PsItem::Kind::Box;
        box.x = numberField(f[0]);
        box.y = numberField(f[1]);
        box.x2 = numberField(f[2]);
        box.y2 = numberField(f[3]);
        box.page = numberField(f[4]);
        return box;
    }
    return PsSkip{};
}

std::optional<std::int32_t> colorValue(const QString& value) {
    QString v = value.trimmed();
    if (v.endsWith(QLatin1Char('&')))
        v.chop(1);
    if (!v.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        return std::nullopt;
    bool ok = false;
    const quint32 bits = v.mid(2).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return std::int32_t(bits);
}

} // namespace ret
