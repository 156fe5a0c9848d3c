#include "declaration/Frm947.h"
#include "common/RowCheck.h"
#include "common/Schema.h"
#include "declaration/Completeness.h"
#include "declaration/Verifier.h"

#include "tests/support/SampleEnvironment.h"

#include <QDir>

using namespace ret;

namespace {

const QDate kToday(2026, 12, 10);
const QString kRuc = "20100070970";

class Frm947Test : public test::SampleEnvironmentTest {
protected:
    std::unique_ptr<Frm947> open(int mode, bool sent = false) {
        session.OperationMode = mode;
        session.SentMode = sent;
        auto w = std::make_unique<Frm947>(session, [] { return kToday; });
        w->load();
        return w;
    }
    // A new declaration with its header filled: first contributor, the period, PROVEEDORES.
    std::unique_ptr<Frm947> newDeclaration(const QString& period = "07/2010") {
        auto w = open(0);
        w->chooseContributor(0);
        w->chooseModality(0);
        w->setPeriodText(period);
        return w;
    }
    void stage(const QString& subject, const QString& base, const QString& retention,
               int vouchers = 1) {
        db->execute(
            "INSERT INTO TMPF947RPCAB VALUES ('R', 6, ?, ?, NULL, NULL, NULL, ?, ?, ?, NULL)",
            {subject, subject.startsWith("20") ? QString("EMPRESA " + subject) : QString(),
             vouchers, base, retention});
        for (int v = 1; v <= vouchers; ++v) {
            const QString number = QString::number(v).rightJustified(8, '0');
            db->execute("INSERT INTO TMPF947RPDET VALUES ('R', 6, ?, '0001', ?, ?, ?, '', ?)",
                        {subject, number, QDate(2010, 7, 5), base, retention});
            db->execute("INSERT INTO TMPF947RPDETDET VALUES (?, '0001', ?, '01', '0001', "
                        "'00000099', ?, ?)",
                        {subject, number, QDate(2010, 7, 1), base});
        }
    }
    std::map<QString, std::pair<QString, QString>> storedBoxes(const QString& period = "201007") {
        std::map<QString, std::pair<QString, QString>> out;
        Cursor c = db->query("SELECT casilla, i_valor, idcasilla FROM DET WHERE doc_id_d = ? AND "
                             "periodo = ?",
                             {kRuc, period});
        while (c.next())
            out[c.text(0)] = {c.text(1), c.text(2)};
        return out;
    }
    // Every stored row of the table carries the check value of its other columns.
    void expectCheckValues(const QString& table) {
        const TableDef& def = tableDef(table);
        Cursor c = db->query("SELECT * FROM " + table);
        int rows = 0;
        while (c.next()) {
            ++rows;
            const QVariantList row = typedRow(def, c.record());
            EXPECT_EQ(row.back().toString(), CalculaCNumero(row, def.checkKeyLength))
                << table.toStdString();
        }
        EXPECT_GT(rows, 0) << table.toStdString();
    }
};

} // namespace

TEST_F(Frm947Test, HeaderChecksInTheirOrder) {
    auto w = open(0);
    EXPECT_FALSE(w->grabar());
    w->chooseContributor(0);
    EXPECT_FALSE(w->grabar());
    w->chooseModality(0);
    w->setPeriodText("05/2002");
    EXPECT_FALSE(w->grabar());
    EXPECT_EQ(texts(), QStringList({"Debe seleccionar un Contribuyente.",
                                    QString::fromUtf8("Debe ingresar Período."),
                                    QString::fromUtf8("El periodo no es válido."),
                                    QString::fromUtf8("El periodo no es válido.")}));
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(messages.shown[0].title, QString::fromUtf8("0947 Agentes de Retención"));
    EXPECT_EQ(w->tab(), Frm947::TabIdentificacion);
    EXPECT_EQ(count("SELECT count(*) FROM CAB"), 0);
}

TEST_F(Frm947Test, ThePeriodLooksUpTheRateAndRefusesARegisteredDeclaration) {
    auto w = newDeclaration();
    EXPECT_EQ(session.RetentionRate, "0.06");
    EXPECT_EQ(session.status.ruc, kRuc);
    EXPECT_EQ(session.status.period, "07/2010");
    EXPECT_TRUE(texts().isEmpty());
    ASSERT_TRUE(w->grabar());

    messages.shown.clear();
    auto again = open(0);
    again->chooseContributor(0);
    again->chooseModality(0);
    again->setPeriodText("07/201_");
    EXPECT_TRUE(texts().isEmpty()); // an incomplete period checks nothing yet
    again->setPeriodText("07/2010");
    EXPECT_EQ(texts(), QStringList({"La declaración ya ha sido registrada."}));
    EXPECT_EQ(again->takeFocusRequest(), Frm947::Focus::Period);
    EXPECT_FALSE(again->grabar());

    // the window that saved it goes on saving the same declaration
    messages.shown.clear();
    EXPECT_TRUE(w->grabar());
    EXPECT_EQ(count("SELECT count(*) FROM CAB"), 1);
    EXPECT_FALSE(w->periodEnabled());
}

TEST_F(Frm947Test, TheBoxChainAndFormats) {
    auto w = newDeclaration();
    struct Step {
        int box;
        const char* typed;
        const char* b403;
        const char* b405;
    } steps[] = {
        {401, "1,000", "1,000", "1,000"},
        {402, "(300)", "700", "700"},
        {404, "50", "700", "750"},
        {402, "(2,000)", "0", "50"},
        {404, "", "0", "0"},
        {402, "", "1,000", "1,000"},
        {401, "", "", ""},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(std::to_string(s.box) + " " + s.typed);
        w->setBox(s.box, s.typed);
        EXPECT_EQ(w->box(403), s.b403);
        EXPECT_EQ(w->box(405), s.b405);
    }
    w->setBox(410, "500");
    EXPECT_EQ(w->payment().importe, "500");
    w->setBox(410, "");
    EXPECT_EQ(w->payment().importe, "");

    // typing in a box: plain digits while focused, the display pattern afterwards
    EXPECT_EQ(w->boxFocusIn(402), "");
    w->setBox(402, "1234");
    w->boxFocusOut(402);
    EXPECT_EQ(w->box(402), "(1,234)");
    EXPECT_EQ(w->boxFocusIn(402), "1234");
    w->setBox(404, "1234567");
    w->boxFocusOut(404);
    EXPECT_EQ(w->box(404), "1,234,567");
    EXPECT_EQ(w->boxFocusIn(404), "1234567");
    EXPECT_EQ(w->boxMaxLength(402, true), 12);
    EXPECT_EQ(w->boxMaxLength(402, false), 18);
    EXPECT_EQ(w->boxMaxLength(410, false), 15);
    for (int key : {'a', '-', '.', ' ', '+'})
        EXPECT_FALSE(w->boxKey(key)) << char(key);
    for (int key : {int('0'), int('9'), 8})
        EXPECT_TRUE(w->boxKey(key));
    EXPECT_TRUE(w->changed());
}

TEST_F(Frm947Test, TheListTotalsGiveBox401) {
    auto w = newDeclaration();
    stage("20512345671", "1673.33", "100.40");
    stage("10412345679", "3338.33", "200.30");
    w->activate();
    ASSERT_EQ(w->subjects().size(), 2u);
    EXPECT_EQ(w->box(401), "301");
    EXPECT_EQ(w->totalBase(), "5,012");
    EXPECT_EQ(w->countCaption(), "2   Registros      ");
    EXPECT_EQ(w->box(403), "301");

    for (const char* t : {"TMPF947RPCAB", "TMPF947RPDET", "TMPF947RPDETDET"})
        db->execute(QString("DELETE FROM ") + t);
    stage("20512345671", "5.00", "0.30");
    stage("20601112222", "2.00", "0.12");
    w->activate();
    EXPECT_EQ(w->box(401), ""); // 0.42 rounds to nothing
}

TEST_F(Frm947Test, ValidationRulesAndMessages) {
    struct Case {
        const char *b401, *b405, *b410, *forma, *banco, *cheque;
        QStringList lines;
    } cases[] = {
        {"",
         "",
         "",
         "X",
         "",
         "",
         {"Debe consignar importe a pagar en Retenciones.", "Indique la forma de pago."}},
        {"500", "500", "", "E", "", "", {"Debe consignar el importe a pagar en Retenciones."}},
        {"", "500", "500", "C", "XX", "", {"Seleccione el banco."}},
        {"", "500", "500", "C", "02", "", {QString::fromUtf8("Ingrese el número de cheque.")}},
        {"", "500", "500", "C", "02", "  ", {}}, // blanks count as given here
        {"",
         "500",
         "500",
         "C",
         "02",
         "0",
         {QString::fromUtf8("Ingrese un número de cheque diferente de '0'.")}},
        {"", "500", "500", "E", "", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.forma) + c.banco + c.cheque);
        PaymentForm p;
        p.formapago = c.forma;
        p.banco = c.banco;
        p.numcheque = c.cheque;
        EXPECT_EQ(inconsistencies({c.b401, c.b405, c.b410, p}), c.lines);
    }
    PaymentForm blanks;
    blanks.formapago = "C";
    blanks.banco = "02";
    blanks.numcheque = "  ";
    EXPECT_EQ(estadoOf({"", "500", "500", blanks}), 9); // saving counts them as missing

    auto w = newDeclaration();
    w->setBox(401, "1,000");
    w->setBox(410, "1,200");
    // another user's validation replaces the shared file before the window shows it
    QString shown;
    QByteArray written;
    windows.behaviour[Window::FrmConsist] = [&] {
        written = readFile("velkar/Mens.txt");
        writeFile("velkar/Mens.txt", "Indique el banco.\r\n");
        shown = session.Inconsistencies;
    };
    w->validar();
    windows.behaviour.erase(Window::FrmConsist);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith("El importe a pagar es mayor"));
    EXPECT_EQ(windows.opened, std::vector<Window>({Window::FrmConsist}));
    EXPECT_EQ(shown, QString::fromUtf8("Indique la forma de pago.\r\n"));
    EXPECT_EQ(w->inconsistencyFile(), QString::fromUtf8("Indique la forma de pago.\r\n"));
    EXPECT_EQ(written, QByteArray("Indique la forma de pago.\r\n"));

    messages.shown.clear();
    PaymentForm cash;
    cash.formapago = "E";
    w->setPayment(cash);
    w->setBox(410, "1,000");
    w->validar();
    EXPECT_EQ(texts(), QStringList({"La declaración no presenta inconsistencias."}));
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Exclamation);
}

// Mens.txt cannot be written (a directory stands in its place): the message names it, and the
// window, which would show an older validation's lines, is not opened.
TEST_F(Frm947Test, AnInconsistencyFileThatCannotBeWrittenIsToldAndNotShown) {
    auto w = newDeclaration();
    ASSERT_TRUE(QDir().mkpath(path("velkar/Mens.txt")));
    w->validar();
    EXPECT_EQ(texts(), QStringList({"No se pudo grabar el archivo " + path("velkar/Mens.txt") +
                                    ": Error de acceso a la ruta o el archivo."}));
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(windows.opened.empty());
}

TEST_F(Frm947Test, SavingWritesEveryRowAndBox) {
    auto w = newDeclaration();
    stage("20512345671", "1000.00", "60.00", 2);
    stage("10412345679", "500.50", "30.03");
    w->activate();
    w->setRectification(false);
    w->setBox(402, "(10)");
    w->setBox(404, "5");
    w->setBox(410, "85");
    PaymentForm p;
    p.formapago = "C";
    p.banco = "02";
    p.numcheque = "000123";
    w->setPayment(p);
    ASSERT_TRUE(w->grabar());
    EXPECT_EQ(texts().last(), "La declaración ha sido grabada satisfactoriamente.");
    EXPECT_FALSE(w->changed());

    Cursor cab = db->query(
        "SELECT estado, cheque, efectivo, bcolibrad, nrocheque, rectifica, fec_pro FROM CAB");
    ASSERT_TRUE(cab.next());
    EXPECT_EQ(cab.value(0).toInt(), 0);
    EXPECT_EQ(cab.text(1), "85");
    EXPECT_EQ(cab.text(2), "");
    EXPECT_EQ(cab.text(3), "02");
    EXPECT_EQ(cab.text(4), "000123");
    EXPECT_EQ(cab.text(5), "0");
    EXPECT_EQ(cab.text(6), "10/12/2026");

    const auto boxes = storedBoxes();
    const std::map<QString, QString> expected = {
        {"401", "90"},         {"402", "-10"}, {"403", "80"},     {"404", "5"},   {"405", "85"},
        {"410", "85"},         {"002", kRuc},  {"012", "000123"}, {"015", "2"},   {"007", "201007"},
        {"721", "1.1"},        {"722", "969"}, {"502", "1501"},   {"503", "90"},  {"501", "2"},
        {"790", "08/11/2010"}, {"871", "0"},   {"005", "0"},      {"500", "01"},  {"999", "C"},
        {"599", "C"},          {"510", "3"},   {"511", "2501"},   {"512", "150"}, {"513", "3"},
        {"514", "2501"}};
    for (const auto& [code, value] : expected) {
        SCOPED_TRACE(code.toStdString());
        ASSERT_TRUE(boxes.count(code));
        EXPECT_EQ(boxes.at(code).first, value);
        EXPECT_EQ(boxes.at(code).second, code == "410" ? "05" : "01");
    }
    EXPECT_EQ(boxes.size(), expected.size());

    EXPECT_EQ(count("SELECT count(*) FROM F947RPCAB"), 2);
    EXPECT_EQ(
        db->scalar("SELECT ctd_docs FROM F947RPCAB WHERE num_doc_ret = '20512345671'")->toInt(), 2);
    EXPECT_TRUE(
        db->scalar("SELECT des_razon FROM F947RPCAB WHERE num_doc_ret = '10412345679'")->isNull());
    EXPECT_EQ(count("SELECT count(*) FROM F947RPDET WHERE por_tasa_cr = '0.06'"), 3);
    EXPECT_EQ(count("SELECT count(*) FROM F947RPDETDET"), 3);
    for (const char* t : {"CAB", "DET", "F947RPCAB", "F947RPDET", "F947RPDETDET"})
        expectCheckValues(t);

    // saving again keeps one header and one row per box, and the detail equal to the staging
    db->execute("DELETE FROM TMPF947RPDETDET WHERE num_doc_ret = '10412345679'");
    ASSERT_TRUE(w->grabar());
    EXPECT_EQ(count("SELECT count(*) FROM CAB"), 1);
    EXPECT_EQ(storedBoxes().size(), expected.size());
    EXPECT_EQ(count("SELECT count(*) FROM F947RPDETDET"), 2);
    EXPECT_EQ(storedBoxes().at("513").first, "2");
}

TEST_F(Frm947Test, AnIncompleteDeclarationIsStoredWithState9) {
    auto w = newDeclaration();
    w->setBox(410, "100");
    ASSERT_TRUE(w->grabar());
    EXPECT_EQ(messages.shown.back().text,
              "La declaración ha sido grabada, pero tiene datos incompletos "
              "o inconsistentes; revísela antes de enviarla.");
    EXPECT_EQ(messages.shown.back().icon, MsgIcon::Exclamation);
    Cursor cab = db->query("SELECT estado, cheque, efectivo, bcolibrad FROM CAB");
    ASSERT_TRUE(cab.next());
    EXPECT_EQ(cab.value(0).toInt(), 9);
    EXPECT_TRUE(cab.value(1).isNull()); // payment columns untouched without a payment form
    EXPECT_TRUE(cab.value(3).isNull());
    const auto boxes = storedBoxes();
    EXPECT_EQ(boxes.at("999").first, "X");
    EXPECT_EQ(boxes.at("599").first, "X");
    EXPECT_EQ(boxes.at("510").first, "0");
    EXPECT_EQ(boxes.at("511").first, "0");
    EXPECT_FALSE(boxes.count("015"));
    EXPECT_FALSE(boxes.count("402"));
    EXPECT_FALSE(boxes.count("871")); // no rectification answer
}

TEST_F(Frm947Test, AFailedSaveLeavesTheStoredDeclarationAsItWas) {
    auto w = newDeclaration();
    stage("20512345671", "1000.00", "60.00");
    w->activate();
    w->setBox(410, "60");
    ASSERT_TRUE(w->grabar());
    const auto before = storedBoxes();
    db->execute("CREATE TRIGGER refuse BEFORE INSERT ON F947RPDETDET BEGIN "
                "SELECT RAISE(ABORT, 'disco lleno'); END");
    messages.shown.clear();
    w->boxKey('7'); // typing marks the window changed
    w->setBox(410, "70");
    EXPECT_FALSE(w->grabar());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_TRUE(messages.shown[0].text.contains("disco lleno"));
    EXPECT_EQ(storedBoxes(), before);
    EXPECT_EQ(count("SELECT count(*) FROM F947RPDETDET"), 1);
    EXPECT_TRUE(w->changed()); // what was typed is still there
    EXPECT_EQ(w->box(410), "70");
}

TEST_F(Frm947Test, OpeningADeclarationStagesItsDetail) {
    auto w = newDeclaration();
    stage("20512345671", "1000.00", "60.00", 2);
    db->execute("INSERT INTO TMPF947RPCAB VALUES ('R', 6, '10412345679', NULL, ?, 'QUISPE', "
                "'ANA MARIA', 1, '10.00', '0.60', NULL)",
                {QString::fromUtf8("PEÑALOZA")});
    w->activate();
    w->setBox(402, "(300)");
    w->setRectification(true);
    ASSERT_TRUE(w->grabar());
    db->execute("DELETE FROM TMPF947RPCAB");
    db->execute("DELETE FROM TMPF947RPDET");

    session.listRow = {kRuc, "X", "072010"};
    auto again = open(1);
    ASSERT_EQ(again->subjects().size(), 2u);
    EXPECT_EQ(again->subjects()[0].razon, QString::fromUtf8("PEÑALOZA QUISPE ANA MARIA"));
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPDET"), 2);
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPDETDET"), 2);
    EXPECT_EQ(again->box(402), "(300)");
    EXPECT_EQ(again->rectification(), "1");
    EXPECT_EQ(again->modalityIndex(), 0);
    EXPECT_EQ(again->totalBase(), "1,010"); // the load form of the totals
    EXPECT_FALSE(again->changed());
    EXPECT_FALSE(again->periodEnabled());

    // a new declaration starts with empty staging tables
    auto fresh = open(0);
    EXPECT_TRUE(fresh->subjects().empty());
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPDETDET"), 0);
}

TEST_F(Frm947Test, DeletingASubjectAndTheAgentQuestion) {
    auto w = newDeclaration();
    stage("20512345671", "1000.00", "60.00", 2);
    stage("20601112222", "100.00", "6.00");
    w->activate();
    messages.answers = {MsgAnswer::No};
    w->eliminar();
    EXPECT_EQ(w->subjects().size(), 2u);
    EXPECT_EQ(messages.shown.back().defaultAnswer, MsgAnswer::No);
    messages.answers = {MsgAnswer::Yes};
    w->eliminar(); // the current row is the first
    EXPECT_EQ(w->subjects().size(), 1u);
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPDET WHERE num_doc_ret = '20512345671'"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPDETDET"), 1);
    EXPECT_EQ(w->countTag(), "1");

    w->setBox(404, "5");
    w->setAgentRetention(false);
    EXPECT_TRUE(w->subjects().empty());
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPDETDET"), 0);
    EXPECT_EQ(w->box(404), "");
    EXPECT_EQ(w->modalityIndex(), -1);
    EXPECT_FALSE(w->boxesEnabled());
    w->setAgentRetention(true);
    EXPECT_TRUE(w->boxesEnabled());
    EXPECT_TRUE(w->subjects().empty());
}

TEST_F(Frm947Test, TheSubjectWindowsAreOpenedWithTheirHandOver) {
    auto w = newDeclaration();
    stage("20512345671", "1000.00", "60.00");
    w->activate();
    windows.behaviour[Window::FrmAgeRet] = [&] { stage("20601112222", "10.00", "0.60"); };
    w->nuevo();
    EXPECT_EQ(session.DetailMode, "0");
    EXPECT_EQ(session.CurrentRuc, kRuc);
    EXPECT_EQ(w->subjects().size(), 2u); // the list follows what the window staged
    EXPECT_EQ(w->countTag(), "2");
    windows.behaviour.clear();
    w->modificar();
    EXPECT_EQ(session.DetailMode, "1");
    EXPECT_EQ(session.selectedSubject.ruc, "20512345671");
    w->importar();
    EXPECT_EQ(session.DetailMode, "3");
    EXPECT_EQ(session.CurrentPeriod, "201007");
    EXPECT_EQ(windows.opened, std::vector<Window>({Window::FrmAgeRet, Window::FrmAgeRet,
                                                   Window::frmTransferencia}));
}

TEST_F(Frm947Test, ClosingAsksBeforeDroppingChanges) {
    auto unchanged = open(0);
    EXPECT_TRUE(unchanged->salir());
    EXPECT_TRUE(texts().isEmpty());

    // Yes, and a save that stops at a header message: the window stays open
    auto w = open(0);
    w->chooseContributor(0);
    w->boxKey('5');
    w->setBox(404, "5");
    messages.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(w->salir());
    EXPECT_EQ(texts(), QStringList({QString::fromUtf8("¿El formulario ha sido modificado, desea "
                                                      "guardar los cambios?"),
                                    QString::fromUtf8("Debe ingresar Período.")}));
    EXPECT_EQ(w->box(404), "5");

    messages.answers = {MsgAnswer::No};
    EXPECT_TRUE(w->salir());
    EXPECT_EQ(count("SELECT count(*) FROM CAB"), 0);

    auto saved = newDeclaration();
    saved->boxKey('5');
    saved->setBox(404, "5");
    messages.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(saved->salir());
    EXPECT_EQ(count("SELECT count(*) FROM CAB"), 1);
    EXPECT_EQ(session.status.ruc, "");
}

TEST_F(Frm947Test, RegisteringTheOrderNumberOfASentCopy) {
    auto w = newDeclaration();
    w->setBox(410, "0");
    ASSERT_TRUE(w->grabar());
    db->execute("INSERT INTO HCAB (tip_doc_d, doc_id_d, periodo, formulario, correl, estado, "
                "norden, control) VALUES (6, ?, '201007', '0947', '001', 1, '0', '12345678')",
                {kRuc});
    db->execute("INSERT INTO HDET (tip_doc_d, doc_id_d, periodo, formulario, correl, casilla, "
                "i_valor, idcasilla) VALUES (6, ?, '201007', '0947', '001', '410', '77', '05')",
                {kRuc});
    session.listRow = {kRuc, "X", "072010"};
    session.SelectedOrderNumber = "0";
    session.SelectedControlNumber = "12345678";
    session.SelectedCorrel = "001";
    messages.shown.clear();
    auto sent = open(1, true);
    EXPECT_TRUE(sent->sent());
    EXPECT_EQ(sent->orderNumber(), "0");
    EXPECT_EQ(sent->verifier(), "");
    EXPECT_EQ(sent->box(410), "77"); // shown from the sent copy
    EXPECT_FALSE(sent->boxesEnabled());
    EXPECT_EQ(sent->payment().habilitado, "0");

    sent->setOrderNumber("1234567");
    EXPECT_FALSE(sent->registrar());
    sent->setOrderNumber("12345670");
    sent->setVerifier("00");
    const QString right = CalculaVerificador("12345678", "12345670");
    if (right == "00")
        sent->setVerifier("11");
    EXPECT_FALSE(sent->registrar());
    EXPECT_EQ(texts(), QStringList({QString::fromUtf8("     El número de orden no es válido"),
                                    "     El digito Verificador es incorrecto"}));
    EXPECT_EQ(sent->takeFocusRequest(), Frm947::Focus::Verifier);

    // closing with a wrong verifier keeps the window open; with the right one it registers
    messages.shown.clear();
    messages.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(sent->salir());
    EXPECT_EQ(texts().last(), "Digito verificador incorrecto");
    sent->setVerifier(right);
    messages.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(sent->salir());
    EXPECT_EQ(db->scalar("SELECT norden FROM HCAB")->toString(), "12345670");
    expectCheckValues("HCAB");
    EXPECT_EQ(count("SELECT count(*) FROM CAB WHERE estado = 0 OR estado = 9"), 1); // untouched
}

// A new declaration holds only what was typed into it, whatever the order in which its
// contributor, period and modality were chosen, even when one of the combinations met on the way
// is a registered declaration of another contributor or period.
TEST_F(Frm947Test, ANewDeclarationNeverTakesTheDataOfARegisteredOne) {
    // the registered declaration: every field a new one could wrongly take
    SaveInput a;
    a.id.ruc = kRuc;
    a.id.period = "201007";
    a.boxes = {{401, "900"}, {402, "(300)"}, {403, "600"}, {404, "50"}, {405, "650"}, {410, "650"}};
    a.payment.formapago = "C";
    a.payment.banco = "02";
    a.payment.numcheque = "000123";
    a.payment.importe = "650";
    a.rectification = "1";
    a.modalityCode = "01";
    ASSERT_EQ(saveDeclaration(*db, a, kToday).estado, 0);

    const QString other = "20512345671"; // the second contributor of the list
    enum Kind { Contributor, Period, Modality };
    struct Step {
        Kind kind;
        int index;
        const char* period;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        QString ruc;
        QString period;
    } cases[] = {
        {"contributor, period, the registered contributor, back",
         {{Contributor, 1, ""},
          {Period, 0, "07/2010"},
          {Contributor, 0, ""},
          {Contributor, 1, ""},
          {Modality, 0, ""}},
         other,
         "201007"},
        {"period, the registered contributor, another period",
         {{Period, 0, "07/2010"}, {Contributor, 0, ""}, {Period, 0, "08/2010"}, {Modality, 0, ""}},
         kRuc,
         "201008"},
        {"contributor, the registered period, another period",
         {{Contributor, 0, ""}, {Period, 0, "07/2010"}, {Period, 0, "08/2010"}, {Modality, 0, ""}},
         kRuc,
         "201008"},
        {"modality first, the registered pair, then the modality again and another contributor",
         {{Modality, 0, ""},
          {Period, 0, "07/2010"},
          {Contributor, 0, ""},
          {Modality, 0, ""},
          {Contributor, 1, ""}},
         other,
         "201007"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        auto w = open(0);
        for (const Step& s : c.steps) {
            if (s.kind == Contributor)
                w->chooseContributor(s.index);
            else if (s.kind == Modality)
                w->chooseModality(s.index);
            else
                w->setPeriodText(s.period);
        }
        EXPECT_TRUE(texts().contains("La declaración ya ha sido registrada."));
        w->setBox(410, "5");
        ASSERT_TRUE(w->grabar());

        const QVariantList key = {c.ruc, c.period};
        Cursor cab = db->query("SELECT estado, bcolibrad, nrocheque, rectifica, cheque FROM CAB "
                               "WHERE doc_id_d = ? AND periodo = ?",
                               key);
        ASSERT_TRUE(cab.next());
        EXPECT_EQ(cab.value(0).toInt(), 9); // no payment form was chosen
        for (int col = 1; col <= 4; ++col)
            EXPECT_EQ(cab.text(col).trimmed(), "") << col;
        std::map<QString, QString> boxes;
        Cursor det = db->query("SELECT casilla, i_valor FROM DET WHERE doc_id_d = ? AND "
                               "periodo = ?",
                               key);
        while (det.next())
            boxes[det.text(0)] = det.text(1);
        EXPECT_EQ(boxes["410"], "5");
        EXPECT_EQ(boxes["999"], "X");
        for (const char* code : {"401", "402", "403", "404", "405", "012", "015", "871", "005"})
            EXPECT_FALSE(boxes.count(code)) << code << " = " << boxes[code].toStdString();
        db->execute("DELETE FROM DET WHERE doc_id_d = ? AND periodo = ?", key);
        db->execute("DELETE FROM CAB WHERE doc_id_d = ? AND periodo = ?", key);
    }
    // the registered declaration itself is as it was
    EXPECT_EQ(storedBoxes().at("402").first, "-300");
    EXPECT_EQ(count("SELECT count(*) FROM CAB"), 1);
}
