#include "import/BatchImport.h"
#include "common/ChangeRecord.h"
#include "common/Profile.h"
#include "import/frmTransferencia.h"
#include "tools/hub/SampleData.h"

#include "tests/support/SampleEnvironment.h"

#include <QDir>

using namespace ret;
using namespace ret::import;

namespace {

class BatchImportTest : public test::OnEachEngine<test::SampleEnvironmentTest> {
protected:
    void SetUp() override {
        SampleEnvironmentTest::SetUp();
        if (!ready())
            return;
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

RET_ON_BOTH_ENGINES(BatchImportTest);

TEST_P(BatchImportTest, GivesTheSameStagingRowsAndFilesAsTheWindow) {
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

TEST_P(BatchImportTest, ItsMessagesCarryTheWindowsTitles) {
    const QByteArray line = hub::sampleImportFile().left(hub::sampleImportFile().indexOf('\n') + 1);
    // ten of the largest bases: a subject's total that its column cannot hold
    QByteArray tooLarge;
    for (int i = 1; i <= 10; ++i)
        tooLarge += QString("20512345671|EMPRESA ANDINA SAC||||E001|%1|20/07/2010|123456789012.34|"
                            "01|F001|%1|20/07/2010|123456789012.34|\r\n")
                        .arg(i)
                        .toLatin1();
    const struct {
        const char* what;
        QByteArray file; // empty: no import file
        QString directory;
        MsgIcon icon;
        QString title;
        QString text;
    } cases[] = {
        {"no directory", "x", "", MsgIcon::Information, "Mensaje",
         "Seleccionar directorio donde se encuentran\nlos archivos a transferir"},
        {"no file", "", path("in"), MsgIcon::Critical, "Error",
         "En la ruta indicada, no se encuentra el archivo a transferir, verifique la ruta"},
        {"13 separators", line.left(line.lastIndexOf('|')) + "\r\n", path("in"), MsgIcon::Critical,
         "Importar",
         QString::fromUtf8("El archivo de importación no tiene el número de campos "
                           "correctos")},
        {"unterminated", "|" + line.left(line.lastIndexOf('|')) + "\r\n", path("in"),
         MsgIcon::Critical, "Error en archivo a cargar",
         QString::fromUtf8("Cada línea del archivo debe terminar con el separador |")},
        {"a run that fails", tooLarge, path("in"), MsgIcon::Critical, "Error",
         QString::fromUtf8("Error Tecnico: El total del sujeto de retención 20512345671")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.file.isEmpty())
            QFile::remove(path("in/" + hub::kSampleImportName));
        else
            writeFile("in/" + hub::kSampleImportName, c.file);
        messages.shown.clear();
        QString output;
        QTextStream out(&output);
        EXPECT_EQ(runBatchImport({c.directory, "20100070970", "201007"},
                                 Profile(path("HUB000.INI")), messages, out),
                  2);
        ASSERT_EQ(messages.shown.size(), 1u) << texts().join("|").toStdString();
        EXPECT_EQ(messages.shown[0].title, c.title);
        EXPECT_EQ(messages.shown[0].icon, c.icon);
        EXPECT_TRUE(messages.shown[0].text.startsWith(c.text))
            << messages.shown[0].text.toStdString();
    }
}

// A batch import that saves is recorded as one, new or not, under the batch's own name.
TEST_P(BatchImportTest, ItsSaveIsRecordedAsAnImport) {
    for (const QString& expected : {action::kImportadaNueva, action::kImportada}) {
        QString output;
        QTextStream out(&output);
        runBatchImport({path("in"), "20100070970", "201007", "--save"}, Profile(path("HUB000.INI")),
                       messages, out);
        const auto entries = declarationHistory(*db, "20100070970", "201007", "0947");
        ASSERT_FALSE(entries.empty()) << output.toStdString();
        EXPECT_EQ(entries.front().action, expected);
        EXPECT_EQ(entries.front().actor.program, "retdecl --import");
        EXPECT_EQ(entries.front().actor.user, "CONTADOR");
    }
}
