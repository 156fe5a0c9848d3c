// A declaration's whole detail typed through the windows: two suppliers (a company and a
// person), three vouchers, five payment vouchers with one credit note; saved and reopened
// identical.
#include "declaration/Frm947.h"
#include "detail/FrmAgeRet.h"
#include "detail/FrmDetAgeRet.h"
#include "detail/frmRetDet.h"

#include "tests/support/SampleEnvironment.h"

using namespace ret;

namespace {

struct Payment {
    const char* type;
    const char* serie;
    const char* number;
    const char* date;
    const char* total;
};
struct Voucher {
    const char* serie;
    const char* number;
    const char* date;
    const char* base;
    std::vector<Payment> payments;
};
struct Supplier {
    const char* ruc;
    const char* apellidoP; // empty for a company
    const char* apellidoM;
    const char* nombres; // a company's name
    std::vector<Voucher> vouchers;
};

const std::vector<Supplier> kSuppliers = {
    {"20512345671",
     "",
     "",
     "CONSTRUCTORA ANDES SAC",
     {{"E001",
       "1",
       "20/07/2010",
       "1000.00",
       {{"01", "F001", "11", "19/07/2010", "700.00"},
        {"01", "0001", "12", "02/07/2010", "300.00"}}},
      {"E001",
       "2",
       "21/07/2010",
       "500.00",
       {{"01", "0001", "13", "03/07/2010", "600.00"},
        {"07", "F002", "14", "20/07/2010", "100.00"}}}}},
    {"10412345679",
     "QUISPE",
     "MAMANI",
     "ANA MARIA",
     {{"E001", "3", "22/07/2010", "250.25", {{"01", "0001", "15", "05/07/2010", "250.25"}}}}},
};

class TypedDetailTest : public test::SampleEnvironmentTest {
protected:
    QStringList staged() {
        QStringList rows;
        for (const char* sql :
             {"SELECT tip_retencion, tip_doc_ret, num_doc_ret, des_razon, des_apellido_p, "
              "des_apellido_m, des_nombres, ctd_docs, mto_base_rp, mto_imp_rp FROM TMPF947RPCAB",
              "SELECT tip_retencion, tip_doc_ret, num_doc_ret, num_serie_cp, num_cp, "
              "fec_emision_cp, mto_base_rp, mto_imp_rp FROM TMPF947RPDET",
              "SELECT * FROM TMPF947RPDETDET"}) {
            Cursor c = db->query(sql);
            while (c.next()) {
                QStringList cells;
                for (int i = 0; i < c.record().count(); ++i)
                    cells << c.text(i);
                rows << cells.join('|');
            }
        }
        rows.sort();
        return rows;
    }
    void typePayment(const Payment& p) {
        frmRetDet w(session);
        w.load();
        int index = -1;
        for (int i = 0; i < w.types().size(); ++i) {
            if (w.types()[i].startsWith(p.type))
                index = i;
        }
        ASSERT_GE(index, 0) << p.type;
        w.chooseType(index);
        w.setSerie(p.serie);
        w.serieFocusOut();
        w.setNumero(p.number);
        w.numeroFocusOut();
        w.setFecha(p.date);
        w.setTotal(p.total);
        EXPECT_FALSE(w.aceptar()); // a new one is stored and the window clears for the next
        EXPECT_TRUE(w.salir());
    }
    void typeVoucher(const Voucher& v) {
        FrmDetAgeRet w(session);
        w.load();
        w.setSerie(v.serie);
        w.serieFocusOut();
        w.setNumero(v.number);
        w.numeroFocusOut();
        w.setFecha(v.date);
        w.setBase(v.base);
        size_t next = 0;
        windows.behaviour[Window::frmRetDet] = [&] { typePayment(v.payments[next++]); };
        for (size_t i = 0; i < v.payments.size(); ++i)
            w.nuevo();
        EXPECT_EQ(w.payments().size(), v.payments.size()) << texts().join(" / ").toStdString();
        EXPECT_TRUE(w.aceptar());
    }
    void typeSupplier(const Supplier& s) {
        FrmAgeRet w(session);
        w.load();
        w.rucKey('1');
        w.setRuc(s.ruc);
        if (*s.apellidoP) {
            w.setApellidoP(s.apellidoP);
            w.setApellidoM(s.apellidoM);
        }
        w.setNombres(s.nombres);
        size_t next = 0;
        windows.behaviour[Window::FrmDetAgeRet] = [&] { typeVoucher(s.vouchers[next++]); };
        for (size_t i = 0; i < s.vouchers.size(); ++i)
            w.nuevo();
        EXPECT_TRUE(w.aceptar());
    }
};

} // namespace

TEST_F(TypedDetailTest, TypedSavedAndReopenedIdentical) {
    session.OperationMode = 0;
    Frm947 declaration(session);
    declaration.load();
    declaration.chooseContributor(0);
    declaration.chooseModality(0);
    declaration.setPeriodText("07/2010");
    size_t next = 0;
    windows.behaviour[Window::FrmAgeRet] = [&] { typeSupplier(kSuppliers[next++]); };
    declaration.nuevo();
    declaration.nuevo();
    ASSERT_EQ(declaration.subjects().size(), 2u);
    // the payment window confirms each payment voucher stored, and nothing else was said
    EXPECT_EQ(texts(),
              QStringList(5, QString::fromUtf8("La información se grabó satisfactoriamente")));
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPDET"), 3);
    EXPECT_EQ(count("SELECT count(*) FROM TMPF947RPDETDET"), 5);
    // retention 60.00 + 30.00 + 15.02 (250.25 at 0.06 is 15.015)
    EXPECT_EQ(declaration.box(401), "105");
    EXPECT_EQ(declaration.countTag(), "2");

    declaration.boxKey('1');
    declaration.setBox(410, "105");
    PaymentForm cash;
    cash.formapago = "E";
    declaration.setPayment(cash);
    const QStringList typed = staged();
    ASSERT_TRUE(declaration.grabar());
    EXPECT_EQ(db->scalar("SELECT mto_cp_det FROM F947RPDETDET WHERE tip_cp_det = '07'")->toString(),
              "-100.00");
    EXPECT_EQ(
        db->scalar("SELECT des_razon FROM F947RPCAB WHERE num_doc_ret = '10412345679'")->isNull(),
        true);

    session.OperationMode = 1;
    session.listRow = {"20100070970", "", "072010"};
    Frm947 reopened(session);
    reopened.load();
    EXPECT_EQ(staged(), typed);
    EXPECT_EQ(reopened.box(401), "105");
    EXPECT_EQ(reopened.subjects()[0].razon, "QUISPE MAMANI ANA MARIA");
}
