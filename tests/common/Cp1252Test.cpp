#include "common/Cp1252.h"

#include <gtest/gtest.h>

using namespace ret;

TEST(Cp1252, RoundTripsSpanishLettersAndTheEuroSign) {
    const QString text = QString::fromUtf8("ÑANDÚ Ó € ñ");
    const QByteArray bytes = cp1252::encode(text);
    EXPECT_EQ(bytes, QByteArray("\xD1"
                                "AND\xDA \xD3 \x80 \xF1"));
    QString back;
    ASSERT_TRUE(cp1252::decodeStrict(bytes, back));
    EXPECT_EQ(back, text);
}

TEST(Cp1252, StrictDecodeRefusesNulAndUndefinedBytes) {
    QString out;
    EXPECT_FALSE(cp1252::decodeStrict(QByteArray("ab\0c", 4), out));
    EXPECT_FALSE(cp1252::decodeStrict(QByteArray("a\x81"
                                                 "b"),
                                      out));
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(cp1252::decode(QByteArray("a\x81")), QString("a") + QChar(0x81));
}

TEST(Cp1252, CodesOfCharacters) {
    EXPECT_EQ(cp1252::code(QChar('A')), 65);
    EXPECT_EQ(cp1252::code(QChar(0x00D1)), 0xD1); // Ñ
    EXPECT_EQ(cp1252::code(QChar(0x20AC)), 0x80); // €
    EXPECT_EQ(cp1252::code(QChar(0x4E2D)), '?');  // outside the code page
    EXPECT_EQ(cp1252::encode(QString(QChar(0x4E2D))), QByteArray("?"));
}
