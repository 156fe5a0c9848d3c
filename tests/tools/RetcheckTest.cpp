#include "common/Decimal.h"
#include "declaration/DeclarationStore.h"
#include "tools/retcheck/Checks.h"

#include "tests/support/SampleDeclaration.h"
#include "tests/support/SampleEnvironment.h"

using namespace ret;
using namespace ret::check;

namespace {

const QString kRuc = "20100070970";

class RetcheckTest : public test::OnEachEngine<test::SampleEnvironmentTest> {
protected:
    void SetUp() override {
        SampleEnvironmentTest::SetUp();
        if (!ready())
            return;
        declaration = std::make_unique<test::SampleDeclaration>(*db);
    }
    void resave() { declaration->save(); }
    QStringList check(const QString& period = "201007") {
        CommandRecord r;
        r.documentType = "06";
        r.documentNumber = kRuc;
        r.form = "0947";
        r.period = period;
        QStringList texts;
        for (const Inconsistency& i : runChecks(*db, r))
            texts << i.text;
        return texts;
    }
    void setBox(const char* code, const QString& value) {
        db->execute("UPDATE DET SET i_valor = ? WHERE casilla = ?", {value, QString(code)});
    }
    std::unique_ptr<test::SampleDeclaration> declaration;
};

RET_ON_BOTH_ENGINES(RetcheckTest);

const QString kLevel1 = QString::fromUtf8("del detalle de retenciones por sujeto de retención");
const QString kLevel2 = QString::fromUtf8("de los comprobantes de retención emitidos - con CDP");
const QString kLevel3 = QString::fromUtf8("del detalle de comprobantes de pago involucrado");

} // namespace

TEST_P(RetcheckTest, ADeclarationSavedByTheWindowIsConsistent) {
    EXPECT_EQ(check(), QStringList());
}

TEST_P(RetcheckTest, EachBoxAgainstItsDetail) {
    struct Case {
        const char* box;
        const char* value;
        QString entry;
    } cases[] = {
        {"502", "1210",
         ") El valor de la casilla 502 no coincide con el monto total cobrado " + kLevel1 + "."},
        {"503", "75",
         QString::fromUtf8(
             ") El valor de la casilla 503 no coincide con el importe de retención ") +
             kLevel1 + "."},
        {"501", "3", ") La cantidad de registros de la casilla 501 no coincide " + kLevel1 + "."},
        {"511", "1190",
         ") El monto total cobrado " + kLevel2 +
             QString::fromUtf8(" no coincide con lo registrado en la declaración.")},
        {"512", "70",
         ") El monto total percibido " + kLevel2 +
             QString::fromUtf8(" no coincide con lo registrado en la declaración.")},
        {"510", "2", ") La cantidad de registros de la casilla 510 no coincide " + kLevel2 + "."},
        {"514", "1",
         ") El monto total cobrado " + kLevel3 +
             QString::fromUtf8(" no coincide con lo registrado en la declaración.")},
        {"513", "4", ") La cantidad de registros de la casilla 513 no coincide " + kLevel3 + "."},
        {"401", "73",
         QString::fromUtf8(") El total percibido del detalle del sujeto de retención no coincide "
                           "con la casilla 401.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        const QString before =
            db->scalar("SELECT i_valor FROM DET WHERE casilla = ?", {QString(c.box)})->toString();
        setBox(c.box, c.value);
        EXPECT_EQ(check(), QStringList({c.entry}));
        setBox(c.box, before);
    }
}

TEST_P(RetcheckTest, TheRoundingWindow) {
    // 1000 lies between 1000.60 less one and plus one, each rounded (1000 and 1002)
    db->execute("UPDATE F947RPCAB SET mto_base_rp = '1000.60' WHERE num_doc_ret = '20512345671'");
    db->execute("UPDATE F947RPCAB SET mto_base_rp = '0' WHERE num_doc_ret = '10412345679'");
    setBox("502", "1000");
    QStringList found = check();
    EXPECT_FALSE(found.contains(
        ") El valor de la casilla 502 no coincide con el monto total cobrado " + kLevel1 + "."));
    db->execute("UPDATE F947RPCAB SET mto_base_rp = '1001.60' WHERE num_doc_ret = '20512345671'");
    found = check();
    EXPECT_TRUE(found.contains(
        ") El valor de la casilla 502 no coincide con el monto total cobrado " + kLevel1 + "."));
}

TEST_P(RetcheckTest, DetailLevelsAgainstOneAnother) {
    struct Case {
        QStringList changes;
        QStringList entries;
    } cases[] = {
        {{"UPDATE F947RPDET SET mto_base_rp = '600.30' WHERE num_doc_ret = '20512345671' AND "
          "num_cp = '00000001'"},
         {") El monto total cobrado " + kLevel2 +
              QString::fromUtf8(" no coincide con lo registrado en la declaración."),
          ") El total cobrado de comprobantes emitidos no coincide con el total cobrado en el "
          "detalle del sujeto de retención.",
          QString::fromUtf8(") La base imponible del sujeto de retención no coincide con la base "
                            "imponible del comprobante de retención emitido.")}},
        {{"DELETE FROM F947RPCAB WHERE num_doc_ret = '10412345679'"},
         {") El valor de la casilla 502 no coincide con el monto total cobrado " + kLevel1 + ".",
          QString::fromUtf8(
              ") El valor de la casilla 503 no coincide con el importe de retención ") +
              kLevel1 + ".",
          ") La cantidad de registros de la casilla 501 no coincide " + kLevel1 + ".",
          QString::fromUtf8(") El total percibido del detalle del sujeto de retención no coincide "
                            "con la casilla 401."),
          ") El total cobrado de comprobantes emitidos no coincide con el total cobrado en el "
          "detalle del sujeto de retención.",
          QString::fromUtf8(") El total percibido de comprobantes emitidos no coincide con lo "
                            "percibido en el detalle del sujeto de retención."),
          QString::fromUtf8(
              ") No existe información de detalle de comprobantes emitidos con CDP.")}},
        {{"DELETE FROM F947RPDETDET WHERE num_doc_ret = '10412345679'"},
         {") El monto total cobrado " + kLevel3 +
              QString::fromUtf8(" no coincide con lo registrado en la declaración."),
          ") La cantidad de registros de la casilla 513 no coincide " + kLevel3 + ".",
          QString::fromUtf8(") Existen comprobantes de retención emitidos con CDP- pero no existe "
                            "el CDP involucrado.")}},
        {{"INSERT INTO F947RPDETDET VALUES (6, '20100070970', '201007', '0947', '10412345679', "
          "'E009', '00000077', '01', 'F001', '00000001', '2010-07-01', '0', '000000')"},
         {") La cantidad de registros de la casilla 513 no coincide " + kLevel3 + ".",
          QString::fromUtf8(") Existe el CDP involucrado-pero no existe el comprobante de "
                            "retención emitido con CDP.")}},
        // without the rectification box only the detail comparisons run
        {{"DELETE FROM DET WHERE casilla = '005'",
          "UPDATE DET SET i_valor = '1' WHERE casilla = '502'"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.changes.join("; ").toStdString());
        for (const QString& sql : c.changes)
            db->execute(sql);
        EXPECT_EQ(check(), c.entries);
        resave();
    }
}

TEST_P(RetcheckTest, AMissingDeclarationReportsItsMissingDetail) {
    EXPECT_EQ(
        check("201001"),
        QStringList(
            {QString::fromUtf8(
                 ") No existe información de detalle de retenciones por sujetos de retención."),
             QString::fromUtf8(
                 ") No existe información de detalle de comprobantes emitidos con CDP."),
             QString::fromUtf8(") Al no existir información de detalle de comprobantes emitidos "
                               "con CDP - no se puede comparar con los CDP involucrados."),
             QString::fromUtf8(") No existe información de comprobantes involucrados.")}));
}

TEST(RetcheckReport, HeaderAndNumberedEntries) {
    const QStringList lines = reportLines({{") Uno.", {"     fila"}}, {") Dos.", {}}}, "0947",
                                          QDateTime(QDate(2010, 8, 5), QTime(9, 7, 3)));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], "05/08/2010" + QString(80, ' ') + "09:07:03");
    EXPECT_EQ(lines[1],
              QString(20, ' ') +
                  QString::fromUtf8(
                      "Resumen de Inconsistencias en Información a Enviar - Formulario 0947"));
    EXPECT_EQ(lines[2], QString(120, '-'));
    EXPECT_EQ(lines[3], "001) Uno.");
    EXPECT_EQ(lines[4], "     fila");
    EXPECT_EQ(lines[5], "002) Dos.");
}

TEST(RetcheckRecord, UnusableRecords) {
    struct Case {
        const char* line;
        bool usable;
    } cases[] = {
        {"0620100070970    09472010070", true},  {"0620100070970    0947201007012345678", true},
        {"0620100070970    094720100", false},   // shorter than the record
        {"0620100 70970    09472010070", false}, // a blank inside the number
        {"06               09472010070", false}, // no number
        {"0620100070970    09472010A70", false}, // not six digits
        {"X620100070970    09472010070", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto r = parseRecord(c.line);
        EXPECT_EQ(std::holds_alternative<CommandRecord>(r), c.usable);
    }
    const auto r = std::get<CommandRecord>(parseRecord("0620100070970    09472010070"));
    EXPECT_EQ(r.baseName(), "062010007097009472010070");
}
