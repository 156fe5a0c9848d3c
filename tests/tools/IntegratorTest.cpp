// The integrator's window and how the module sees it.
#include "common/IntegratorPresence.h"
#include "tools/hub/IntegratorWindow.h"

#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QPushButton>
#include <QThread>

using namespace ret;

namespace {

// Sockets go under $TMPDIR: each test gets its own, so that neither another test running at the
// same time nor a real integrator of this user is seen.
class IntegratorTest : public test::TempDirTest {
protected:
    void SetUp() override {
        saved_ = {{"TMPDIR", qgetenv("TMPDIR")}, {"HUB000_INI", qgetenv("HUB000_INI")}};
        qputenv("TMPDIR", tmp.path().toLocal8Bit());
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }
    // Whether CorreApp(title) turns true within the time.
    static bool becomesPresent(const QString& title, int ms) {
        QElapsedTimer t;
        t.start();
        do {
            if (CorreApp(title))
                return true;
            QThread::msleep(50);
        } while (t.elapsed() < ms);
        return false;
    }

private:
    std::vector<std::pair<const char*, QByteArray>> saved_;
};

} // namespace

TEST_F(IntegratorTest, OnlyAListenerOnTheExactTitleCounts) {
    EXPECT_FALSE(CorreApp("Velkar"));
    QLocalServer server;
    ASSERT_TRUE(server.listen(presenceName("Velkar"))) << server.errorString().toStdString();
    EXPECT_TRUE(CorreApp("Velkar"));
    for (const QString& other :
         {QString("Velkar "), QString("velkar"), QString(" Velkar"), QString::fromUtf8("Velkár")})
        EXPECT_FALSE(CorreApp(other)) << other.toStdString();
    server.close();
    EXPECT_FALSE(CorreApp("Velkar"));
}

TEST_F(IntegratorTest, TheWindowIsPresentExactlyWhileShown) {
    // a socket file left by an integrator that was killed does not keep the name taken
    writeFile(presenceName("Velkar"), "");
    test::ScriptedMessages messages;
    hub::IntegratorWindow window("Velkar", path("retdecl"), messages);
    EXPECT_FALSE(CorreApp("Velkar"));
    window.show();
    EXPECT_TRUE(CorreApp("Velkar"));
    window.hide();
    EXPECT_FALSE(CorreApp("Velkar"));
    window.show();
    EXPECT_TRUE(CorreApp("Velkar"));
    window.close();
    EXPECT_FALSE(CorreApp("Velkar"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(IntegratorTest, TheButtonStartsTheDeclarationsProgramOrSaysWhyNot) {
    qputenv("HUB000_INI", path("HUB000.INI").toLocal8Bit());
    const QByteArray script = "#!/bin/sh\nprintf '%s' \"$HUB000_INI\" > \"$0.ran\"\n";
    struct Case {
        const char* what;
        bool present;
        bool executable;
        const char* says; // empty when the program starts
    } cases[] = {
        {"missing", false, false, "no está instalado"},
        {"not executable", true, false, "No se pudo iniciar"},
        {"ready", true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString program = path(QStringLiteral("retdecl-") + c.what);
        if (c.present) {
            writeFile(QFileInfo(program).fileName(), script);
            QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
            if (c.executable)
                p |= QFile::ExeOwner;
            QFile::setPermissions(program, p);
        }
        test::ScriptedMessages messages;
        hub::IntegratorWindow window("Velkar", program, messages);
        auto* button = window.findChild<QPushButton*>();
        ASSERT_NE(button, nullptr);
        button->click();
        if (*c.says) {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_TRUE(messages.shown[0].text.contains(QString::fromUtf8(c.says)))
                << messages.shown[0].text.toStdString();
            EXPECT_TRUE(messages.shown[0].text.contains(program));
            EXPECT_FALSE(QFile::exists(program + ".ran"));
        } else {
            EXPECT_TRUE(messages.shown.empty());
            QElapsedTimer t;
            t.start();
            while (!QFile::exists(program + ".ran") && t.elapsed() < 5000)
                QThread::msleep(20);
            QThread::msleep(50); // the one write of the script
            QFile ran(program + ".ran");
            ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
            EXPECT_EQ(ran.readAll(), path("HUB000.INI").toLocal8Bit()); // environment inherited
        }
    }
}

TEST_F(IntegratorTest, HubRunPublishesItsWindowByTitleWhileItRuns) {
    struct Case {
        QStringList args;
        QString shown; // the title published; empty when none is
        QString absent;
    } cases[] = {
        {{}, "Velkar", "Velkar "},
        {{"--hidden"}, "", "Velkar"},
        {{"--title", "Velkar "}, "Velkar ", "Velkar"},
        {{}, "Velkar", "velkar"}, // again, over the socket file the killed one left
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess hub;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("RET_HEADLESS", "1");
        hub.setProcessEnvironment(env);
        hub.setProcessChannelMode(QProcess::ForwardedChannels);
        hub.start(QStringLiteral(RET_BIN_DIR "/hub"), QStringList{"run"} + c.args);
        ASSERT_TRUE(hub.waitForStarted());
        if (c.shown.isEmpty()) {
            EXPECT_FALSE(becomesPresent(c.absent, 2000));
            EXPECT_EQ(hub.state(), QProcess::Running); // hidden, not gone
        } else {
            EXPECT_TRUE(becomesPresent(c.shown, 10000));
            EXPECT_FALSE(CorreApp(c.absent));
        }
        hub.kill();
        ASSERT_TRUE(hub.waitForFinished(5000));
        if (!c.shown.isEmpty()) {
            EXPECT_FALSE(CorreApp(c.shown));
        }
    }
}
