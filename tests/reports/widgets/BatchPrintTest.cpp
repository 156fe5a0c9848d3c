#include "reports/widgets/BatchPrint.h"
#include "common/Profile.h"
#include "reports/widgets/ReportPrinting.h"
#include "tools/hub/Sending.h"

#include "tests/support/SampleDeclaration.h"
#include "tests/support/SampleEnvironment.h"

#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace ret {
namespace {

class BatchPrintTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        test::SampleDeclaration sample(*db);
    }

    int run(const QStringList& args) {
        output.clear();
        QTextStream out(&output);
        return reports::runBatchPrint(args, Profile(path("HUB000.INI")), messages, out);
    }
    int pdfPages(const QString& name) const {
        return int(
            QString::fromLatin1(readFile(name)).count(QRegularExpression("/Type\\s*/Page(?!s)")));
    }

    QString output;
};

TEST_F(BatchPrintTest, PrintsTheRegisteredOrSentDeclarationToPdfLikeTheWindow) {
    EXPECT_EQ(run({"20100070970", "201007", "declaracion", "--pdf", path("d.pdf")}), 0);
    EXPECT_TRUE(output.startsWith("Reporte: ")) << output.toStdString();
    EXPECT_TRUE(output.contains("00000001.PRN"));
    EXPECT_EQ(pdfPages("d.pdf"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM SPOOL WHERE CodRep = 'RYP002'"), 1);

    const hub::SendResult sent =
        hub::sendDeclaration(*db, "20100070970", "201007", QDate(2010, 8, 10));
    ASSERT_TRUE(sent.ok);
    EXPECT_EQ(
        run({"20100070970", "201007", "anexos", "--correl", sent.correl, "--pdf", path("a.pdf")}),
        0);
    EXPECT_TRUE(output.contains("00000002.PRN"));
    EXPECT_GE(pdfPages("a.pdf"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM SPOOL WHERE CodRep = 'RYP003'"), 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BatchPrintTest, RefusesWhatTheWindowWouldNotPrint) {
    EXPECT_EQ(run({"20100070970", "201007"}), 2);
    EXPECT_TRUE(output.startsWith("usage: retdecl --print"));
    EXPECT_EQ(run({"20100070970", "201007", "resumen"}), 2);
    EXPECT_EQ(run({"20100070970", "201007", "anexos", "--pdf"}), 2);

    EXPECT_EQ(run({"20100070970", "201001", "declaracion"}), 2);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains("201001"));

    db->execute("DELETE FROM DET WHERE casilla = '501'");
    EXPECT_EQ(run({"20100070970", "201007", "anexos", "--pdf", path("a.pdf")}), 2);
    EXPECT_EQ(messages.shown.back().title, "Anexos");
    EXPECT_EQ(count("SELECT COUNT(*) FROM SPOOL"), 0);
}

TEST_F(BatchPrintTest, AReportThatCannotBeWrittenIsNeitherRegisteredNorPrinted) {
    // a directory where the report file should be: nothing can be composed into it
    QDir().mkpath(session.config.reportDirectory + "/00000001.PRN");
    for (const QStringList& target : {QStringList{"--pdf", path("d.pdf")}, QStringList{}}) {
        SCOPED_TRACE(target.join(' ').toStdString());
        messages.shown.clear();
        qputenv(kPrintToPdfVariable, path("printer.pdf").toLocal8Bit()); // no real printer
        EXPECT_EQ(run(QStringList{"20100070970", "201007", "declaracion"} + target), 2);
        ASSERT_FALSE(messages.shown.empty());
        const Message& last = messages.shown.back();
        EXPECT_TRUE(last.text.startsWith(QString::fromUtf8("Error Técnico : (75) ")))
            << last.text.toStdString();
        EXPECT_EQ(last.title, QString::fromUtf8("Impresión"));
        EXPECT_EQ(count("SELECT COUNT(*) FROM SPOOL"), 0);
        EXPECT_FALSE(QFile::exists(path("d.pdf")));
        EXPECT_FALSE(QFile::exists(path("printer.pdf")));
    }
    qunsetenv(kPrintToPdfVariable);
}

// A registered report whose file has gone (removed by hand, say): both ways of printing it say so
// under the print error's title.
TEST_F(BatchPrintTest, AReportFileThatIsNotThereIsAPrintError) {
    qputenv(kPrintToPdfVariable, path("printer.pdf").toLocal8Bit()); // no real printer
    const QString missing = "00000009.PRN";
    const auto expectPrintError = [this] {
        ASSERT_FALSE(messages.shown.empty());
        const Message& last = messages.shown.back();
        EXPECT_EQ(last.text, QString::fromUtf8("Archivo Físico del Reporte no Existe"));
        EXPECT_EQ(last.title, "Error al Imprimir");
        EXPECT_EQ(last.icon, MsgIcon::Critical);
        messages.shown.clear();
    };
    EXPECT_FALSE(VerReporte(session, missing, "xx"));
    expectPrintError();
    EXPECT_EQ(printReportToPdf(reportFilePath(session.config.reportDirectory, missing),
                               path("d.pdf"), *session.rules, messages),
              PrintResult::FileMissing);
    expectPrintError();
    EXPECT_FALSE(QFile::exists(path("d.pdf")));
    EXPECT_FALSE(QFile::exists(path("printer.pdf")));
    qunsetenv(kPrintToPdfVariable);
}

} // namespace
} // namespace ret
