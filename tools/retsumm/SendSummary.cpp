#include "tools/retsumm/SendSummary.h"

#include "common/CommandRecord.h"
#include "common/Connection.h"
#include "common/Cp1252.h"
#include "common/Messages.h"
#include "common/PrintScript.h"
#include "common/ReportRegister.h"
#include "common/WholeFile.h"
#include "tools/retsumm/Summary.h"
#include "tools/retsumm/TextPrinter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

namespace ret::summary {
namespace {

const QString kExecutionError = QString::fromUtf8("Error de Ejecución");

// A file that could not be written whole, told in the old run-time's form.
void fileError(MessageSink& messages, const FileWriteError& e) {
    messages.inform(MsgIcon::Critical, e.runTimeText(), kExecutionError);
}

// Every step that writes says whether its file is whole; a failed one is told at once and the
// run's exit code follows it.
class Run {
public:
    Run(Database& db, const CommandRecord& r, const Configuration& config, MessageSink& messages,
        const QDateTime& now)
        : db_(db), r_(r), config_(config), messages_(messages), now_(now) {}

    bool whole() const { return whole_; }

    // Appends the header query to the trace of the system directory (the current one).
    void trace() {
        const QByteArray line = cp1252::encode(headerQueryText(r_)) + "\r\n";
        if (const auto e =
                appendToFile(QDir::current().filePath(QStringLiteral("Trace.txt")), line))
            failed(*e);
    }

    // The registered report: the summary's items, or an empty file without a declaration. The
    // register row is kept only with its file.
    void report() {
        QByteArray bytes;
        {
            QBuffer file(&bytes);
            file.open(QIODevice::WriteOnly);
            EstadoReporte state;
            state.nArchivo = &file;
            ImpLinea out(state);
            trace();
            if (const auto s = readSummary(db_, r_, now_))
                writeReport(out, *s);
        }
        const RegisteredReport registered =
            RegistrarReporte(db_, config_.reportDirectory,
                             {QStringLiteral("RYP004"), r_.documentType.toInt(), r_.documentNumber,
                              config_.currentUser, now_},
                             bytes);
        if (registered.failure)
            failed(*registered.failure);
    }

    // The plain summary; false when it could not be written whole.
    bool plain(const QString& path) {
        QByteArray bytes;
        trace();
        if (const auto s = readSummary(db_, r_, now_)) {
            for (const QString& l : plainLines(*s))
                bytes += cp1252::encode(l) + "\r\n";
        }
        if (const auto e = writeWholeFile(path, bytes)) {
            failed(*e);
            return false;
        }
        return true;
    }

    // The copy of the rendered text for the integrator, made whole.
    void copy(const QString& rendered, const QString& target) {
        QFile in(rendered);
        if (!in.open(QIODevice::ReadOnly)) {
            // the copy cannot be made: it is the copy the integrator misses
            failed({75, QString::fromUtf8("Error de acceso a la ruta o el archivo"), target});
            return;
        }
        if (const auto e = writeWholeFile(target, in.readAll()))
            failed(*e);
    }

    void failedStep() { whole_ = false; }
    void failed(const FileWriteError& e) {
        fileError(messages_, e);
        whole_ = false;
    }

private:
    Database& db_;
    const CommandRecord& r_;
    const Configuration& config_;
    MessageSink& messages_;
    const QDateTime& now_;
    bool whole_ = true;
};

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

    // a step that fails is told and leaves its file out; the next one still runs
    Run run(*db, r, config, messages, now);
    try {
        run.report();
    } catch (const DbError& e) {
        messages.inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
        run.failedStep();
    }
    const QString base = r.form + r.period + r.week + r.further;
    const QString plain = joinPath(config.reportDirectory, base + QStringLiteral(".PRN"));
    bool plainWritten = false;
    try {
        plainWritten = run.plain(plain);
    } catch (const DbError& e) {
        messages.inform(MsgIcon::None, e.text(), QStringLiteral("Error"));
        run.failedStep();
    }
    // an older plain summary of the same name is not this sending's: it is neither rendered nor
    // copied
    if (!plainWritten)
        return NotWritten;
    const QString rendered = joinPath(config.reportDirectory, base + QStringLiteral(".txt"));
    if (!renderText(plain, rendered, messages))
        return NotWritten;
    run.copy(rendered, joinPath(config.temporaryDirectory, base + QStringLiteral(".TXT")));
    return run.whole() ? Done : NotWritten;
}

} // namespace ret::summary
