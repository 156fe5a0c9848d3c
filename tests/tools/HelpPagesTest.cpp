#include "tools/retsetup/HelpPages.h"

#include "common/HelpBook.h"
#include "common/Windows.h"
#include "import/ImportCodes.h"
#include "import/ImportFields.h"
#include "tools/helpgen/CodeTable.h"

#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>

#include <set>

using namespace ret;

namespace {

// The pages as the installer lays them out, read back from the folder.
class HelpPagesTest : public test::TempDirTest {
protected:
    void SetUp() override {
        folder = path("0947/ayuda");
        ASSERT_FALSE(setup::installHelpPages(folder).has_value());
    }
    QString page(const QString& name) const {
        QFile f(joinPath(folder, name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QString folder;
};

// Every topic a window can be on when F1 is pressed, and the task pages.
std::set<int> everyTopic() {
    std::set<int> topics = {kHelpContents,         topics::kBanks,
                            topics::kSent,         topics::kRegistered,
                            topics::kDebtTab,      topics::kIdentificationTab,
                            topics::kRetentionTab, topics::kPageRange,
                            topics::kViewer,       topics::kFirstDeclaration,
                            topics::kImportFile,   topics::kPrinting,
                            topics::kOrderNumber,  topics::kRectifying};
    for (int w = int(Window::Frm947); w <= int(Window::FrmConsist); ++w)
        topics.insert(helpTopic(Window(w)));
    return topics;
}

struct Link {
    QString page;
    QString target;
};

QList<Link> linksOf(const QString& name, const QString& html) {
    static const QRegularExpression re(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    QList<Link> out;
    for (auto it = re.globalMatch(html); it.hasNext();)
        out.append({name, it.next().captured(1)});
    return out;
}

} // namespace

TEST_F(HelpPagesTest, EveryTopicOfEveryWindowHasItsPage) {
    for (const int topic : everyTopic()) {
        SCOPED_TRACE(topic);
        HelpBook book(folder);
        ASSERT_TRUE(book.openTopic(topic));
        // a topic without its own page would land on the contents
        EXPECT_EQ(book.current(), helpPageName(topic));
    }
    // the contents lists every page there is, so that none is reachable by F1 alone
    const QString contents = page(QStringLiteral("index.html"));
    for (const QString& name : setup::helpPageNames()) {
        if (name.endsWith(QLatin1String(".html")) && name != QLatin1String("index.html")) {
            EXPECT_TRUE(contents.contains(QStringLiteral("href=\"%1\"").arg(name)))
                << name.toStdString();
        }
    }
}

TEST_F(HelpPagesTest, EveryLinkAndAnchorResolvesAndEveryPageIsWholeUtf8) {
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_GE(names.size(), 20);
    int links = 0;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile f(joinPath(folder, name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString html = utf8.decode(bytes);
        EXPECT_FALSE(utf8.hasError());
        EXPECT_TRUE(html.contains(QLatin1String("<meta charset=\"utf-8\">")));
        EXPECT_NE(HelpBook(folder).title(name), name) << "no <title>";
        EXPECT_TRUE(html.trimmed().endsWith(QLatin1String("</html>")));
        for (const Link& l : linksOf(name, html)) {
            ++links;
            const QUrl url(l.target);
            ASSERT_TRUE(url.isRelative()) << l.target.toStdString() << ": the help works offline";
            const QString target = url.path().isEmpty() ? name : url.path();
            const QString linked = page(target);
            EXPECT_FALSE(linked.isEmpty()) << l.target.toStdString();
            if (url.hasFragment()) {
                EXPECT_TRUE(linked.contains(QStringLiteral("id=\"%1\"").arg(url.fragment())))
                    << l.target.toStdString();
            }
        }
    }
    EXPECT_GT(links, 60);
}

// The generated table against the import's own: same codes, in the same order, with the texts
// the import shows, and every code the import's checks can leave is in it.
TEST_F(HelpPagesTest, TheImportFilePageTellsTheImportsOwnCodesAndTexts) {
    const QString html = page(QStringLiteral("1102.html"));
    ASSERT_FALSE(html.isEmpty());
    EXPECT_FALSE(html.contains(helpgen::kMarker));
    static const QRegularExpression row(QStringLiteral(
        "<tr class=\"codigo\"><td>(\\d{4})</td><td>[^<]*</td><td>[^<]*</td><td>([^<]*)</td></tr>"));
    QStringList codes;
    QStringList texts;
    for (auto it = row.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        codes << m.captured(1);
        texts << m.captured(2);
    }
    const auto& table = import::importCodes();
    ASSERT_EQ(codes.size(), qsizetype(table.size()));
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const QString code = QLatin1String(table[i].code);
        SCOPED_TRACE(code.toStdString());
        EXPECT_EQ(codes[i], code);
        const QString fixed = import::fixedErrorText(code);
        EXPECT_EQ(texts[i], fixed.isEmpty() ? helpgen::kTableText : fixed.toHtmlEscaped());
    }

    // a code a check leaves that the table does not list would be missing from the help
    const QSet<QString> listed(codes.begin(), codes.end());
    static const QRegularExpression literal(QStringLiteral("\"(0\\d{3})\""));
    for (const char* source : {"ImportFields.cpp", "ImportRun.cpp", "ImportFile.cpp"}) {
        QFile f(QStringLiteral(RET_SOURCE_DIR "/import/") + QLatin1String(source));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << source;
        const QString text = QString::fromUtf8(f.readAll());
        for (auto it = literal.globalMatch(text); it.hasNext();) {
            const QString code = it.next().captured(1);
            EXPECT_TRUE(listed.contains(code)) << source << " leaves " << code.toStdString();
        }
    }
}

// An installer without the module's folder once laid the pages wherever it was started.
TEST_F(HelpPagesTest, NoFolderWritesNothingWhereTheProgramRuns) {
    const QString started = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(path(".")));
    const auto failed = setup::installHelpPages(QString());
    QDir::setCurrent(started);
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ(failed->number, 76);
    EXPECT_FALSE(QFileInfo::exists(path("index.html")));
}
