#pragma once

// Reading a benchmark's PDF back as a reader would, with poppler's tools (poppler-utils).
#include <QProcess>
#include <QString>

namespace ret::bench {

// The page count pdfinfo reads from the PDF; -1 when it cannot.
inline int pdfPages(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(60000))
        return -1;
    for (const QByteArray& line : info.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// The text pdftotext finds on one page (from 1), laid out as on the page.
inline QString pageText(const QString& pdf, int page) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(60000))
        return {};
    return QString::fromUtf8(text.readAllStandardOutput());
}

} // namespace ret::bench
