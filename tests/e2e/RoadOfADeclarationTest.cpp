// A declaration from "Nueva" to its order number: created, saved, reopened from the list,
// changed, saved again, sent by the integrator, and its order number registered.
#include "app/DeclarationList.h"
#include "declaration/Frm947.h"
#include "declaration/Verifier.h"
#include "tools/hub/Sending.h"

#include "tests/support/SampleEnvironment.h"

using namespace ret;

namespace {

class RoadOfADeclarationTest : public test::OnEachEngine<test::SampleEnvironmentTest> {
protected:
    void SetUp() override {
        SampleEnvironmentTest::SetUp();
        if (!ready())
            return;
        session.config.currentUser = "CONTADOR";
    }
    int rows(const char* table) { return count(QString("SELECT count(*) FROM ") + table); }
    QString box(const char* code) {
        return db->scalar("SELECT i_valor FROM DET WHERE casilla = ?", {QString(code)})->toString();
    }
};

RET_ON_BOTH_ENGINES(RoadOfADeclarationTest);

} // namespace

TEST_P(RoadOfADeclarationTest, FromNuevaToTheOrderNumber) {
    // "Nueva": the subject window stages one supplier with two vouchers
    session.OperationMode = 0;
    session.SentMode = false;
    Frm947 created(session);
    created.load();
    created.chooseContributor(0);
    created.chooseModality(0);
    created.setPeriodText("07/2010");
    windows.behaviour[Window::FrmAgeRet] = [&] {
        db->execute("INSERT INTO TMPF947RPCAB VALUES ('R', 6, '20512345671', 'PROVEEDOR', NULL, "
                    "NULL, NULL, 2, '1500.00', '90.00', NULL)");
        for (const char* n : {"00000001", "00000002"}) {
            db->execute("INSERT INTO TMPF947RPDET VALUES ('R', 6, '20512345671', 'E001', ?, ?, "
                        "'750.00', '', '45.00')",
                        {QString(n), QDate(2010, 7, 9)});
            db->execute("INSERT INTO TMPF947RPDETDET VALUES ('20512345671', 'E001', ?, '01', "
                        "'F001', '00000077', ?, '750.00')",
                        {QString(n), QDate(2010, 7, 2)});
        }
    };
    created.nuevo();
    EXPECT_EQ(created.box(401), "90");
    created.boxKey('9');
    created.setBox(410, "90");
    PaymentForm cash;
    cash.formapago = "E";
    created.setPayment(cash);
    ASSERT_TRUE(created.grabar());
    EXPECT_EQ(box("405"), "90");

    // "Modificar": the list opens it again, and the change is saved over it
    session.OperationMode = 1;
    DeclarationList registered(session, ListKind::Registered);
    registered.load();
    ASSERT_EQ(registered.rowCount(), 1);
    EXPECT_EQ(registered.displayText(0, DeclarationList::Period), "07/2010");
    windows.behaviour[Window::Frm947] = [&] {
        Frm947 w(session);
        w.load();
        EXPECT_EQ(w.subjects().size(), 1u);
        EXPECT_EQ(w.box(410), "90");
        w.boxKey('5');
        w.setBox(404, "5");
        w.setBox(410, "95");
        EXPECT_TRUE(w.salir());
    };
    messages.answers = {MsgAnswer::Yes}; // save the changes when leaving
    registered.act();
    EXPECT_EQ(rows("CAB"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM (SELECT casilla FROM DET GROUP BY casilla HAVING "
                    "count(*) > 1) AS twice"),
              0);
    EXPECT_EQ(box("404"), "5");
    EXPECT_EQ(box("405"), "95");
    EXPECT_EQ(rows("F947RPDETDET"), 2);

    // the integrator sends it
    const hub::SendResult sent =
        hub::sendDeclaration(*db, "20100070970", "201007", QDate::currentDate());
    ASSERT_TRUE(sent.ok) << sent.error.toStdString();
    EXPECT_EQ(sent.correl, "001");

    // "Registrar número de orden"
    session.SentMode = true;
    DeclarationList sentList(session, ListKind::Sent);
    sentList.load();
    ASSERT_EQ(sentList.rowCount(), 1);
    const QString orden = "20100001";
    windows.behaviour[Window::Frm947] = [&] {
        Frm947 w(session);
        w.load();
        ASSERT_TRUE(w.sent());
        EXPECT_EQ(w.controlNumber(), sent.control);
        EXPECT_EQ(w.box(404), "5"); // shown from the sent copy
        w.setOrderNumber(orden);
        w.setVerifier(CalculaVerificador(sent.control, orden));
        EXPECT_TRUE(w.grabar());
        EXPECT_TRUE(w.salir());
    };
    sentList.act();
    EXPECT_EQ(db->scalar("SELECT norden FROM HCAB")->toString(), orden);
    EXPECT_EQ(session.SelectedCorrel, "001");
    EXPECT_EQ(rows("HF947RPDETDET"), 2);
}
