#include "detail/FrmAgeRet.h"

#include "tests/support/SampleEnvironment.h"

using namespace ret;

namespace {

const QString kDeclarant = "20100070970";
const QString kCompany = "20600000013";
const QString kPerson = "10412345679";
const QString kOther = "20500000024";
const QString kInvalid = "20600000012"; // wrong check digit

const QString kInvalidMsg = QString::fromUtf8("El RUC no es Válido.");
const QString kOwnMsg = "El RUC no puede ser igual al del declarante.";
const QString kStagedMsg = QString::fromUtf8("El RUC del agente de retención ya se registró.");
const QString kSaveQuestion =
    QString::fromUtf8("La información ha sido modificada. ¿Desea guardar los cambios?");

class FrmAgeRetTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        session.CurrentRuc = kDeclarant;
        session.CurrentPeriod = "201007";
        session.RetentionKind = "R";
        session.RetentionRate = "0.06";
        // the voucher window: a new voucher of 100.00 with one payment voucher, under the RUC
        // it was handed
        windows.behaviour[Window::FrmDetAgeRet] = [this] {
            if (session.VoucherMode == "0")
                stageVoucher(session.selectedSubject.ruc, QString::number(++numbers), "100.00",
                             "6.00");
        };
    }

    std::unique_ptr<FrmAgeRet> open(const QString& mode, const SubjectSelection& subject = {}) {
        session.DetailMode = mode;
        session.selectedSubject = subject;
        auto w = std::make_unique<FrmAgeRet>(session);
        w->load();
        return w;
    }
    // A new subject typed in: the RUC and its names (a company's name goes in `nombres`).
    std::unique_ptr<FrmAgeRet> typed(const QString& ruc, const QString& p, const QString& m,
                                     const QString& n) {
        auto w = open("0");
        w->rucKey('1');
        w->setRuc(ruc);
        w->setApellidoP(p);
        w->setApellidoM(m);
        w->setNombres(n);
        return w;
    }
    void stageSubject(const QString& ruc, const QString& razon, const QString& p = {},
                      const QString& m = {}, const QString& n = {}) {
        const auto orNull = [](const QString& t) { return t.isEmpty() ? QVariant() : t; };
        db->execute("INSERT INTO TMPF947RPCAB VALUES ('R', 6, ?, ?, ?, ?, ?, 1, '1.00', "
                    "'0.06', NULL)",
                    {ruc, razon, orNull(p), orNull(m), orNull(n)});
    }
    void stageVoucher(const QString& ruc, const QString& number, const QString& base,
                      const QString& retention, int payments = 1) {
        const QString numero = number.rightJustified(8, '0');
        db->execute("INSERT INTO TMPF947RPDET VALUES ('R', 6, ?, '0001', ?, ?, ?, '0.06', ?)",
                    {ruc, numero, QDate(2010, 7, 5), base, retention});
        for (int p = 1; p <= payments; ++p)
            db->execute(
                "INSERT INTO TMPF947RPDETDET VALUES (?, '0001', ?, '01', '0001', ?, ?, "
                "?)",
                {ruc, numero, QString::number(p).rightJustified(8, '0'), QDate(2010, 7, 1), base});
    }
    int vouchersOf(const QString& ruc) {
        return count("SELECT count(*) FROM TMPF947RPDET WHERE num_doc_ret = ?", {ruc});
    }
    int paymentsOf(const QString& ruc) {
        return count("SELECT count(*) FROM TMPF947RPDETDET WHERE num_doc_ret = ?", {ruc});
    }
    // The subject's staging row, null columns as "<null>"; empty when there is none.
    QStringList subjectRow(const QString& ruc) {
        Cursor c = db->query("SELECT des_razon, des_apellido_p, des_apellido_m, des_nombres, "
                             "ctd_docs, mto_base_rp, mto_imp_rp FROM TMPF947RPCAB WHERE "
                             "tip_retencion = 'R' AND tip_doc_ret = 6 AND num_doc_ret = ?",
                             {ruc});
        QStringList out;
        if (c.next())
            for (int i = 0; i < 7; ++i)
                out << (c.value(i).isNull() ? QString("<null>") : c.text(i));
        return out;
    }

    int numbers = 100; // clear of the numbers the tests stage themselves
};

} // namespace

TEST_F(FrmAgeRetTest, RucChecksWhileTypingSpeakEachAndGoOn) {
    stageSubject(kOther, "OTRA EMPRESA");
    stageSubject(kInvalid, "IMPORTADA CON RUC ERRADO");
    struct Case {
        QString ruc;
        QStringList said;
    } cases[] = {
        {"2060000001", {}}, // nothing is checked before the 11th digit
        {kCompany, {}},         {"20600000014", {kInvalidMsg}},        {kDeclarant, {kOwnMsg}},
        {kOther, {kStagedMsg}}, {kInvalid, {kInvalidMsg, kStagedMsg}}, // a failed check does not
                                                                       // stop the next
    };
    for (const Case& c : cases) {
        messages.shown.clear();
        auto w = open("0");
        w->setRuc(c.ruc);
        EXPECT_EQ(texts(), c.said) << c.ruc.toStdString();
        EXPECT_EQ(w->takeFocusRequest(),
                  c.said.isEmpty() ? FrmAgeRet::Focus::None : FrmAgeRet::Focus::Ruc)
            << c.ruc.toStdString();
    }
    // a listed subject is not a duplicate of itself
    messages.shown.clear();
    auto listed = open("1", {kOther, "OTRA EMPRESA", {}, {}, {}});
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_FALSE(listed->rucEnabled());
}

TEST_F(FrmAgeRetTest, SupplierChecksStopAtTheFirstFailure) {
    stageSubject(kOther, "OTRA EMPRESA");
    struct Case {
        QString ruc, p, m, n;
        QString said;
        FrmAgeRet::Focus focus;
    } cases[] = {
        {"2060000001", "", "", "EMPRESA", kInvalidMsg, FrmAgeRet::Focus::Ruc},
        {"20600000014", "", "", "EMPRESA", kInvalidMsg, FrmAgeRet::Focus::Ruc},
        {kDeclarant, "", "", "EMPRESA", kOwnMsg, FrmAgeRet::Focus::Ruc},
        {kCompany, "", "", "   ", QString::fromUtf8("Ingrese la Razón Social."),
         FrmAgeRet::Focus::Nombres},
        {kPerson, " ", "", "", "Ingrese el apellido paterno.", FrmAgeRet::Focus::ApePat},
        {kPerson, "PEREZ", "", "", "Ingrese el apellido materno.", FrmAgeRet::Focus::ApeMat},
        {kPerson, "PEREZ", "DIAZ", "", "Ingrese los nombres.", FrmAgeRet::Focus::Nombres},
        {kOther, "", "", "EMPRESA", kStagedMsg, FrmAgeRet::Focus::Ruc}, // "&Nuevo" only
    };
    for (const Case& c : cases) {
        auto w = typed(c.ruc, c.p, c.m, c.n);
        w->takeFocusRequest();
        messages.shown.clear();
        w->nuevo();
        EXPECT_EQ(texts(), QStringList({c.said})) << c.ruc.toStdString() << c.said.toStdString();
        EXPECT_EQ(w->takeFocusRequest(), c.focus) << c.said.toStdString();
        EXPECT_TRUE(w->rucEnabled());
        if (c.said == kStagedMsg)
            continue; // "&Aceptar" finds the empty list first
        messages.shown.clear();
        EXPECT_FALSE(w->aceptar());
        EXPECT_EQ(texts(), QStringList({c.said})) << c.ruc.toStdString() << c.said.toStdString();
    }
    EXPECT_TRUE(windows.opened.empty());
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPCAB"), 1);

    // "&Modificar" asks only about the RUC: the names may still be missing
    stageVoucher(kPerson, "1", "10.00", "0.60");
    auto w = open("1", {kPerson, "", "", "", ""});
    messages.shown.clear();
    w->modificar();
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(windows.opened.size(), 1u);
}

TEST_F(FrmAgeRetTest, NameKeysAreConvertedThenFiltered) {
    auto w = open("0");
    const struct {
        int key;
        int kept;
    } cases[] = {
        {'a', 'A'},
        {'z', 'Z'},
        {'Q', 'Q'},
        {'7', '7'},
        {' ', ' '},
        {8, 8},
        // the accented capitals and the enye, as the import stores them (Windows-1252 codes)
        {0xF1, 0xD1},
        {0xD1, 0xD1},
        {0xE1, 0xC1},
        {0xE9, 0xC9},
        {0xED, 0xCD},
        {0xF3, 0xD3},
        {0xFA, 0xDA},
        {0xFC, 0xDC},
        {0xDC, 0xDC},
        {'.', 0},
        {'-', 0},
        {'|', 0},
        {'\'', 0},
        {0xE0, 0},
        {0xC7, 0},
        {0xBA, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(w->nameKey(c.key), c.kept) << c.key;
    EXPECT_TRUE(w->changed()); // refused keys count as edits too

    auto r = open("0");
    EXPECT_FALSE(r->changed());
    EXPECT_EQ(r->rucKey('5'), '5');
    EXPECT_EQ(r->rucKey(8), 8);
    EXPECT_EQ(r->rucKey('a'), 0);
    EXPECT_EQ(r->rucKey('.'), 0);
    EXPECT_TRUE(r->changed());
}

TEST_F(FrmAgeRetTest, TheNameLayoutFollowsTheRucPrefix) {
    auto w = open("0");
    EXPECT_EQ(w->layout(), FrmAgeRet::Layout::Person);
    w->setRuc("2");
    EXPECT_EQ(w->layout(), FrmAgeRet::Layout::Person); // one character decides nothing
    w->setRuc("20");
    EXPECT_EQ(w->layout(), FrmAgeRet::Layout::Company);
    EXPECT_EQ(w->nombresLabel(), QString::fromUtf8("Razón Social :"));
    EXPECT_EQ(w->nombresMaxLength(), 40);
    EXPECT_EQ(w->nombresWidthTwips(), 4500);
    EXPECT_EQ(w->nombresTopTwips(), 1000);
    w->setNombres("COMERCIAL DEL NORTE Y DEL SUR SOCIEDAD ANONIMA");
    EXPECT_EQ(w->nombres(), "COMERCIAL DEL NORTE Y DEL SUR SOCIEDAD A");
    w->setRuc("1");
    EXPECT_EQ(w->layout(), FrmAgeRet::Layout::Company);
    w->setRuc("10");
    EXPECT_EQ(w->layout(), FrmAgeRet::Layout::Person);
    EXPECT_EQ(w->nombresLabel(), "Nombres :");
    EXPECT_EQ(w->nombresMaxLength(), 20);
    EXPECT_EQ(w->nombresWidthTwips(), 2355);
    EXPECT_EQ(w->nombresTopTwips(), 1320);
    EXPECT_EQ(w->nombres(), "COMERCIAL DEL NORTE "); // what the narrower field keeps

    // a listed subject fills the fields of its layout from the list's row
    auto company = open("1", {kCompany, "LA EMPRESA SAC", "X", "Y", "Z"});
    EXPECT_EQ(company->layout(), FrmAgeRet::Layout::Company);
    EXPECT_EQ(company->nombres(), "LA EMPRESA SAC");
    EXPECT_EQ(company->apellidoP(), "");
    auto person = open("1", {kPerson, "PEREZ DIAZ JUAN", "PEREZ", "DIAZ", "JUAN"});
    EXPECT_EQ(person->layout(), FrmAgeRet::Layout::Person);
    EXPECT_EQ(QStringList({person->apellidoP(), person->apellidoM(), person->nombres()}),
              QStringList({"PEREZ", "DIAZ", "JUAN"}));
    EXPECT_FALSE(person->changed());
}

TEST_F(FrmAgeRetTest, TheListShowsTheSubjectsVouchersWithExactTotals) {
    stageVoucher(kCompany, "1", "1234.5", "74.07");
    stageVoucher(kCompany, "2", "0.10", "0.01");
    stageVoucher(kCompany, "3", "", "");
    stageVoucher(kOther, "1", "999.00", "59.94");
    auto w = open("1", {kCompany, "LA EMPRESA", {}, {}, {}});
    ASSERT_EQ(w->vouchers().size(), 3u);
    EXPECT_EQ(
        QStringList({w->cell(0, 0), w->cell(0, 1), w->cell(0, 2), w->cell(0, 3), w->cell(0, 4)}),
        QStringList({"0001", "00000001", "05/07/2010", "1,234.50", "74.07"}));
    EXPECT_EQ(w->cell(2, FrmAgeRet::Base), "");
    EXPECT_EQ(w->totalBase(), "1234.60");
    EXPECT_EQ(w->totalRetention(), "74.08");
    EXPECT_EQ(w->countCaption(), "3   Registros      ");

    auto none = open("1", {kPerson, "", "", "", ""});
    EXPECT_TRUE(none->vouchers().empty());
    EXPECT_EQ(none->totalBase(), "");
    EXPECT_EQ(none->totalRetention(), "");
    EXPECT_EQ(none->countCaption(), "");
}

TEST_F(FrmAgeRetTest, NewVouchersAreFiledUnderTheTypedRuc) {
    auto w = typed(kPerson, "PEREZ", "DIAZ", "JUAN");
    EXPECT_TRUE(w->rucEnabled());
    w->nuevo();
    EXPECT_EQ(session.VoucherMode, "0");
    EXPECT_EQ(session.selectedSubject.ruc, kPerson);
    EXPECT_FALSE(w->rucEnabled()); // the RUC now names staged vouchers
    w->nuevo();
    // the list and totals follow what the voucher window staged
    EXPECT_EQ(w->vouchers().size(), 2u);
    EXPECT_EQ(w->totalBase(), "200.00");
    EXPECT_EQ(w->countCaption(), "2   Registros      ");

    db->execute("UPDATE TMPF947RPDET SET mto_base_rp = '250.5' WHERE num_cp = '00000102'");
    w->activate();
    w->setCurrentVoucher(1);
    w->modificar();
    EXPECT_EQ(session.VoucherMode, "1");
    EXPECT_EQ(session.selectedVoucher.serie, "0001");
    EXPECT_EQ(session.selectedVoucher.numero, "00000102");
    EXPECT_EQ(session.selectedVoucher.fecha, "05/07/2010");
    EXPECT_EQ(session.selectedVoucher.base, "250.5");
    EXPECT_EQ(session.selectedVoucher.retencion, "6.00");
    EXPECT_EQ(windows.opened, std::vector<Window>(3, Window::FrmDetAgeRet));
}

TEST_F(FrmAgeRetTest, AcceptingWritesTheSubjectRow) {
    // a person: the three names joined by blanks and cut to 40
    auto p = typed(kPerson, "ABCDEFGHIJKLMNOPQRST", "UVWXYZABCD", "JUAN CARLOS");
    p->nuevo();
    EXPECT_TRUE(p->aceptar());
    EXPECT_EQ(subjectRow(kPerson),
              QStringList({"ABCDEFGHIJKLMNOPQRST UVWXYZABCD JUAN CAR", "ABCDEFGHIJKLMNOPQRST",
                           "UVWXYZABCD", "JUAN CARLOS", "1", "100.00", "6.00"}));
    EXPECT_FALSE(p->changed());

    // a company: the name only
    auto c = typed(kCompany, "", "", "LA EMPRESA SAC");
    c->nuevo();
    EXPECT_TRUE(c->aceptar());
    EXPECT_EQ(subjectRow(kCompany),
              QStringList({"LA EMPRESA SAC", "<null>", "<null>", "<null>", "1", "100.00", "6.00"}));

    // no voucher yet
    messages.shown.clear();
    auto empty = typed(kOther, "", "", "OTRA");
    EXPECT_FALSE(empty->aceptar());
    EXPECT_EQ(texts(), QStringList({QString::fromUtf8("Ingrese al menos un comprobante de "
                                                      "retención")}));
    EXPECT_TRUE(subjectRow(kOther).isEmpty());

    // the RUC was staged by other means while its vouchers were typed: nothing overwritten
    auto late = typed(kOther, "", "", "OTRA");
    windows.behaviour[Window::FrmDetAgeRet] = [this] {
        stageVoucher(kOther, "9", "10.00", "0.60");
        stageSubject(kOther, "LA PRIMERA");
    };
    late->nuevo();
    messages.shown.clear();
    EXPECT_FALSE(late->aceptar());
    EXPECT_EQ(texts(), QStringList({kStagedMsg}));
    EXPECT_EQ(subjectRow(kOther).value(0), "LA PRIMERA");
}

TEST_F(FrmAgeRetTest, ModifyingRewritesNamesCountAndTotals) {
    stageSubject(kCompany, "ANTIGUA SAC", "QUEDA"); // a company's surname columns stay
    stageVoucher(kCompany, "1", "10.00", "0.60");
    stageSubject(kPerson, "PEREZ DIAZ JUAN", "PEREZ", "DIAZ", "JUAN");
    stageVoucher(kPerson, "1", "10.00", "0.60");

    auto c = open("1", {kCompany, "ANTIGUA SAC", {}, {}, {}});
    c->setNombres("NUEVA SAC");
    c->nuevo();
    EXPECT_TRUE(c->aceptar());
    EXPECT_EQ(subjectRow(kCompany),
              QStringList({"NUEVA SAC", "QUEDA", "<null>", "<null>", "2", "110.00", "6.60"}));

    auto p = open("1", {kPerson, "PEREZ DIAZ JUAN", "PEREZ", "DIAZ", "JUAN"});
    p->setNombres("JOSE");
    EXPECT_TRUE(p->aceptar());
    EXPECT_EQ(subjectRow(kPerson),
              QStringList({"PEREZ DIAZ JOSE", "PEREZ", "DIAZ", "JOSE", "1", "10.00", "0.60"}));
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPCAB"), 2);
}

TEST_F(FrmAgeRetTest, StoredTotalsFitTheirColumns) {
    const struct {
        QStringList bases;
        QString shown;  // TxtBase
        QString stored; // mto_base_rp
    } cases[] = {
        {{"0.25", "0.25"}, "0.50", ".50"}, // no leading zero
        {{"999999999999.99"}, "999999999999.99", "999999999999.99"},
        // from 13 integer digits on the column has no room for decimals: a whole total fits
        {{"600000000000.00", "600000000000.00"}, "1200000000000.00", "1200000000000"},
    };
    for (const auto& c : cases) {
        for (const char* table : {"TMPF947RPCAB", "TMPF947RPDET", "TMPF947RPDETDET"})
            db->execute(QString("DELETE FROM ") + table);
        int n = 0;
        for (const QString& b : c.bases)
            stageVoucher(kCompany, QString::number(++n), b, "0.015");
        stageSubject(kCompany, "LA EMPRESA");
        auto w = open("1", {kCompany, "LA EMPRESA", {}, {}, {}});
        EXPECT_EQ(w->totalBase(), c.shown);
        ASSERT_TRUE(w->aceptar()) << c.shown.toStdString();
        const QStringList row = subjectRow(kCompany);
        EXPECT_EQ(row.value(5), c.stored);
        // the retention keeps its leading zero and two decimals
        EXPECT_EQ(row.value(6), c.bases.size() == 2 ? "0.03" : "0.02");
    }
}

TEST_F(FrmAgeRetTest, ATotalWithCentsPastItsColumnIsRefusedNotRounded) {
    stageVoucher(kCompany, "1", "600000000000.25", "0.015");
    stageVoucher(kCompany, "2", "600000000000.25", "0.015");
    stageSubject(kCompany, "LA EMPRESA");
    auto w = open("1", {kCompany, "LA EMPRESA", {}, {}, {}});
    EXPECT_EQ(w->totalBase(), "1200000000000.50");
    EXPECT_FALSE(w->aceptar());
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().title, "Error");
    EXPECT_TRUE(messages.shown.back().text.contains(kCompany))
        << messages.shown.back().text.toStdString();
    // the staged row keeps what it held
    EXPECT_EQ(subjectRow(kCompany).value(5), "1.00");
}

TEST_F(FrmAgeRetTest, DeletingAVoucherTakesItsPaymentVouchersOnly) {
    stageSubject(kCompany, "LA EMPRESA");
    stageVoucher(kCompany, "1", "10.00", "0.60", 2);
    stageVoucher(kCompany, "2", "20.00", "1.20", 3);
    stageVoucher(kOther, "1", "30.00", "1.80", 1); // same serie and number, another supplier
    auto w = open("1", {kCompany, "LA EMPRESA", {}, {}, {}});

    messages.answers = {MsgAnswer::No};
    w->eliminar();
    EXPECT_EQ(messages.shown.back().defaultAnswer, MsgAnswer::No);
    EXPECT_EQ(vouchersOf(kCompany), 2);
    EXPECT_EQ(paymentsOf(kCompany), 5);

    // a failure part-way leaves both levels as they were
    db->execute("CREATE TRIGGER refuse BEFORE DELETE ON TMPF947RPDET BEGIN SELECT "
                "RAISE(ABORT, 'rechazado'); END");
    messages.shown.clear();
    messages.answers = {MsgAnswer::Yes};
    w->eliminar();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].title, "Error");
    EXPECT_TRUE(messages.shown[1].text.contains("rechazado"));
    EXPECT_EQ(paymentsOf(kCompany), 5);
    db->execute("DROP TRIGGER refuse");

    messages.answers = {MsgAnswer::Yes};
    w->setCurrentVoucher(1);
    w->eliminar();
    EXPECT_EQ(vouchersOf(kCompany), 1);
    EXPECT_EQ(paymentsOf(kCompany), 2);
    EXPECT_EQ(vouchersOf(kOther), 1);
    EXPECT_EQ(paymentsOf(kOther), 1);
    EXPECT_EQ(w->totalBase(), "10.00");
    EXPECT_EQ(w->countCaption(), "1   Registros      ");

    messages.answers = {MsgAnswer::Yes};
    w->eliminar();
    EXPECT_TRUE(w->vouchers().empty());
    EXPECT_EQ(w->countCaption(), "0   Registros      ");
    EXPECT_EQ(w->totalBase(), "");
}

TEST_F(FrmAgeRetTest, LeavingASubjectWithoutVouchers) {
    stageSubject(kCompany, "LA EMPRESA");
    auto w = open("1", {kCompany, "LA EMPRESA", {}, {}, {}});
    messages.answers = {MsgAnswer::No};
    EXPECT_FALSE(w->salir());
    EXPECT_EQ(texts(), QStringList({QString::fromUtf8("No hay comprobantes. Si sale se borrará "
                                                      "este registro. ¿Esta Seguro?")}));
    EXPECT_EQ(messages.shown[0].defaultAnswer, MsgAnswer::No);
    EXPECT_FALSE(subjectRow(kCompany).isEmpty());
    messages.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(w->salir());
    EXPECT_TRUE(subjectRow(kCompany).isEmpty());
}

TEST_F(FrmAgeRetTest, LeavingAListedSubjectKeepsItsTotalsInStep) {
    stageSubject(kCompany, "LA EMPRESA"); // staged with a total of 1.00
    stageVoucher(kCompany, "1", "10.00", "0.60");
    stageVoucher(kCompany, "2", "5.00", "0.30");
    auto w = open("1", {kCompany, "LA EMPRESA", {}, {}, {}});
    EXPECT_TRUE(w->salir());
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(subjectRow(kCompany),
              QStringList({"LA EMPRESA", "<null>", "<null>", "<null>", "2", "15.00", "0.90"}));

    // changes refused at the question: the totals are written, the names are not
    auto changed = open("1", {kCompany, "LA EMPRESA", {}, {}, {}});
    changed->nameKey('X');
    changed->setNombres("LA EMPRESA X");
    messages.answers = {MsgAnswer::No};
    EXPECT_TRUE(changed->salir());
    EXPECT_EQ(texts().last(), kSaveQuestion);
    EXPECT_EQ(subjectRow(kCompany).value(0), "LA EMPRESA");
    EXPECT_EQ(vouchersOf(kCompany), 2);
}

TEST_F(FrmAgeRetTest, SavingOnLeaveThatFailsACheckStaysOpen) {
    auto w = typed(kPerson, "PEREZ", "DIAZ", "JUAN");
    w->nuevo();
    w->nameKey(8);
    w->setNombres("");
    messages.shown.clear();
    messages.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(w->salir());
    EXPECT_EQ(texts(), QStringList({kSaveQuestion, "Ingrese los nombres."}));
    EXPECT_EQ(w->takeFocusRequest(), FrmAgeRet::Focus::Nombres);
    // what was typed and staged is still there to be mended
    EXPECT_EQ(w->apellidoP(), "PEREZ");
    EXPECT_EQ(vouchersOf(kPerson), 1);
    EXPECT_TRUE(subjectRow(kPerson).isEmpty());

    w->setNombres("JUAN");
    messages.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(w->salir());
    EXPECT_EQ(subjectRow(kPerson).value(0), "PEREZ DIAZ JUAN");
    EXPECT_EQ(vouchersOf(kPerson), 1);
}

TEST_F(FrmAgeRetTest, AbandoningANewSupplierDropsWhatWasStagedForIt) {
    stageSubject(kOther, "OTRA");
    stageVoucher(kOther, "1", "10.00", "0.60", 2);
    auto w = typed(kPerson, "PEREZ", "DIAZ", "JUAN");
    w->nuevo();
    w->nuevo();
    ASSERT_EQ(vouchersOf(kPerson), 2);
    messages.answers = {MsgAnswer::No};
    EXPECT_TRUE(w->salir());
    EXPECT_EQ(vouchersOf(kPerson), 0);
    EXPECT_EQ(paymentsOf(kPerson), 0);
    EXPECT_EQ(vouchersOf(kOther), 1);
    EXPECT_EQ(paymentsOf(kOther), 2);

    // the drop is one unit: a failure leaves the payment vouchers with their vouchers
    auto again = typed(kPerson, "PEREZ", "DIAZ", "JUAN");
    again->nuevo();
    db->execute("CREATE TRIGGER refuse BEFORE DELETE ON TMPF947RPDET BEGIN SELECT "
                "RAISE(ABORT, 'rechazado'); END");
    messages.shown.clear();
    messages.answers = {MsgAnswer::No};
    EXPECT_FALSE(again->salir());
    EXPECT_EQ(messages.shown.back().title, "Error");
    EXPECT_EQ(vouchersOf(kPerson), 1);
    EXPECT_EQ(paymentsOf(kPerson), 1);

    // untouched: nothing asked, nothing dropped
    db->execute("DROP TRIGGER refuse");
    messages.shown.clear();
    EXPECT_TRUE(open("0")->salir());
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(FrmAgeRetTest, TheSentWindowIsReadOnlyAndClosesAtOnce) {
    session.SentMode = true;
    stageSubject(kCompany, "LA EMPRESA");
    stageVoucher(kCompany, "1", "10.00", "0.60");
    auto w = open("1", {kCompany, "LA EMPRESA", {}, {}, {}});
    EXPECT_TRUE(w->sent());
    EXPECT_FALSE(w->namesEnabled());
    w->modificar(); // "&Detalle"
    EXPECT_EQ(session.VoucherMode, "1");
    EXPECT_EQ(windows.opened.size(), 1u);
    db->execute("DELETE FROM TMPF947RPDET");
    w->activate();
    messages.shown.clear();
    EXPECT_TRUE(w->salir());
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(subjectRow(kCompany).value(5), "1.00"); // nothing written nor deleted
}

TEST_F(FrmAgeRetTest, ActivationFailureIsReported) {
    auto w = typed(kCompany, "", "", "LA EMPRESA");
    // the session's table first, then the shared one its name would fall back on
    windows.behaviour[Window::FrmDetAgeRet] = [this] {
        db->execute("DROP TABLE TMPF947RPDET");
        db->execute("DROP TABLE TMPF947RPDET");
    };
    w->nuevo();
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().title, "Error");
    EXPECT_TRUE(messages.shown.back().text.contains('\n')); // description, then the number
}

TEST_F(FrmAgeRetTest, ABigSubjectOpensAndRefreshesQuickly) {
    {
        Transaction tx(*db);
        Statement subject = db->prepare("INSERT INTO TMPF947RPCAB VALUES ('R', 6, ?, 'EMPRESA', "
                                        "NULL, NULL, NULL, 1, '10.00', '0.60', NULL)");
        Statement voucher =
            db->prepare("INSERT INTO TMPF947RPDET VALUES ('R', 6, ?, '0001', ?, ?, ?, '0.06', ?)");
        for (int i = 0; i < 5000; ++i) {
            const QString ruc = QString("205%1").arg(i, 8, 10, QChar('0'));
            subject.execute({ruc});
            voucher.execute({ruc, "00000001", QDate(2010, 7, 5), "10.00", "0.60"});
        }
        for (int v = 1; v <= 1000; ++v)
            voucher.execute({kCompany, QString::number(v).rightJustified(8, '0'), QDate(2010, 7, 5),
                             "1234567.89", "74074.07"});
        tx.commit();
    }
    stageSubject(kCompany, "LA EMPRESA");
    windows.behaviour.clear();

    // its speed is measured by bench/DetailBench.cpp; here, that the large case is right
    auto w = open("1", {kCompany, "LA EMPRESA", {}, {}, {}});
    w->modificar();

    EXPECT_EQ(w->vouchers().size(), 1000u);
    EXPECT_EQ(w->totalBase(), "1234567890.00");
    EXPECT_EQ(w->totalRetention(), "74,074,070.00");
}
