#include "detail/FrmDetAgeRet.h"
#include "detail/frmRetDet.h"

#include "tests/support/SampleEnvironment.h"

using namespace ret;

namespace {

const QString kSupplier = "20512345671";

class FrmDetAgeRetTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        session.CurrentPeriod = "201007";
        session.RetentionRate = "0.06";
        session.RetentionKind = "R";
        session.selectedSubject.ruc = kSupplier;
        // the payment window stages one invoice under the voucher handed over
        windows.behaviour[Window::frmRetDet] = [this] {
            addPayment(session.selectedVoucher.serie, session.selectedVoucher.numero, nextType,
                       "00000099", "150.50");
        };
    }
    std::unique_ptr<FrmDetAgeRet> open(const QString& mode) {
        session.VoucherMode = mode;
        auto w = std::make_unique<FrmDetAgeRet>(session);
        w->load();
        return w;
    }
    // A new voucher with every field filled: 0001-00000001 of 15/07/2010 paid 100.25.
    std::unique_ptr<FrmDetAgeRet> typed(const QString& serie = "0001") {
        auto w = open("0");
        w->setSerie(serie);
        w->setNumero("00000001");
        w->setFecha("15/07/2010");
        w->setBase("100.25");
        return w;
    }
    void addVoucher(const QString& serie, const QString& numero) {
        db->execute("INSERT INTO TMPF947RPDET VALUES ('R', 6, ?, ?, ?, ?, '500', '0.06', '30')",
                    {kSupplier, serie, numero, QDate(2010, 7, 5)});
    }
    void addPayment(const QString& serie, const QString& numero, const QString& tipo,
                    const QString& numeroDet, const QString& monto) {
        db->execute("INSERT INTO TMPF947RPDETDET VALUES (?, ?, ?, ?, '0001', ?, ?, ?)",
                    {kSupplier, serie, numero, tipo, numeroDet, QDate(2010, 7, 1), monto});
    }
    int payments(const QString& serie = "0001", const QString& numero = "00000001") {
        return count("SELECT count(*) FROM TMPF947RPDETDET WHERE num_doc_ret = ? AND "
                     "num_serie_cp = ? AND num_cp = ?",
                     {kSupplier, serie, numero});
    }
    int vouchers() { return count("SELECT count(*) FROM TMPF947RPDET"); }
    QString nextType = "01";
};

} // namespace

TEST_F(FrmDetAgeRetTest, ChecksBeforeSavingInTheirOrder) {
    const struct {
        const char *serie, *numero, *fecha, *base;
        QString message;
        FrmDetAgeRet::Focus focus;
    } cases[] = {
        {"", "00000001", "15/07/2010", "10", "Ingrese la serie", FrmDetAgeRet::Focus::Serie},
        {"0001", " ", "15/07/2010", "10", QString::fromUtf8("Ingrese el número del documento"),
         FrmDetAgeRet::Focus::Numero},
        {"0001", "00000000", "15/07/2010", "10",
         QString::fromUtf8("El número de comprobante de retención no puede ser cero"),
         FrmDetAgeRet::Focus::Numero},
        {"0001", "1", "__/__/____", "10", QString::fromUtf8("Debe ingresar la fecha de emisión."),
         FrmDetAgeRet::Focus::Fecha},
        {"0001", "1", "32/07/2010", "10", QString::fromUtf8("Debe ingresar una fecha válida."),
         FrmDetAgeRet::Focus::Fecha},
        {"0001", "1", "1_/07/2010", "10", QString::fromUtf8("Debe ingresar una fecha válida."),
         FrmDetAgeRet::Focus::Fecha},
        {"0001", "1", "01/08/2010", "10",
         QString::fromUtf8("La fecha del comprobante de retención no es válida cuando es "
                           "posterior al periodo 07/2010"),
         FrmDetAgeRet::Focus::Fecha},
        {"0001", "1", "30/06/2010", "10",
         QString::fromUtf8(
             "La fecha del comprobante de retención no puede ser menor al 01/07/2010"),
         FrmDetAgeRet::Focus::Fecha},
        {"E001", "1", "18/07/2010", "10", QString::fromUtf8("El número de serie debe ser numérico"),
         FrmDetAgeRet::Focus::None},
        {"E01", "1", "19/07/2010", "10",
         QString::fromUtf8("Debe registrar correctamente el número de serie."),
         FrmDetAgeRet::Focus::None},
        {"0E01", "1", "19/07/2010", "10",
         QString::fromUtf8(
             "No se permite letras desde la segunda a la cuarta posición en el número de serie."),
         FrmDetAgeRet::Focus::None},
        {"Ñ001", "1", "19/07/2010", "10",
         QString::fromUtf8("Desde el 2010/07/19sólo se permite letras o dígitos en la primera "
                           "posición del número de serie"),
         FrmDetAgeRet::Focus::None},
        {"0001", "1", "15/07/2010", "", "Ingrese el Monto pagado", FrmDetAgeRet::Focus::Base},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        auto w = open("0");
        w->setSerie(c.serie);
        w->setNumero(c.numero);
        w->setFecha(c.fecha);
        w->setBase(c.base);
        w->takeFocusRequest();
        messages.shown.clear();
        EXPECT_FALSE(w->ValidaGrabar());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(messages.shown[0].title, QString::fromUtf8("Detalle de la Retención"));
        // the serie rules speak through the field rules' message, the others are refusals
        EXPECT_EQ(messages.shown[0].icon,
                  c.focus == FrmDetAgeRet::Focus::None ? MsgIcon::Exclamation : MsgIcon::Critical);
        EXPECT_EQ(w->takeFocusRequest(), c.focus);
    }
    for (const char* accepted : {"E001", "0001"}) {
        auto w = typed(accepted);
        w->setFecha("19/07/2010");
        messages.shown.clear();
        EXPECT_TRUE(w->ValidaGrabar()) << accepted;
        EXPECT_TRUE(texts().isEmpty());
    }
    EXPECT_EQ(vouchers(), 0);
}

TEST_F(FrmDetAgeRetTest, TheDateIsCheckedAsSoonAsItIsComplete) {
    auto w = open("0");
    w->setFecha("01/08/201_");
    EXPECT_TRUE(texts().isEmpty());
    w->setFecha("01/08/2010");
    EXPECT_EQ(texts(), QStringList({QString::fromUtf8(
                           "La fecha del comprobante de retención no es válida cuando es "
                           "posterior al periodo 07/2010")}));
    EXPECT_EQ(w->takeFocusRequest(), FrmDetAgeRet::Focus::Fecha);
    messages.shown.clear();
    w->setFecha("31/07/2010");
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(FrmDetAgeRetTest, RetentionIsRateTimesTheAmountToTheCentOnEveryChange) {
    const struct {
        const char *rate, *base, *tasa, *retencion;
    } cases[] = {
        {"0.06", "100.25", "6.00", "6.02"}, // 6.015 rounds away from zero
        {"0.06", "0.25", "6.00", "0.02"},   // 0.015, where binary fractions fall short
        {"0.06", "1,000.50", "6.00", "60.03"},
        {"0.06", "100.255", "6.00", "6.02"}, // the amount is taken to the cent first: 100.26
        {"0.06", "999999999999.99", "6.00", "60000000000.00"},
        {"0.06", "", "6.00", " "},
        {"0", "100.25", "0.00", "0.00"},
        {"0.1234", "10", "12.34", "1.23"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.rate) + " x " + c.base);
        session.RetentionRate = c.rate;
        auto w = open("0");
        w->setBase("5");
        w->setBase(c.base);
        EXPECT_EQ(w->tasa(), c.tasa);
        EXPECT_EQ(w->retencion(), c.retencion);
    }
}

TEST_F(FrmDetAgeRetTest, FieldsWhileTypedAndWhenLeft) {
    auto w = open("0");
    w->setSerie("12");
    w->serieFocusOut();
    EXPECT_EQ(w->serie(), "0012");
    w->setSerie("E1");
    w->serieFocusOut();
    EXPECT_EQ(w->serie(), "E1");
    w->setNumero("345");
    w->numeroFocusOut();
    EXPECT_EQ(w->numero(), "00000345");
    EXPECT_EQ(w->numeroKey('a'), 0);
    EXPECT_EQ(w->numeroKey('.'), 0);
    EXPECT_EQ(w->numeroKey('7'), '7');
    EXPECT_TRUE(w->changed());

    // the amount: plain while typed, with a point at most, grouped when left
    w->setBase("1234.5");
    w->baseFocusOut();
    EXPECT_EQ(w->base(), "1,234.50");
    EXPECT_EQ(w->baseMaxLength(), 18);
    w->baseFocusIn();
    EXPECT_EQ(w->base(), "1234.50");
    EXPECT_EQ(w->baseMaxLength(), 15);
    EXPECT_EQ(w->baseKey('.'), 0); // a second point
    w->setBase("123");
    EXPECT_EQ(w->baseKey('4'), '4');
    EXPECT_EQ(w->baseMaxLength(), 12);
    EXPECT_EQ(w->baseKey('.'), '.');
    EXPECT_EQ(w->baseMaxLength(), 15);
    EXPECT_EQ(w->baseKey('-'), 0);

    // Enter moves on from the serie only once there is one
    auto fresh = open("0");
    EXPECT_EQ(fresh->serieKey(13, 0, false), 0);
    EXPECT_FALSE(fresh->takeMoveOn());
    EXPECT_FALSE(fresh->changed());
    fresh->setSerie("0001");
    EXPECT_EQ(fresh->serieKey(13, 4, false), 0);
    EXPECT_TRUE(fresh->takeMoveOn());
    EXPECT_EQ(fresh->serieKey('x', 4, false), 0); // a refused key is no edit
    EXPECT_FALSE(fresh->changed());
}

TEST_F(FrmDetAgeRetTest, ANewPaymentVoucherHandsOverTheVoucherAndFreezesItsKey) {
    auto w = typed();
    EXPECT_TRUE(w->keyEnabled());
    w->nuevo();
    ASSERT_EQ(windows.opened, std::vector<Window>{Window::frmRetDet});
    EXPECT_EQ(session.PaymentVoucherMode, "0");
    EXPECT_EQ(session.selectedVoucher.serie, "0001");
    EXPECT_EQ(session.selectedVoucher.numero, "00000001");
    EXPECT_FALSE(w->keyEnabled());
    ASSERT_EQ(w->payments().size(), 1u); // re-read when the payment window closed
    EXPECT_EQ(w->payments()[0].nombre, "FACTURA");
    EXPECT_EQ(w->payments()[0].fecha, "01/07/2010");
    EXPECT_EQ(w->countCaption(), "1   Registros      ");

    // a failing check or a voucher already stored opens nothing
    windows.opened.clear();
    auto unchecked = open("0");
    unchecked->nuevo();
    EXPECT_EQ(texts().back(), "Ingrese la serie");
    EXPECT_EQ(session.PaymentVoucherMode, "0");
    EXPECT_TRUE(unchecked->changed());
    addVoucher("0002", "00000001");
    auto twice = typed("0002");
    messages.shown.clear();
    twice->nuevo();
    EXPECT_EQ(texts(), QStringList({QString::fromUtf8("La información ya ha sido registrada")}));
    EXPECT_TRUE(windows.opened.empty());
    EXPECT_TRUE(twice->keyEnabled());
}

TEST_F(FrmDetAgeRetTest, TheListShowsCreditNotesInBracketsAndDeletesTheChosenRow) {
    addVoucher("0001", "00000001");
    addPayment("0001", "00000001", "01", "00000010", "1234.50");
    addPayment("0001", "00000001", "07", "00000011", "-150.50");
    addPayment("0001", "00000001", "7", "00000012", "-.5"); // the type joined by its value
    addPayment("0002", "00000001", "01", "00000013", "10"); // another voucher's
    session.selectedVoucher = {"0001", "00000001", "05/07/2010", "500", "30"};
    auto w = open("1");
    ASSERT_EQ(w->payments().size(), 3u);
    QStringList shown, names;
    for (const auto& p : w->payments()) {
        shown << p.montoShown();
        names << p.nombre;
    }
    EXPECT_EQ(shown, QStringList({"1,234.50", "(150.50)", "(0.50)"}));
    EXPECT_EQ(names, QStringList({"FACTURA", "NOTA DE CREDITO", "NOTA DE CREDITO"}));
    EXPECT_EQ(w->countCaption(), "3   Registros      ");

    w->setCurrentPayment(1);
    messages.answers = {MsgAnswer::No};
    w->eliminar();
    EXPECT_EQ(messages.shown.back().defaultAnswer, MsgAnswer::No);
    EXPECT_EQ(payments(), 3);
    messages.answers = {MsgAnswer::Yes};
    w->eliminar();
    EXPECT_EQ(session.PaymentVoucherMode, "2");
    EXPECT_EQ(payments(), 2);
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPDETDET WHERE num_cp_det = '00000011'"), 0);
    EXPECT_EQ(w->countCaption(), "2   Registros      ");
    EXPECT_EQ(payments("0002"), 1);

    // modifying hands over the chosen row as stored
    w->setCurrentPayment(1);
    windows.behaviour[Window::frmRetDet] = {};
    w->modificar();
    EXPECT_EQ(session.PaymentVoucherMode, "1");
    EXPECT_EQ(session.selectedPayment.tipo, "7");
    EXPECT_EQ(session.selectedPayment.numero, "00000012");
    EXPECT_EQ(session.selectedPayment.monto, "-.5");
}

TEST_F(FrmDetAgeRetTest, AcceptingStoresTheVoucher) {
    auto w = typed();
    w->setBase("1,000.50");
    EXPECT_FALSE(w->aceptar());
    EXPECT_EQ(texts().back(), "Ingrese al menos un comprobante de pago");
    EXPECT_EQ(vouchers(), 0);

    w->nuevo();
    messages.shown.clear();
    EXPECT_TRUE(w->aceptar());
    EXPECT_TRUE(texts().isEmpty());
    Cursor c = db->query("SELECT tip_retencion, tip_doc_ret, num_doc_ret, num_serie_cp, num_cp, "
                         "fec_emision_cp, mto_base_rp, por_tasa_cr, mto_imp_rp FROM TMPF947RPDET");
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.text(0), "R");
    EXPECT_EQ(c.value(1).toInt(), 6);
    EXPECT_EQ(c.text(2), kSupplier);
    EXPECT_EQ(c.text(3), "0001");
    EXPECT_EQ(c.text(4), "00000001");
    EXPECT_EQ(c.date("fec_emision_cp"), QDate(2010, 7, 15));
    EXPECT_EQ(c.text(6), "1000.5"); // a number in a text column: no trailing zeros
    EXPECT_EQ(c.text(7), "0.06");
    EXPECT_EQ(c.text(8), "60.03");
    EXPECT_FALSE(c.next());

    // a new voucher with the key of a stored one is refused before anything is written
    auto again = typed();
    again->setFecha("20/07/2010");
    messages.shown.clear();
    again->activate(); // its list is now the stored voucher's
    ASSERT_EQ(again->payments().size(), 1u);
    EXPECT_FALSE(again->aceptar());
    EXPECT_EQ(texts(), QStringList({QString::fromUtf8("La información ya ha sido registrada")}));
    EXPECT_EQ(
        count("SELECT count(*) FROM TMPF947RPDET WHERE fec_emision_cp = ?", {QDate(2010, 7, 15)}),
        1);
}

TEST_F(FrmDetAgeRetTest, ModifyingUpdatesTheStoredVoucherWithTheRateInForce) {
    addVoucher("0001", "00000001");
    addPayment("0001", "00000001", "01", "00000010", "500");
    session.selectedVoucher = {"0001", "00000001", "05/07/2010", "500", "29.99"};
    session.RetentionRate = "0.03";
    auto w = open("1");
    EXPECT_FALSE(w->keyEnabled());
    EXPECT_EQ(w->fecha(), "05/07/2010");
    EXPECT_EQ(w->base(), "500");
    EXPECT_EQ(w->retencion(), "29.99"); // as stored, not recomputed on opening
    EXPECT_EQ(w->tasa(), "3.00");
    EXPECT_FALSE(w->changed());
    EXPECT_TRUE(texts().isEmpty());

    w->setFecha("31/07/2010");
    w->setBase("200");
    EXPECT_TRUE(w->aceptar());
    Cursor c = db->query("SELECT fec_emision_cp, mto_base_rp, por_tasa_cr, mto_imp_rp FROM "
                         "TMPF947RPDET");
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.date("fec_emision_cp"), QDate(2010, 7, 31));
    EXPECT_EQ(c.text(1), "200");
    EXPECT_EQ(c.text(2), "0.03");
    EXPECT_EQ(c.text(3), "6");
    EXPECT_EQ(vouchers(), 1);
}

TEST_F(FrmDetAgeRetTest, OnlyCreditNotesAreSavedWithAWord) {
    nextType = "07";
    auto w = typed();
    w->nuevo();
    messages.shown.clear();
    EXPECT_TRUE(w->aceptar());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(
        messages.shown[0].text,
        QString::fromUtf8("Debe ingresar algún comprobante de pago diferente a nota de crédito."));
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(vouchers(), 1);

    nextType = "01"; // one invoice among them: nothing said
    auto mixed = typed("0002");
    mixed->nuevo();
    windows.behaviour[Window::frmRetDet] = [this] {
        addPayment("0002", "00000001", "07", "00000100", "-1");
    };
    mixed->nuevo();
    ASSERT_EQ(mixed->payments().size(), 2u);
    messages.shown.clear();
    EXPECT_TRUE(mixed->aceptar());
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(FrmDetAgeRetTest, LeavingUnchangedOrReadOnlyClosesAtOnce) {
    addVoucher("0001", "00000001");
    session.selectedVoucher = {"0001", "00000001", "05/07/2010", "500", "30"};
    auto w = open("1"); // no payment vouchers, but nothing was touched
    EXPECT_TRUE(w->salir());
    session.SentMode = true;
    auto sent = open("1");
    EXPECT_TRUE(sent->readOnly());
    EXPECT_EQ(sent->baseKey('1'), 0);
    EXPECT_FALSE(sent->aceptar());
    EXPECT_TRUE(sent->salir());
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(vouchers(), 1);
}

TEST_F(FrmDetAgeRetTest, AbandoningANewVoucherRemovesItsPaymentVouchers) {
    auto w = typed();
    w->nuevo();
    windows.behaviour[Window::frmRetDet] = [this] {
        addPayment("0001", "00000001", "01", "00000777", "5");
    };
    w->nuevo();
    ASSERT_EQ(payments(), 2);
    messages.answers = {MsgAnswer::No};
    EXPECT_TRUE(w->salir());
    EXPECT_EQ(messages.shown.back().text,
              QString::fromUtf8("La información ha sido modificada. ¿Desea guardar los cambios?"));
    EXPECT_EQ(payments(), 0);
    EXPECT_EQ(vouchers(), 0);
}

TEST_F(FrmDetAgeRetTest, SavingOnLeavingThatFailsACheckKeepsTheWindowOpen) {
    auto w = typed();
    w->nuevo();
    w->setBase("");
    messages.answers = {MsgAnswer::Yes};
    messages.shown.clear();
    EXPECT_FALSE(w->salir());
    EXPECT_EQ(texts().back(), "Ingrese el Monto pagado");
    EXPECT_EQ(payments(), 1); // the payment vouchers wait for their voucher
    EXPECT_EQ(vouchers(), 0);

    w->setBase("100.25");
    messages.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(w->salir());
    EXPECT_EQ(vouchers(), 1);
    EXPECT_EQ(payments(), 1);
}

TEST_F(FrmDetAgeRetTest, LeavingAVoucherWithoutPaymentVouchersRemovesItAfterAsking) {
    addVoucher("0001", "00000001");
    addPayment("0001", "00000001", "01", "00000010", "500");
    session.selectedVoucher = {"0001", "00000001", "05/07/2010", "500", "30"};
    auto w = open("1");
    messages.answers = {MsgAnswer::Yes};
    w->eliminar();
    ASSERT_TRUE(w->payments().empty());
    const QString question =
        QString::fromUtf8("No hay comprobantes. Si sale se borrará este registro. ¿Esta Seguro?");
    messages.answers = {MsgAnswer::No};
    EXPECT_FALSE(w->salir());
    EXPECT_EQ(messages.shown.back().text, question);
    EXPECT_EQ(vouchers(), 1);
    messages.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(w->salir());
    EXPECT_EQ(vouchers(), 0);
}

TEST_F(FrmDetAgeRetTest, ANewVoucherTypedWithAStoredKeyLeavesTheStoredOneAlone) {
    addVoucher("0001", "00000001");
    addPayment("0001", "00000001", "01", "00000010", "500");
    auto w = typed();
    w->nuevo(); // refused: the voucher exists
    w->activate();
    ASSERT_EQ(w->payments().size(), 1u);
    messages.answers = {MsgAnswer::No};
    EXPECT_TRUE(w->salir());
    EXPECT_EQ(vouchers(), 1);
    EXPECT_EQ(payments(), 1);
}

TEST_F(FrmDetAgeRetTest, ADatabaseFailureWhileLeavingChangesNothing) {
    addVoucher("0001", "00000001");
    session.selectedVoucher = {"0001", "00000001", "05/07/2010", "500", "30"};
    auto w = open("1");
    w->fechaKey();
    // the second delete fails: the first one must not stay done
    db->execute("CREATE TRIGGER refuse BEFORE DELETE ON TMPF947RPDETDET BEGIN "
                "SELECT RAISE(ABORT, 'refused'); END");
    db->execute("INSERT INTO TMPF947RPDETDET VALUES (?, '0001', '00000001', '01', '0001', "
                "'1', NULL, '1')",
                {kSupplier});
    messages.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(w->salir()); // its list was read empty before the row came
    EXPECT_EQ(messages.shown.back().title, "Error");
    EXPECT_EQ(vouchers(), 1);
}
