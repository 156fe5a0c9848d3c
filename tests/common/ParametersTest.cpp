#include "common/Parameters.h"

#include <gtest/gtest.h>

#include <set>

using namespace ret;

TEST(Parameters, FieldsByPositionAndLength) {
    const QString rec = QStringLiteral("PROVEEDORES                             1");
    struct Case {
        QString funcion;
        int pos;
        int len;
        QString expected;
    } cases[] = {
        {rec, 1, 40, "PROVEEDORES"},
        {rec, 41, 1, "1"},
        {rec, 42, 1, ""},                    // past the end
        {"PROVEEDORES", 41, 1, ""},          // a record shorter than the position
        {" 0.06 RETENCIONES", 2, 5, "0.06"}, // trimmed
        {"ABC", 2, 10, "BC"},                // shorter than the length
        {"", 1, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.funcion.toStdString());
        EXPECT_EQ(ParamField(c.funcion, c.pos, c.len), c.expected);
    }
    EXPECT_EQ(ParamFieldRaw(" 0.06 R", 1, 6), " 0.06 ");
}

TEST(Parameters, DefaultRucRecord) {
    EXPECT_EQ(kDefaultRucRecord.size(), 130);
    EXPECT_EQ(ParamField(kDefaultRucRecord, 32, 12), "RUC");
    EXPECT_EQ(ParamField(kDefaultRucRecord, 46, 2), "11");
    EXPECT_EQ(ParamField(kDefaultRucRecord, 128, 1), "5");
    EXPECT_EQ(ParamField(kDefaultRucRecord, 130, 1), "0");
}

TEST(Parameters, SeededRowsAreUniqueAndReadAsIntended) {
    std::set<std::pair<QString, QString>> keys;
    for (const auto& r : seededParameters())
        EXPECT_TRUE(keys.insert({r.numero, r.argumento}).second) << r.numero.toStdString();
    EXPECT_EQ(keys.size(), 16u);
    for (const auto& r : seededParameters()) {
        if (r.numero == "233") { // position 63 marks the types allowed for retentions
            EXPECT_EQ(ParamField(r.funcion, 63, 1), "1") << r.argumento.toStdString();
        }
        if (r.numero == "969") {
            EXPECT_EQ(ParamField(r.funcion, 2, 5), "0.06");
        }
        if (r.numero == "971") {
            EXPECT_EQ(ParamField(r.funcion, 41, 1), "1");
        }
        if (r.numero == "856") {
            EXPECT_EQ(ParamField(r.funcion, 20, 3), "790");
            EXPECT_EQ(ParamField(r.funcion, 5, 10), "08/11/2010");
        }
    }
    ASSERT_EQ(reportCodes().size(), 4u);
    EXPECT_EQ(reportCodes()[3].title, QString::fromUtf8("Reporte de Envío  -  0947"));
}
