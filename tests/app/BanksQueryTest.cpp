#include "tests/app/AppEnvironment.h"

#include "app/BanksQuery.h"

using namespace ret;
using namespace ret::test;

namespace {

class BanksQueryTest : public AppEnvironment {
protected:
    void SetUp() override {
        AppEnvironment::SetUp();
        session.QueryKind = "B";
    }
    static QStringList column(const BanksQuery& q, int c) {
        QStringList out;
        for (int r = 0; r < q.rowCount(); ++r)
            out << q.displayText(r, c);
        return out;
    }
};

} // namespace

TEST_F(BanksQueryTest, ListsTheBanksByCodeWithoutTheNoBankRow) {
    const QString longName = "BANCO DE LOS AGRICULTORES Y GANADEROS DEL ALTIPLANO";
    insert("PARAM", {{"numero", "004"}, {"argumento", "05"}, {"funcion", longName}});
    insert("PARAM", {{"numero", "004"}, {"argumento", " 00 "}, {"funcion", "TAMPOCO"}});
    insert("PARAM", {{"numero", "044"}, {"argumento", "09"}, {"funcion", "NO ES UN BANCO"}});

    BanksQuery q(session);
    q.load();

    EXPECT_EQ(q.caption(), "Bancos");
    EXPECT_EQ(q.columns()[0].caption, "Código");
    EXPECT_EQ(q.columns()[1].caption, "Descripción");
    EXPECT_EQ(column(q, 0), QStringList({"01", "02", "03", "05", "11", "41"}));
    EXPECT_EQ(q.displayText(3, 1), longName.left(36));
    EXPECT_EQ(q.displayText(1, 1).trimmed(), "BANCO DE CRÉDITO DEL SUR");
    EXPECT_TRUE(q.gridEnabled());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BanksQueryTest, WithoutBanksTheGridIsDisabled) {
    db->execute("DELETE FROM PARAM WHERE numero='004' AND argumento<>'00'");
    BanksQuery q(session);
    q.load();
    EXPECT_EQ(q.rowCount(), 0);
    EXPECT_FALSE(q.gridEnabled());

    db->execute("DELETE FROM PARAM WHERE numero='004'");
    q.load();
    EXPECT_FALSE(q.gridEnabled());
}

TEST_F(BanksQueryTest, EachLoadReadsTheTableAfresh) {
    BanksQuery q(session);
    q.load();
    ASSERT_EQ(q.rowCount(), 5);
    db->execute("DELETE FROM PARAM WHERE numero='004' AND argumento='41'");
    q.load();
    EXPECT_EQ(column(q, 0), QStringList({"01", "02", "03", "11"}));
}
