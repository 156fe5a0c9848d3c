#include "reports/widgets/ViewReport.h"

#include "common/Configuration.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "reports/widgets/ReportPrinting.h"

#include <QFileInfo>
#include <QTextStream>

namespace ret::reports {

int runViewReport(const QStringList& arguments, const Profile& profile, MessageSink& messages) {
    if (arguments.size() != 1 || arguments[0].trimmed().isEmpty()) {
        QTextStream(stdout) << "usage: retdecl --view REPORT\n";
        return 2;
    }
    Session session;
    session.config = ReadConfiguration(Deliverable::MainProgram, profile);
    FieldRules rules(messages);
    session.messages = &messages;
    session.rules = &rules;
    VerReporte(session, QFileInfo(arguments[0].trimmed()).fileName(), QStringLiteral("Vprevia"));
    return 0;
}

} // namespace ret::reports
