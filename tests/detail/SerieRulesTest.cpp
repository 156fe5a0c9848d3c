#include "detail/SerieRules.h"

#include "common/FieldRules.h"

#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

using namespace ret;
using serie::Fault;

namespace {

QDate d(const char* ddmmyyyy) {
    return QDate::fromString(QString::fromLatin1(ddmmyyyy), QStringLiteral("dd/MM/yyyy"));
}

} // namespace

TEST(SerieRulesTest, TypedRetentionVoucherByDate) {
    const struct {
        const char* serie;
        const char* date;
        Fault fault;
    } cases[] = {
        {"0001", "18/07/2010", Fault::None},
        {"E001", "18/07/2010", Fault::NotNumeric}, // letters only from 19/07/2010
        {"E001", "19/07/2010", Fault::None},
        {"F001", "20/07/2010", Fault::None},
        {"0001", "19/07/2010", Fault::None},
        {"E01", "19/07/2010", Fault::Incomplete},
        {"0E01", "19/07/2010", Fault::LetterAfterFirst},
        {"FF01", "20/07/2010", Fault::LetterAfterFirst},
        {"E00A", "20/07/2010", Fault::LetterAfterFirst},
        {"*001", "20/07/2010", Fault::FirstNotLetterOrDigit},
        // a letter first is one of A to Z; the enye still counts as a letter after it
        {"Ñ001", "20/07/2010", Fault::FirstNotLetterOrDigit},
        {"ñ001", "20/07/2010", Fault::FirstNotLetterOrDigit},
        {"Á001", "20/07/2010", Fault::FirstNotLetterOrDigit},
        {"0Ñ01", "20/07/2010", Fault::LetterAfterFirst},
        {"12", "01/07/2010", Fault::None}, // numeric: the width is the field's business
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.serie) + " " + c.date);
        EXPECT_EQ(serie::retentionFault(c.serie, d(c.date)), c.fault);
    }
}

TEST(SerieRulesTest, TypedPaymentVoucherByTypeAndDate) {
    const struct {
        const char* tipo;
        const char* serie;
        const char* date;
        Fault fault;
    } cases[] = {
        {"01", "F001", "20/07/2010", Fault::None},
        {"07", "F001", "20/07/2010", Fault::None},
        {"08", "F001", "20/07/2010", Fault::None},
        {"01", "FF01", "20/07/2010", Fault::LetterAfterFirst},
        {"01", "F01", "20/07/2010", Fault::Incomplete},
        {"07", "Ñ001", "20/07/2010", Fault::FirstNotLetterOrDigit},
        {"01", "E001", "18/07/2010", Fault::NotNumeric},
        {"12", "E001", "20/07/2010", Fault::NotNumeric}, // till receipts: digits only
        {"99", "A001", "20/07/2010", Fault::NotNumeric},
        {"12", "0001", "20/07/2010", Fault::None},
        {"1", "F001", "20/07/2010", Fault::None}, // the type by its two-digit code
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tipo) + " " + c.serie + " " + c.date);
        EXPECT_EQ(serie::paymentFault(c.tipo, c.serie, d(c.date)), c.fault);
    }
}

TEST(SerieRulesTest, ImportRetentionVoucherByDate) {
    const struct {
        const char* serie;
        const char* date;
        bool allowed;
    } cases[] = {
        {"E001", "15/07/2010", true}, // electronic series from 2009 on
        {"E001", "01/01/2009", true},  {"E001", "15/12/2008", false},
        {"F001", "15/07/2010", false}, // other letters only from 19/07/2010
        {"0001", "15/12/2008", true},  {"F001", "20/07/2010", true},
        {"FF01", "20/07/2010", false}, {"E001", "19/07/2010", true},
        {"Ñ001", "20/07/2010", false}, {"Ñ001", "15/07/2010", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.serie) + " " + c.date);
        EXPECT_EQ(serie::importRetentionAllowed(c.serie, d(c.date)), c.allowed);
    }
}

TEST(SerieRulesTest, ImportPaymentVoucherByTypeAndDate) {
    const struct {
        const char* tipo;
        const char* serie;
        const char* date;
        bool allowed;
    } cases[] = {
        {"01", "E001", "15/07/2010", true},
        {"12", "E001", "15/07/2010", false}, // no electronic till receipts
        {"01", "E001", "15/12/2008", false},
        {"01", "E000", "15/07/2010", false},
        {"01", "F001", "15/07/2010", false},
        {"01", "0001", "15/12/2008", true},
        {"01", "F001", "20/07/2010", true},
        {"07", "FF01", "20/07/2010", false},
        {"01", "Ñ001", "20/07/2010", false},
        {"08", "Ñ001", "15/07/2010", false},
        {"12", "FF01", "20/07/2010", true}, // other types have no serie rule from then on
        {"99", "A001", "20/07/2010", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tipo) + " " + c.serie + " " + c.date);
        EXPECT_EQ(serie::importPaymentAllowed(c.tipo, c.serie, d(c.date)), c.allowed);
    }
}

TEST(SerieRulesTest, TheMessagesOfTheFaults) {
    EXPECT_EQ(serie::faultMessage(Fault::FirstNotLetterOrDigit),
              QString::fromUtf8("Desde el 2010/07/19sólo se permite letras o dígitos en la "
                                "primera posición del número de serie"));
    EXPECT_EQ(serie::faultMessage(Fault::NotNumeric),
              QString::fromUtf8("El número de serie debe ser numérico"));
    EXPECT_EQ(serie::faultMessage(Fault::Incomplete),
              QString::fromUtf8("Debe registrar correctamente el número de serie."));
    EXPECT_EQ(serie::faultMessage(Fault::LetterAfterFirst),
              QString::fromUtf8("No se permite letras desde la segunda a la cuarta posición en "
                                "el número de serie."));
    EXPECT_TRUE(serie::faultMessage(Fault::None).isEmpty());
}

TEST(SerieRulesTest, KeysTypedInASerie) {
    test::ScriptedMessages messages;
    const FieldRules rules(messages);
    const struct {
        const char* serie;
        int caret;
        bool selection;
        int key;
        bool letters;
        int result;
    } cases[] = {
        {"", 0, false, 'e', true, 'E'},  // converted to capitals
        {"E", 1, false, '0', true, '0'}, // digits after the letter
        {"E", 1, false, 'F', true, 0},   // no letter from the second character on
        {"0", 1, false, 'E', true, 0},
        {"E01", 0, false, '1', true, 0},  // nothing before a leading letter
        {"E01", 0, true, 'F', true, 'F'}, // unless it replaces a selection
        {"001", 0, false, 'E', true, 'E'},
        {"E0", 2, false, 8, true, 8},
        {"", 0, false, '.', true, 0},
        {"", 0, false, ' ', true, 0},
        {"", 0, false, '-', true, 0},
        {"", 0, false, 'E', false, 0}, // digits only for the other types
        {"", 0, false, '7', false, '7'},
        {"1", 1, false, 8, false, 8},
        {"1", 1, false, '.', false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.serie) + " key " + char(c.key));
        EXPECT_EQ(serie::filterKey(rules, c.serie, c.caret, c.selection, c.key, c.letters),
                  c.result);
    }
    EXPECT_EQ(serie::padOnLeave(rules, "12"), "0012");
    EXPECT_EQ(serie::padOnLeave(rules, "E1"), "E1");
    EXPECT_EQ(serie::padOnLeave(rules, ""), "");
}
