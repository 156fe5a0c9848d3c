#include "BatchImport.h"
#include "Profile.h"
#include "SampleData.h"
#include "frmTransferencia.h"

#include "../support/SampleEnvironment.h"

#include <QDir>

using namespace ret;
using namespace ret::import;

namespace {

class BatchImportTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        QDir().mkpath(path("in"));
        writeFile("in/" + hub::kSampleImportName, hub::sampleImportFile());
    }

    // Every staged row, in a fixed order.
    QStringList staged() {
        QStringList rows;
        for (const char* table : {"TMPF947RPCAB", "TMPF947RPDET", "TMPF947RPDETDET"}) {
            Cursor c = db->query(QString("SELECT * FROM %1 ORDER BY 1, 2, 3, 4, 5").arg(table));
            while (c.next()) {
                QStringList values;
                for (int i = 0; i < c.record().count(); ++i)
                    values << c.text(i);
                rows << QString(table) + ": " + values.join('|');
            }
        }
        return rows;
    }
    QByteArray reportFile(const char* suffix) const {
        QFile f(session.config.reportDirectory + "094720100070970201007" + suffix);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
};

TEST_F(BatchImportTest, GivesTheSameStagingRowsAndFilesAsTheWindow) {
    session.CurrentRuc = "20100070970";
    session.CurrentPeriod = "201007";
    session.RetentionRate = "0.06";
    session.RetentionKind = "R";
    frmTransferencia window(session);
    window.setDirectory(path("in"));
    messages.answers = {MsgAnswer::No};
    window.aceptar();
    EXPECT_EQ(window.transferidos(), "5 Transferidos");
    EXPECT_EQ(window.rechazados(), "3 Rechazados");
    const QStringList byWindow = staged();
    const QByteArray log = reportFile(".Log");
    const QByteArray err = reportFile(".Err");
    ASSERT_EQ(byWindow.size(), 3 + 4 + 5) << byWindow.join('\n').toStdString();

    QString output;
    QTextStream out(&output);
    EXPECT_EQ(runBatchImport({path("in"), "20100070970", "201007"}, Profile(path("HUB000.INI")),
                             messages, out),
              1);
    EXPECT_TRUE(output.endsWith("5 Transferidos\n3 Rechazados\n")) << output.toStdString();
    EXPECT_EQ(staged(), byWindow);
    EXPECT_EQ(reportFile(".Log"), log);
    EXPECT_EQ(reportFile(".Err"), err);
}

} // namespace
