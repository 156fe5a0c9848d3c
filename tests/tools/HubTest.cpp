#include "tools/hub/Environment.h"

#include "common/Database.h"
#include "common/FieldRules.h"
#include "common/Lookups.h"
#include "common/Parameters.h"
#include "common/Profile.h"

#include "tests/support/SampleEnvironment.h"
#include "tests/support/ScriptedMessages.h"

using namespace ret;

namespace {

class HubTest : public test::OnEachEngine<test::EnvironmentTest> {
protected:
    void SetUp() override {
        layOut("ANA");
        if (ready())
            db = open();
    }
    int users(const QString& name) {
        return open()->scalar("SELECT count(*) FROM CLAVES WHERE usuario = ?", {name})->toInt();
    }
    std::unique_ptr<Database> db;
    test::ScriptedMessages messages;
    FieldRules rules{messages};
};

RET_ON_BOTH_ENGINES(HubTest);

// On a server the database lies outside the environment's directory: a new directory does not
// make a database already set up an empty one.
class HubOnServerTest : public HubTest {};

INSTANTIATE_TEST_SUITE_P(Engines, HubOnServerTest, ::testing::Values(test::Engine::Postgres),
                         test::engineName);

} // namespace

TEST_P(HubTest, SampleRowsAreWhatTheModuleReads) {
    // the user's contributors are valid RUC holders and are offered for a new declaration
    const SqlText q = SqlContribuyentes(*db, "0947", "ANA");
    Cursor c = db->query(q.sql, q.params);
    int offered = 0;
    while (c.next()) {
        ++offered;
        EXPECT_TRUE(rules.IsValidRuc(c.text(1))) << c.text(1).toStdString();
        EXPECT_TRUE(ValidaDocumento(*db, rules, "6", c.text(1)));
    }
    EXPECT_EQ(offered, 3);
    EXPECT_EQ(TipoUsuario(*db, "ANA"), "1");

    for (int code : {151, 152, 1, 221, 3, 853, 854, 855, 239, 857, 859, 868, 228})
        EXPECT_FALSE(DescripcionError(*db, code).isEmpty()) << code;

    const auto ruc = LeeParametro(*db, "044", "6");
    ASSERT_TRUE(ruc.has_value());
    EXPECT_EQ(ParamField(*ruc, 32, 12), "RUC");
    EXPECT_EQ(ParamField(*ruc, 46, 2), "11");
    EXPECT_EQ(ParamField(*ruc, 130, 1), "1");
    EXPECT_TRUE(LeeParametro(*db, "004", "00").has_value());
    EXPECT_EQ(ParamField(*LeeParametro(*db, "004", "02"), 38, 12), "BCS");
    EXPECT_EQ(ParamField(*LeeParametro(*db, "998", "0304020201103"), 3, 4), "0.18");
}

TEST_P(HubTest, AnExistingEnvironmentIsKeptUnlessForced) {
    db->execute("INSERT INTO CLAVES VALUES ('OTRO', '1')");
    db.reset();
    hub::InitOptions o;
    o.directory = path("velkar");
    o.profilePath = path("HUB000.INI");
    o.user = "ANA";
    o.server = environment->server();
    QString msg;
    QTextStream err(&msg);
    EXPECT_FALSE(hub::prepareEnvironment(o, err));
    EXPECT_EQ(users("OTRO"), 1);
    o.force = true;
    EXPECT_TRUE(hub::prepareEnvironment(o, err)) << msg.toStdString();
    EXPECT_EQ(users("OTRO"), 0);
    EXPECT_EQ(users("ANA"), 1);
}

TEST_P(HubOnServerTest, AServerDatabaseThatHoldsAnEnvironmentIsKeptUnlessForced) {
    db->execute("INSERT INTO CLAVES VALUES ('OTRO', '1')");
    db.reset();
    hub::InitOptions o;
    o.directory = path("otro/velkar");
    o.profilePath = path("otro/HUB000.INI");
    o.user = "ANA";
    o.server = environment->server();
    QString msg;
    QTextStream err(&msg);
    EXPECT_FALSE(hub::prepareEnvironment(o, err));
    EXPECT_TRUE(msg.contains("already holds tables")) << msg.toStdString();
    EXPECT_EQ(users("OTRO"), 1);
    EXPECT_FALSE(QFileInfo::exists(o.profilePath));
    o.force = true;
    EXPECT_TRUE(hub::prepareEnvironment(o, err)) << msg.toStdString();
    EXPECT_EQ(users("OTRO"), 0);
    EXPECT_EQ(users("ANA"), 1);
    EXPECT_EQ(Profile(o.profilePath).read("Options", "DBServer"), o.server);
}
