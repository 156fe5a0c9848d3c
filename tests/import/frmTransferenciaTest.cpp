#include "import/frmTransferencia.h"

#include "tests/support/SampleEnvironment.h"

#include <QDir>
#include <QFileInfo>

using namespace ret;
using namespace ret::import;

namespace {

const QByteArray kGood = "20512345671|EMPRESA ANDINA SAC||||E001|1|20/07/2010|1000|01|F001|11|"
                         "20/07/2010|700.00|\r\n";
const QByteArray kBad = "20512345671|EMPRESA ANDINA SAC||||E001|3|20/07/2010|0|01|F001|14|"
                        "20/07/2010|10|\r\n";

class frmTransferenciaTest : public test::OnEachEngine<test::SampleEnvironmentTest> {
protected:
    void SetUp() override {
        SampleEnvironmentTest::SetUp();
        if (!ready())
            return;
        session.CurrentRuc = "20100070970";
        session.CurrentPeriod = "201007";
        session.RetentionRate = "0.06";
        session.RetentionKind = "R";
        QDir().mkpath(path("in"));
        window.setDirectory(path("in"));
    }
    frmTransferencia window{session};
};

RET_ON_BOTH_ENGINES(frmTransferenciaTest);

} // namespace

TEST_P(frmTransferenciaTest, AFileWithoutRefusalsIsNamedAndNoReportComposed) {
    writeFile("in/094720100070970201007.TXT", kGood);
    EXPECT_EQ(window.transferidos(), "0          Registros Transferidos");
    window.aceptar();
    EXPECT_EQ(texts(),
              QStringList({"Archivo : " + path("in/094720100070970201007.TXT") + " transferido"}));
    EXPECT_EQ(window.transferidos(), "1 Transferidos");
    EXPECT_EQ(window.rechazados(), "0 Rechazados");
    EXPECT_EQ(count("SELECT count(*) FROM SPOOL"), 0);
    EXPECT_EQ(db->scalar("SELECT mto_base_rp FROM TMPF947RPCAB")->toString(), "1000.00");
}

TEST_P(frmTransferenciaTest, RefusalsAskAndComposeTheReportEitherWay) {
    writeFile("in/094720100070970201007.TXT", kGood + kBad);
    messages.answers = {MsgAnswer::No};
    window.aceptar();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Confirmar");
    EXPECT_EQ(messages.shown[0].defaultAnswer, MsgAnswer::No);
    EXPECT_TRUE(messages.shown[0].text.startsWith("Algunos registros han sido rechazados!!\n"
                                                  "Verifique Archivo Log: "));
    EXPECT_EQ(count("SELECT count(*) FROM SPOOL WHERE CodRep = 'RYP001'"), 1);
    EXPECT_TRUE(window.reportToShow().isEmpty());

    db->execute("DELETE FROM TMPF947RPDETDET");
    messages.answers = {MsgAnswer::Yes};
    window.aceptar();
    EXPECT_TRUE(QFileInfo(window.reportToShow()).isFile());
    EXPECT_EQ(count("SELECT count(*) FROM SPOOL WHERE CodRep = 'RYP001'"), 2);
}

TEST_P(frmTransferenciaTest, WholeFileRefusalsSayWhy) {
    writeFile("in/094720100070970201007.TXT", "a|b|\r\n");
    window.aceptar();
    EXPECT_EQ(texts().last(), "El archivo de importación no tiene el número de campos correctos");
    EXPECT_EQ(window.transferidos(), "0          Registros Transferidos");
    window.setDirectory(path("nowhere"));
    window.aceptar();
    EXPECT_EQ(texts().last(), "En la ruta indicada, no se encuentra el archivo a transferir, "
                              "verifique la ruta");
}
