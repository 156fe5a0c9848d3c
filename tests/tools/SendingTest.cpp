#include "tools/hub/Sending.h"

#include "common/RowCheck.h"
#include "common/Schema.h"
#include "tools/hub/Environment.h"
#include "tools/retsetup/Installer.h"

#include "tests/support/SampleEnvironment.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/tools/Declarations.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

using namespace ret;

namespace {

const QString kRuc = QStringLiteral("20100070970");
const QDate kToday(2024, 4, 15);

const std::pair<const char*, const char*> kCopies[] = {
    {"CAB", "HCAB"},
    {"DET", "HDET"},
    {"F947RPCAB", "HF947RPCAB"},
    {"F947RPDET", "HF947RPDET"},
    {"F947RPDETDET", "HF947RPDETDET"},
};

class SendingTest : public test::OnEachEngine<test::EnvironmentTest> {
protected:
    void SetUp() override {
        layOut("ANA");
        if (!ready())
            return;
        test::ScriptedMessages messages;
        ASSERT_EQ(setup::Installer(Profile(path("HUB000.INI")), messages).run(), 0);
        db = open();
        test::insertDeclaration(*db, kRuc, "202403");
        test::insertDeclaration(*db, kRuc, "202402");
        test::insertDeclaration(*db, kRuc, "202401", "0621");
    }

    hub::SendResult send(const QString& period) {
        return hub::sendDeclaration(*db, kRuc, period, kToday);
    }

    // The rows of a table for one period (and one correl in a history table), typed.
    std::vector<QVariantList> rows(const QString& table, const QString& period,
                                   const QString& correl = {}) {
        const TableDef& t = tableDef(table);
        QString sql = "SELECT * FROM " + t.name + " WHERE periodo = ?";
        QVariantList params{period};
        if (!correl.isEmpty()) {
            sql += " AND correl = ?";
            params << correl;
        }
        std::vector<QVariantList> out;
        Cursor c = db->query(sql, params);
        while (c.next())
            out.push_back(typedRow(t, c.record()));
        return out;
    }

    // The values of `rows` (of `from`) in the columns both tables share, one text per row,
    // sorted, leaving out the check value and the columns a sending sets.
    static QStringList shared(const TableDef& from, const TableDef& other,
                              const std::vector<QVariantList>& rows) {
        QStringList out;
        for (const QVariantList& row : rows) {
            QStringList values;
            for (size_t i = 0; i + 1 < from.columns.size(); ++i) {
                const QString name = from.columns[i].name;
                if (other.indexOf(name) >= 0 && name.compare("estado", Qt::CaseInsensitive) != 0)
                    values << name.toLower() + "=" + row[qsizetype(i)].toString();
            }
            out << values.join('|');
        }
        out.sort();
        return out;
    }

    int historyRows() {
        int n = 0;
        for (const auto& [from, to] : kCopies)
            n += db->scalar(QStringLiteral("SELECT count(*) FROM ") + to)->toInt();
        return n;
    }

    std::unique_ptr<Database> db;
};

RET_ON_BOTH_ENGINES(SendingTest);

} // namespace

TEST_P(SendingTest, EveryRowOfTheDeclarationIsCopiedUnderTheFirstCorrel) {
    const hub::SendResult r = send("202403");
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.correl, "001");
    EXPECT_TRUE(QRegularExpression("^[1-9][0-9]{7}$").match(r.control).hasMatch())
        << r.control.toStdString();

    for (const auto& [from, to] : kCopies) {
        SCOPED_TRACE(to);
        const TableDef& source = tableDef(from);
        const TableDef& target = tableDef(to);
        const auto copies = rows(to, "202403", "001");
        EXPECT_FALSE(copies.empty());
        EXPECT_EQ(shared(target, source, copies), shared(source, target, rows(from, "202403")));
        for (const QVariantList& row : copies) {
            EXPECT_EQ(row.back().toString(), CalculaCNumero(row, target.checkKeyLength))
                << QVariant(row).toStringList().join('|').toStdString();
        }
    }
    // only the declaration asked for
    EXPECT_EQ(historyRows(), 1 + 3 + 1 + 1 + 2);

    Cursor c = db->query("SELECT estado, norden, fec_env, control FROM HCAB");
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.value(0).toInt(), 1);
    EXPECT_EQ(c.text(1), "0");
    EXPECT_EQ(c.date("fec_env"), kToday);
    EXPECT_EQ(c.text(3), r.control);
}

TEST_P(SendingTest, EachSendingOfADeclarationTakesItsNextCorrel) {
    const hub::SendResult first = send("202403");
    const hub::SendResult second = send("202403");
    const hub::SendResult other = send("202402");
    ASSERT_TRUE(first.ok && second.ok && other.ok);
    EXPECT_EQ(first.correl, "001");
    EXPECT_EQ(second.correl, "002");
    EXPECT_EQ(other.correl, "001"); // counted per declaration
    EXPECT_NE(first.control, second.control);

    for (const auto& [from, to] : kCopies) {
        SCOPED_TRACE(to);
        const size_t n = rows(from, "202403").size();
        EXPECT_EQ(rows(to, "202403", "001").size(), n); // the first copy stays
        EXPECT_EQ(rows(to, "202403", "002").size(), n);
        EXPECT_EQ(rows(to, "202402", "001").size(), n);
    }
    EXPECT_EQ(db->scalar("SELECT control FROM HCAB WHERE periodo = '202403' AND correl = '001'")
                  ->toString(),
              first.control);

    // a copy made by hand further on is counted too
    db->execute("UPDATE HCAB SET correl = '041' WHERE periodo = '202402'");
    EXPECT_EQ(send("202402").correl, "042");
}

TEST_P(SendingTest, NothingIsWrittenWhenTheSendingFails) {
    struct Case {
        const char* what;
        QString period;
        const char* dropped; // a history table missing, so that the sending fails part-way
    } cases[] = {
        {"no declaration for the period", "202312", nullptr},
        {"a declaration of another form only", "202401", nullptr},
        {"the last copy fails", "202403", "HF947RPDETDET"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.dropped)
            db->execute(QStringLiteral("DROP TABLE ") + c.dropped);
        const hub::SendResult r = send(c.period);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.isEmpty());
        EXPECT_EQ(r.correl, QString());
        if (!c.dropped) {
            EXPECT_TRUE(r.error.contains(kRuc) && r.error.contains(c.period))
                << r.error.toStdString();
            EXPECT_EQ(historyRows(), 0);
        } else {
            for (const char* t : {"HCAB", "HDET", "HF947RPCAB", "HF947RPDET"})
                EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM ") + t)->toInt(), 0) << t;
        }
        EXPECT_FALSE(db->inTransaction());
    }
}

namespace {

// A stand-in for one of the send tools: a shell script that records the command line it was
// given and then runs `then`.
void writeTool(const QString& file, const QString& records, const QString& then) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QString("#!/bin/sh\necho \"$1\" >> '%1'\n%2\nexit 0\n").arg(records, then).toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
}

} // namespace

TEST_P(SendingTest, ASendingThatStartsWhileAnotherRunsTakesTheNextNumber) {
    // while the first sending's check runs, a second sending is made from start to end
    QDir().mkpath(path("tools"));
    const QString inner = path("inner.out");
    writeTool(path("tools/retcheck"), path("checked.txt"),
              QString("'%1/hub' send %2 202402 --ini '%3' > '%4' 2>&1")
                  .arg(RET_BIN_DIR, kRuc, path("HUB000.INI"), inner));
    writeTool(path("tools/retsumm"), path("summarized.txt"), QString());

    const hub::SendingOutcome outer =
        hub::sendWithChecks(path("HUB000.INI"), kRuc, "202403", path("tools"));
    ASSERT_TRUE(outer.sent) << outer.text.toStdString();
    const QString innerOut = QString::fromUtf8(readFile("inner.out"));
    const auto summary =
        QRegularExpression("Resumen: .*09472024020([0-9]{8})\\.TXT").match(innerOut);
    ASSERT_TRUE(summary.hasMatch()) << innerOut.toStdString();

    // the record the first sending gave its summary ends in its sending number
    const QString record = QString::fromUtf8(readFile("summarized.txt")).trimmed();
    EXPECT_EQ(record.left(28), "0620100070970    09472024030");
    EXPECT_NE(record.mid(28), summary.captured(1));
    EXPECT_EQ(db->scalar("SELECT count(*) FROM HCAB")->toInt(), 2);
}
