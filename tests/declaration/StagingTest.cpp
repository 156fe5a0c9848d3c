// Two sessions of the main program on one database: each stages its own declaration.
#include "tests/support/SampleEnvironment.h"

#include "common/Connection.h"
#include "declaration/DeclarationStore.h"
#include "detail/SubjectStore.h"

#include <QDate>

namespace {

using ret::Database;

class StagingTest : public ret::test::SampleEnvironmentTest {
protected:
    // A session as the program opens it, through the connection procedure.
    std::unique_ptr<Database> openSession() {
        const ret::Profile profile(path("HUB000.INI"));
        auto opened = ret::OpenSharedDatabase(ret::Deliverable::MainProgram, session.config,
                                              profile, messages);
        EXPECT_NE(opened, nullptr) << texts().join('|').toStdString();
        return opened;
    }

    static void stageSubject(Database& db, const QString& ruc) {
        ret::SubjectRecord r;
        r.ruc = ruc;
        r.company = true;
        r.razon = QStringLiteral("SUJETO ") + ruc;
        r.count = QStringLiteral("1");
        r.base = QStringLiteral("100");
        r.retencion = QStringLiteral("6");
        ASSERT_EQ(ret::writeSubject(db, r, true), ret::SubjectWrite::Written);
        db.execute("INSERT INTO TMPF947RPDET VALUES ('R', 6, ?, 'E001', '1', ?, '100', '', '6')",
                   {ruc, QDate(2010, 7, 5)});
        db.execute("INSERT INTO TMPF947RPDETDET VALUES (?, 'E001', '1', '01', 'F001', '9', ?, "
                   "'100')",
                   {ruc, QDate(2010, 7, 1)});
    }

    static QStringList staged(Database& db) {
        QStringList rucs;
        for (const auto& s : ret::stagedSubjects(db))
            rucs << s.ruc;
        return rucs;
    }

    static ret::SaveInput declarationOf(const QString& ruc) {
        ret::SaveInput in;
        in.id.ruc = ruc;
        in.id.period = QStringLiteral("201007");
        in.rectification = QStringLiteral("0");
        in.modalityCode = QStringLiteral("01");
        in.retentionRate = QStringLiteral("0.06");
        in.subjectCount = QStringLiteral("1");
        return in;
    }

    QStringList savedSubjects(const QString& declarant) {
        QStringList rucs;
        ret::Cursor c = db->query("SELECT num_doc_ret FROM F947RPCAB WHERE doc_id_d = ? "
                                  "ORDER BY num_doc_ret",
                                  {declarant});
        while (c.next())
            rucs << c.text(0);
        return rucs;
    }
};

TEST_F(StagingTest, EachSessionStagesAndSavesOnlyItsOwnDeclaration) {
    auto first = openSession();
    auto second = openSession();
    ASSERT_TRUE(first && second);

    // each opens a new declaration, which empties the staging, and types its detail
    ret::loadDetail(*first, declarationOf("20100070970").id);
    stageSubject(*first, "20512345671");
    ret::loadDetail(*second, declarationOf("20601112222").id);
    stageSubject(*second, "20456789014");

    EXPECT_EQ(staged(*first), QStringList{"20512345671"});
    EXPECT_EQ(staged(*second), QStringList{"20456789014"});

    ret::saveDeclaration(*second, declarationOf("20601112222"), QDate(2010, 8, 5));
    ret::saveDeclaration(*first, declarationOf("20100070970"), QDate(2010, 8, 5));
    EXPECT_EQ(savedSubjects("20100070970"), QStringList{"20512345671"});
    EXPECT_EQ(savedSubjects("20601112222"), QStringList{"20456789014"});
    EXPECT_EQ(count("SELECT count(*) FROM F947RPDETDET WHERE doc_id_d = '20100070970'"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM F947RPDETDET WHERE doc_id_d = '20601112222'"), 1);

    // the shared tables that the installer made are left to the integrator
    EXPECT_EQ(count("SELECT count(*) FROM main.TMPF947RPCAB"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM main.TMPF947RPDETDET"), 0);
}

TEST_F(StagingTest, WorkOnTheStagedDeclarationDoesNotWaitForAnotherWriter) {
    auto mine = openSession();
    ASSERT_TRUE(mine);
    ret::loadDetail(*mine, declarationOf("20100070970").id);

    // another program holds the write lock of the shared tables
    ret::OpenOptions quick;
    quick.busyTimeoutMs = 100;
    auto other = Database::open(session.config.databasePath, quick);
    ret::Transaction holding(*other);
    other->execute("UPDATE PARAM SET correl_param = correl_param WHERE numero = '998'");

    stageSubject(*mine, "20512345671");
    ret::deleteSubjectVoucher(*mine, "20512345671", "E001", "1");
    ret::loadDetail(*mine, declarationOf("20601112222").id);
    EXPECT_TRUE(staged(*mine).isEmpty());
}

} // namespace
