#include "tools/retcheck/SendCheck.h"

#include "common/CommandRecord.h"
#include "common/Connection.h"
#include "common/Cp1252.h"
#include "common/Messages.h"
#include "common/WholeFile.h"
#include "tools/retcheck/Checks.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace ret::check {
namespace {

const QString kExecutionError = QString::fromUtf8("Error de Ejecución");

// A file that could not be written or removed, told in the old run-time's form.
void fileError(MessageSink& messages, const FileWriteError& e) {
    messages.inform(MsgIcon::Critical, e.runTimeText(), kExecutionError);
}

// Removes an older file; a missing file or directory means there is nothing to remove.
bool removeIfThere(MessageSink& messages, const QString& path) {
    const QFileInfo info(path);
    if (!info.dir().exists() || !info.exists())
        return true;
    if (QFile::remove(path))
        return true;
    messages.inform(MsgIcon::Critical,
                    QStringLiteral("Error 75\nError de acceso a la ruta o al archivo ") + path,
                    kExecutionError);
    return false;
}

// Writes the file whole; false, after the message, when it could not be (it stays as it was).
bool writeLines(MessageSink& messages, const QString& path, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& l : lines)
        bytes += cp1252::encode(l.isEmpty() ? QStringLiteral(" ") : l) + "\r\n";
    const auto failed = writeWholeFile(path, bytes);
    if (failed)
        fileError(messages, *failed);
    return !failed;
}

} // namespace

int runSendCheck(const QStringList& arguments, const Profile& profile, MessageSink& messages,
                 const QDateTime& now) {
    const std::optional<CommandRecord> parsed = recordFromArguments(arguments, messages);
    if (!parsed)
        return NotRun;
    const CommandRecord& record = *parsed;

    const Configuration config = ReadConfiguration(Deliverable::SendCheck, profile);
    EnterSystemDirectory(config);
    auto db = OpenSharedDatabase(Deliverable::SendCheck, config, profile, messages);
    if (!db)
        return NotRun;

    // every check runs even after one fails, but a declaration that could not be read whole is
    // never called consistent, nor is a report of it left as if it were complete
    std::optional<DbError> failure;
    const std::vector<Inconsistency> found = runChecks(*db, record, [&](const DbError& e) {
        if (!failure)
            failure = e;
    });
    if (failure) {
        messages.inform(
            MsgIcon::Critical,
            QStringLiteral("Error %1\n%2").arg(failure->number()).arg(failure->description()),
            kExecutionError);
        return NotRun;
    }
    const QString base = joinPath(config.temporaryDirectory, record.baseName());
    const QString report = base + QStringLiteral(".ERR");
    const QString marker = base + QStringLiteral(".TXT");
    if (found.empty()) {
        // an older marker would tell the integrator this declaration is still inconsistent
        const bool removed = removeIfThere(messages, report) && removeIfThere(messages, marker);
        return removed ? Consistent : NotRun;
    }

    if (!writeLines(messages, report, reportLines(found, record.form, now)))
        return NotRun;
    messages.inform(MsgIcon::Critical,
                    QStringLiteral("Existen datos inconsistentes en la información a enviar. "
                                   "Revisar el archivo ") +
                        QDir::toNativeSeparators(QFileInfo(report).absoluteFilePath()),
                    QString::fromUtf8("Error en la información a enviar"));
    if (!removeIfThere(messages, marker) ||
        !writeLines(messages, marker, {record.form + QStringLiteral(" ERROR")}))
        return NotRun;
    return Inconsistent;
}

} // namespace ret::check
