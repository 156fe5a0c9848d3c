// The road of a declaration (set-up, import and save, check, sending, printing), run as real
// programs on the embedded file and on a PostgreSQL server: the same tables, check values and
// files on both.
#include "common/Connection.h"
#include "common/Schema.h"

#include "tests/support/Engines.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <map>

namespace {

using ret::test::Engine;

// Columns two correct runs fill differently: the sending's random control and the check value
// computed over it, and the times of the register and of the sending numbers.
bool leftAside(const QString& table, const QString& column) {
    static const std::map<QString, QStringList> columns = {
        {"HCAB", {"control", "cNumero"}},
        {"SPOOL", {"Fecha"}},
    };
    const auto it = columns.find(table);
    return it != columns.end() && it->second.contains(column, Qt::CaseInsensitive);
}

// A report prints the time it was made: the one part of a file that two runs differ in.
QByteArray withoutTimeOfDay(QByteArray bytes) {
    static const QRegularExpression time(QStringLiteral("\\b[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\b"));
    return QString::fromLatin1(bytes).replace(time, QStringLiteral("hh:mm:ss")).toLatin1();
}

struct RoadResult {
    std::map<QString, QStringList> tables; // table -> sorted rows, typed and written one way
    std::map<QString, QByteArray> files;   // report and temporary files by name
    QString log;                           // what the programs said, when one failed
};

class Road {
public:
    explicit Road(Engine engine) : engine_(engine) {}

    RoadResult travel() {
        RoadResult r;
        auto db = engine_.create();
        if (!db) {
            r.log = QStringLiteral("no test server");
            return r;
        }
        QStringList init = {"init", dir("velkar"), "--ini", dir("HUB000.INI")};
        if (engine_.engine() == Engine::Postgres)
            init << "--server" << connectionOf(*db);
        db.reset();
        const QString record = "0620100070970    09472010070";
        for (const QStringList& args :
             {init,
              QStringList{"retdecl", "--import", dir("velkar/import"), "20100070970", "201007",
                          "--save"},
              QStringList{"retcheck", record}, QStringList{"hub", "send", "20100070970", "201007"},
              QStringList{"retdecl", "--print", "20100070970", "201007", "declaracion", "--pdf",
                          dir("d.pdf")},
              QStringList{"retdecl", "--print", "20100070970", "201007", "anexos", "--pdf",
                          dir("a.pdf")}}) {
            const QStringList command = args.first() == "init" ? QStringList{"hub"} + args : args;
            if (!runs(command, r.log))
                return r;
        }
        read(r);
        return r;
    }

private:
    QString dir(const QString& name) const { return tmp_.filePath(name); }

    QString connectionOf(ret::Database& db) const {
        return qEnvironmentVariable("RET_TEST_PG") +
               " dbname=" + db.scalar("SELECT current_database()")->toString();
    }

    bool runs(const QStringList& command, QString& log) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RET_HEADLESS", "1");
        env.insert("HUB000_INI", dir("HUB000.INI"));
        env.insert("XDG_RUNTIME_DIR", tmp_.path());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(RET_BIN_DIR "/") + command.first(), command.mid(1));
        p.waitForFinished(120000);
        log += command.join(' ') + " -> " + QString::number(p.exitCode()) + "\n" +
               QString::fromUtf8(p.readAllStandardOutput()) +
               QString::fromUtf8(p.readAllStandardError());
        // the sample import refuses three lines on purpose
        return p.exitStatus() == QProcess::NormalExit &&
               (p.exitCode() == 0 || (command[1] == "--import" && p.exitCode() == 1));
    }

    void read(RoadResult& r) const {
        const ret::Configuration config =
            ret::ReadConfiguration(ret::Deliverable::MainProgram, ret::Profile(dir("HUB000.INI")));
        auto db = ret::OpenConfiguredDatabase(config);
        std::vector<ret::TableDef> tables = ret::moduleTables();
        for (const ret::TableDef& t : ret::integratorTables())
            tables.push_back(t);
        for (const ret::TableDef& t : tables) {
            QStringList& rows = r.tables[t.name];
            ret::Cursor c = db->query("SELECT * FROM " + t.name);
            while (c.next()) {
                const QVariantList row = ret::typedRow(t, c.record());
                QStringList fields;
                for (size_t i = 0; i < t.columns.size(); ++i) {
                    if (!leftAside(t.name, t.columns[i].name))
                        fields << t.columns[i].name + "=" + ret::canonicalValue(row[qsizetype(i)]);
                }
                rows << fields.join('|');
            }
            rows.sort();
        }
        for (const char* sub : {"velkar/RPT", "velkar/TMP"}) {
            for (const QString& f : QDir(dir(sub)).entryList(QDir::Files)) {
                QFile file(dir(sub) + "/" + f);
                if (file.open(QIODevice::ReadOnly))
                    r.files[QString(sub) + "/" + f] = withoutTimeOfDay(file.readAll());
            }
        }
    }

    ret::test::EngineDatabase engine_;
    QTemporaryDir tmp_;
};

} // namespace

TEST(EnginesRoadTest, TheRoadOfADeclarationLeavesTheSameOnBothEngines) {
    if (!ret::test::testServerThere())
        return ret::test::skipOrFailWithoutTestServer();
    Road onFile(Engine::Sqlite);
    Road onServer(Engine::Postgres);
    const RoadResult file = onFile.travel();
    const RoadResult server = onServer.travel();
    ASSERT_FALSE(file.tables.empty()) << file.log.toStdString();
    ASSERT_FALSE(server.tables.empty()) << server.log.toStdString();
    for (const auto& [table, rows] : file.tables) {
        SCOPED_TRACE(table.toStdString());
        EXPECT_EQ(server.tables.at(table), rows);
    }
    EXPECT_FALSE(file.tables.at("HCAB").isEmpty()); // the road went as far as the sending
    // the reports, the summary and the import's files, byte for byte
    ASSERT_EQ(server.files.size(), file.files.size());
    for (const auto& [name, bytes] : file.files) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(server.files.count(name));
        EXPECT_EQ(server.files.at(name), bytes);
    }
}
