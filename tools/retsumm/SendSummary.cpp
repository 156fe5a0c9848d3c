#include "SendSummary.h"

#include "CommandRecord.h"
#include "Connection.h"
#include "Cp1252.h"
#include "Messages.h"
#include "PrintScript.h"
#include "ReportRegister.h"
#include "Summary.h"
#include "TextPrinter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace ret::summary {
namespace {

void trace(const QString& text) {
    QFile f(QStringLiteral("Trace.txt")); // in the system directory, the current one
    if (f.open(QIODevice::Append))
        f.write(cp1252::encode(text) + "\r\n");
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
}

// The registered report: the summary's items, or an empty file without a declaration.
void composeReport(Database& db, const CommandRecord& r, const QString& path,
                   const QDateTime& now) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    EstadoReporte state;
    state.nArchivo = &file;
    ImpLinea out(state);
    trace(headerQueryText(r));
    if (const auto s = readSummary(db, r, now))
        writeReport(out, *s);
    file.commit();
}

void composePlain(Database& db, const CommandRecord& r, const QString& path, const QDateTime& now) {
    QByteArray bytes;
    trace(headerQueryText(r));
    if (const auto s = readSummary(db, r, now)) {
        for (const QString& l : plainLines(*s))
            bytes += cp1252::encode(l) + "\r\n";
    }
    writeFile(path, bytes);
}

} // namespace

int runSendSummary(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                   const QDateTime& now) {
    const std::optional<CommandRecord> parsed = recordFromArguments(arguments, messages);
    if (!parsed)
        return NotRun;
    const CommandRecord& r = *parsed;
    const Configuration config = ReadConfiguration(Deliverable::SendSummary, profile);
    EnterSystemDirectory(config);
    auto db = OpenSharedDatabase(Deliverable::SendSummary, config, profile, messages);
    if (!db)
        return NotRun;

    // a step that fails leaves its item out; the next one still runs
    try {
        const QString archivo =
            RegistrarReporte(*db, QStringLiteral("RYP004"), r.documentType.toInt(),
                             r.documentNumber, config.currentUser, now);
        composeReport(*db, r, joinPath(config.reportDirectory, archivo), now);
    } catch (const DbError& e) {
        messages.inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
    }
    const QString base = r.form + r.period + r.week + r.further;
    const QString plain = joinPath(config.reportDirectory, base + QStringLiteral(".PRN"));
    try {
        composePlain(*db, r, plain, now);
    } catch (const DbError& e) {
        messages.inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
    }
    const QString rendered = joinPath(config.reportDirectory, base + QStringLiteral(".txt"));
    if (renderText(plain, rendered, messages)) {
        const QString copy = joinPath(config.temporaryDirectory, base + QStringLiteral(".TXT"));
        QFile::remove(copy);
        if (!QFile::copy(rendered, copy))
            messages.inform(MsgIcon::Critical,
                            QStringLiteral("Error 75\nError de acceso a la ruta o al archivo ") +
                                copy,
                            QString::fromUtf8("Error de Ejecución"));
    }
    return Done;
}

} // namespace ret::summary
