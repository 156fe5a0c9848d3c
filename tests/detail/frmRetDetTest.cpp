#include "detail/frmRetDet.h"
#include "detail/FrmDetAgeRet.h"

#include "tests/support/SampleEnvironment.h"

using namespace ret;

namespace {

const QString kSupplier = "20512345671";

class frmRetDetTest : public test::SampleEnvironmentTest {
protected:
    void SetUp() override {
        test::SampleEnvironmentTest::SetUp();
        session.CurrentPeriod = "201007";
        session.RetentionRate = "0.06";
        session.RetentionKind = "R";
        session.selectedSubject.ruc = kSupplier;
        session.selectedVoucher = {"0001", "00000001", "15/07/2010", "100", "6"};
    }
    std::unique_ptr<frmRetDet> open(const QString& mode) {
        session.PaymentVoucherMode = mode;
        auto w = std::make_unique<frmRetDet>(session);
        w->load();
        return w;
    }
    static int typeOf(const frmRetDet& w, const QString& code) {
        for (int i = 0; i < w.types().size(); ++i) {
            if (w.types()[i].startsWith(code))
                return i;
        }
        return -1;
    }
    std::unique_ptr<frmRetDet> typed(const QString& tipo, const QString& serie,
                                     const QString& numero, const QString& fecha,
                                     const QString& total) {
        auto w = open("0");
        if (!tipo.isEmpty())
            w->chooseType(typeOf(*w, tipo));
        w->setSerie(serie);
        w->setNumero(numero);
        w->setFecha(fecha);
        w->setTotal(total);
        return w;
    }
    int rows() { return count("SELECT count(*) FROM TMPF947RPDETDET"); }
};

} // namespace

TEST_F(frmRetDetTest, TheTypesOfTable233MarkedForRetentions) {
    db->execute("INSERT INTO PARAM (numero, argumento, funcion) VALUES ('233', '98', ?)",
                {QString("PERCEPCION").leftJustified(61) + "00"});
    auto w = open("0");
    ASSERT_EQ(w->types().size(), 5);
    EXPECT_EQ(w->types()[0], "01   " + QString("FACTURA").leftJustified(40));
    EXPECT_EQ(typeOf(*w, "98"), -1);
    EXPECT_EQ(w->typeIndex(), -1);
    w->chooseType(typeOf(*w, "12"));
    EXPECT_EQ(w->typeCode(), "12");
    EXPECT_EQ(w->desDoc(), "TICKET DE MAQUINA REGISTRADORA");
    EXPECT_EQ(w->takeFocusRequest(), frmRetDet::Focus::Serie);
    EXPECT_FALSE(w->changed()); // choosing a type is no edit
}

TEST_F(frmRetDetTest, ChecksBeforeSavingInTheirOrder) {
    const struct {
        const char *tipo, *serie, *numero, *fecha, *total;
        QString message;
        frmRetDet::Focus focus;
    } cases[] = {
        {"", "0001", "1", "01/07/2010", "10", "Ingrese el tipo de documento",
         frmRetDet::Focus::Tipo},
        {"01", " ", "1", "01/07/2010", "10", "Ingrese la serie", frmRetDet::Focus::Serie},
        {"01", "0001", "", "01/07/2010", "10", QString::fromUtf8("Ingrese el número del documento"),
         frmRetDet::Focus::Numero},
        {"01", "0001", "00000000", "01/07/2010", "10",
         QString::fromUtf8("El número de comprobante de pago no puede ser cero"),
         frmRetDet::Focus::Numero},
        {"01", "0001", "1", "__/__/____", "10",
         QString::fromUtf8("Debe ingresar la fecha de emisión."), frmRetDet::Focus::Fecha},
        {"01", "0001", "1", "30/02/2010", "10",
         QString::fromUtf8("Debe ingresar una fecha válida."), frmRetDet::Focus::Fecha},
        {"01", "0001", "1", "31/12/1899", "10",
         QString::fromUtf8("Debe ingresar una fecha válida."), frmRetDet::Focus::Fecha},
        {"01", "0001", "1", "01/08/2010", "10",
         QString::fromUtf8("La fecha de emisión del comprobante de pago no es válido cuando es "
                           "posterior al periodo 07/2010"),
         frmRetDet::Focus::Fecha},
        {"01", "E001", "1", "18/07/2010", "10",
         QString::fromUtf8("El número de serie debe ser numérico"), frmRetDet::Focus::None},
        {"12", "E001", "1", "20/07/2010", "10",
         QString::fromUtf8("El número de serie debe ser numérico"), frmRetDet::Focus::None},
        {"01", "FF01", "1", "20/07/2010", "10",
         QString::fromUtf8(
             "No se permite letras desde la segunda a la cuarta posición en el número de serie."),
         frmRetDet::Focus::None},
        {"07", "Ñ001", "1", "20/07/2010", "10",
         QString::fromUtf8("Desde el 2010/07/19sólo se permite letras o dígitos en la primera "
                           "posición del número de serie"),
         frmRetDet::Focus::None},
        {"01", "0001", "1", "01/07/2010", "", "Ingrese el valor total del comprobante de pago",
         frmRetDet::Focus::Total},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        auto w = typed(c.tipo, c.serie, c.numero, c.fecha, c.total);
        w->takeFocusRequest();
        messages.shown.clear();
        EXPECT_FALSE(w->aceptar());
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(messages.shown[0].title,
                  QString::fromUtf8("0947 - Detalle del Comprobante de Pago Involucrado"));
        EXPECT_EQ(w->takeFocusRequest(), c.focus);
    }
    EXPECT_EQ(rows(), 0);
    const struct {
        const char *tipo, *serie, *fecha;
    } accepted[] = {
        {"01", "F001", "20/07/2010"},
        {"08", "0001", "15/03/2009"}, // any earlier month
        {"12", "0001", "20/07/2010"},
    };
    for (const auto& a : accepted) {
        auto w = typed(a.tipo, a.serie, "1", a.fecha, "10");
        messages.shown.clear();
        EXPECT_TRUE(w->ValidaGrabar()) << a.tipo << " " << a.serie;
        EXPECT_TRUE(texts().isEmpty());
    }
}

TEST_F(frmRetDetTest, DatesBeforeJune2002AskFirst) {
    const QString question = QString::fromUtf8(
        "La fecha del comprobante de pago es anterior al 01/06/2002. ¿Desea continuar?");
    auto w = typed("01", "0001", "00000001", "__/__/____", "10");
    messages.answers = {MsgAnswer::No};
    w->setFecha("31/05/2002");
    EXPECT_EQ(texts(), QStringList({question}));
    EXPECT_EQ(w->takeFocusRequest(), frmRetDet::Focus::Fecha);
    messages.answers = {MsgAnswer::No};
    EXPECT_FALSE(w->ValidaGrabar());
    messages.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(w->ValidaGrabar());
    EXPECT_EQ(w->takeFocusRequest(), frmRetDet::Focus::Total);
    messages.shown.clear();
    w->setFecha("01/06/2002");
    EXPECT_TRUE(texts().isEmpty());

    // a stored payment voucher opens without the question
    session.selectedPayment = {"01", "0001", "00000001", "31/05/2002", "10.00"};
    auto stored = open("1");
    EXPECT_EQ(stored->fecha(), "31/05/2002");
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(frmRetDetTest, TheTypeDecidesTheNumberAndTheTotal) {
    auto w = open("0");
    w->chooseType(typeOf(*w, "99"));
    EXPECT_EQ(w->numeroMaxLength(), 15);
    w->setNumero("123");
    w->numeroFocusOut();
    EXPECT_EQ(w->numero(), "000000000000123");
    w->setTotal("75.10");
    w->chooseType(typeOf(*w, "01"));
    EXPECT_EQ(w->numeroMaxLength(), 8);
    EXPECT_EQ(w->numero(), ""); // longer than an invoice number
    EXPECT_EQ(w->total(), "75.10");
    w->setNumero("123");
    w->numeroFocusOut();
    EXPECT_EQ(w->numero(), "00000123");
    w->chooseType(typeOf(*w, "07"));
    EXPECT_EQ(w->total(), ""); // a credit note's total is typed again
    EXPECT_EQ(w->numero(), "00000123");

    // the total while typed: a place less for a credit note, whose sign comes when stored
    const struct {
        const char* tipo;
        int entering, withoutPoint, withPoint;
        const char* shown;
    } cases[] = {{"07", 14, 11, 14, "1234.50"}, {"01", 15, 12, 15, "1234.50"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tipo);
        w->chooseType(typeOf(*w, c.tipo));
        w->setTotal("1,234.5");
        w->totalFocusIn();
        EXPECT_EQ(w->total(), c.shown);
        EXPECT_EQ(w->totalMaxLength(), c.entering);
        w->setTotal("1234");
        EXPECT_EQ(w->totalKey('5'), '5');
        EXPECT_EQ(w->totalMaxLength(), c.withoutPoint);
        EXPECT_EQ(w->totalKey('.'), '.');
        EXPECT_EQ(w->totalMaxLength(), c.withPoint);
        w->setTotal("1234.5");
        EXPECT_EQ(w->totalKey('.'), 0);
        EXPECT_EQ(w->totalKey('-'), 0);
        w->totalFocusOut();
        EXPECT_EQ(w->total(), "1,234.50");
        EXPECT_EQ(w->totalMaxLength(), 18);
    }
}

TEST_F(frmRetDetTest, SerieKeysFollowTheType) {
    auto w = open("0");
    EXPECT_EQ(w->serieKey('E', 0, false), 0); // no type yet: digits only
    EXPECT_TRUE(w->changed());                // every key counts there
    w->chooseType(typeOf(*w, "12"));
    EXPECT_EQ(w->serieKey('E', 0, false), 0);
    EXPECT_EQ(w->serieKey('1', 0, false), '1');
    auto invoice = open("0");
    invoice->chooseType(typeOf(*invoice, "01"));
    EXPECT_EQ(invoice->serieKey('-', 0, false), 0);
    EXPECT_FALSE(invoice->changed()); // a refused key is no edit for these types
    EXPECT_EQ(invoice->serieKey('e', 0, false), 'E');
    EXPECT_TRUE(invoice->changed());
    invoice->setSerie("E");
    EXPECT_EQ(invoice->serieKey('F', 1, false), 0);
    invoice->setSerie("12");
    invoice->serieFocusOut();
    EXPECT_EQ(invoice->serie(), "0012");
}

TEST_F(frmRetDetTest, ANewPaymentVoucherIsStoredAndTheWindowClearedForTheNext) {
    const struct {
        const char *tipo, *total, *stored;
    } cases[] = {
        {"01", "1,234.5", "1234.50"},
        {"07", "150.50", "-150.50"}, // credit notes are stored negative
        {"08", "0.5", ".50"},
        {"99", "999999999999.99", "999999999999.99"},
        {"07", "99999999999.99", "-99999999999.99"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tipo) + " " + c.total);
        const QString numero = QString::number(++n).rightJustified(8, '0');
        auto w = typed(c.tipo, "0001", numero, "10/07/2010", c.total);
        messages.shown.clear();
        EXPECT_FALSE(w->aceptar()); // a new one keeps the window open
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text,
                  QString::fromUtf8("La información se grabó satisfactoriamente"));
        EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
        EXPECT_EQ(w->typeIndex(), -1);
        EXPECT_EQ(w->serie(), "");
        EXPECT_EQ(w->numero(), "");
        EXPECT_EQ(w->fecha(), "__/__/____");
        EXPECT_EQ(w->total(), "");
        EXPECT_EQ(w->desDoc(), "");
        EXPECT_FALSE(w->changed());
        EXPECT_EQ(w->takeFocusRequest(), frmRetDet::Focus::Tipo);
        Cursor r = db->query("SELECT num_doc_ret, num_serie_cp, num_cp, tip_cp_det, "
                             "num_serie_det, fec_emis_det, mto_cp_det FROM TMPF947RPDETDET "
                             "WHERE num_cp_det = ?",
                             {numero});
        ASSERT_TRUE(r.next());
        EXPECT_EQ(r.text(0), kSupplier);
        EXPECT_EQ(r.text(1), "0001");
        EXPECT_EQ(r.text(2), "00000001");
        EXPECT_EQ(r.text(3), c.tipo);
        EXPECT_EQ(r.text(4), "0001");
        EXPECT_EQ(r.date("fec_emis_det"), QDate(2010, 7, 10));
        EXPECT_EQ(r.text(6), c.stored);
    }
    auto twice = typed("01", "0001", "00000001", "10/07/2010", "5");
    messages.shown.clear();
    EXPECT_FALSE(twice->aceptar());
    EXPECT_EQ(texts(), QStringList({QString::fromUtf8("La información ya ha sido registrada")}));
    EXPECT_EQ(twice->total(), "5"); // what was typed stays
    EXPECT_EQ(rows(), 5);
}

TEST_F(frmRetDetTest, ACreditNoteRoundTripThroughTheVoucherWindow) {
    // the voucher window opens this window for real, both ways
    int typedNumber = 0;
    windows.behaviour[Window::frmRetDet] = [&] {
        auto w = std::make_unique<frmRetDet>(session);
        w->load();
        if (session.PaymentVoucherMode == "0") {
            w->chooseType(typeOf(*w, "07"));
            w->setSerie("0001");
            w->setNumero("00000011");
            w->setFecha("01/07/2010");
            w->setTotal("150.50");
            w->aceptar();
            ++typedNumber;
        } else {
            EXPECT_EQ(w->total(), "150.50"); // shown positive again
            EXPECT_FALSE(w->keyEnabled());
            EXPECT_TRUE(w->creditNote());
            w->setFecha("02/07/2010");
            w->setTotal("200");
            EXPECT_TRUE(w->aceptar());
        }
        EXPECT_TRUE(w->salir());
    };
    session.VoucherMode = "0";
    FrmDetAgeRet voucher(session);
    voucher.load();
    voucher.setSerie("0007");
    voucher.setNumero("00000003");
    voucher.setFecha("15/07/2010");
    voucher.setBase("100");
    voucher.nuevo();
    ASSERT_EQ(typedNumber, 1);
    ASSERT_EQ(voucher.payments().size(), 1u);
    EXPECT_EQ(voucher.payments()[0].monto, "-150.50");
    EXPECT_EQ(voucher.payments()[0].montoShown(), "(150.50)");
    voucher.modificar();
    ASSERT_EQ(voucher.payments().size(), 1u);
    EXPECT_EQ(voucher.payments()[0].montoShown(), "(200.00)");
    EXPECT_EQ(voucher.payments()[0].fecha, "02/07/2010");
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPDETDET WHERE num_serie_cp = '0007' AND "
                    "num_cp = '00000003'"),
              1);
}

TEST_F(frmRetDetTest, LeavingAsksOnlyAfterEditsAndStaysWhenTheSaveStops) {
    session.selectedPayment = {"01", "0001", "00000001", "01/07/2010", "10.00"};
    db->execute("INSERT INTO TMPF947RPDETDET VALUES (?, '0001', '00000001', '01', '0001', "
                "'00000001', ?, '10.00')",
                {kSupplier, QDate(2010, 7, 1)});
    auto onlyDate = open("1");
    onlyDate->setFecha("05/07/2010");
    EXPECT_TRUE(onlyDate->salir());
    EXPECT_TRUE(texts().isEmpty());

    auto w = typed("01", "0001", "00000002", "05/07/2010", "");
    EXPECT_EQ(w->numeroKey('2'), '2');
    messages.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(w->salir()); // the total is missing: the window stays with what was typed
    EXPECT_EQ(texts().back(), "Ingrese el valor total del comprobante de pago");
    EXPECT_EQ(w->numero(), "00000002");
    messages.answers = {MsgAnswer::No};
    EXPECT_TRUE(w->salir());
    EXPECT_EQ(rows(), 1);
    w->setTotal("20");
    messages.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(w->salir());
    EXPECT_EQ(rows(), 2);
}
