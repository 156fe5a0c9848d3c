#include "common/HelpBook.h"

#include "tests/support/TempDir.h"

#include <QDir>

using namespace ret;

namespace {

// A small book: the contents, two topics linking each other, and a page outside the folder.
class HelpBookTest : public test::TempDirTest {
protected:
    void SetUp() override {
        QDir().mkpath(path("ayuda"));
        writeFile("ayuda/index.html", "<title>Contenido</title><a href=\"1020.html\">x</a>");
        writeFile("ayuda/1020.html", "<title>Identificación</title><p>El <b>número</b> de orden</p>"
                                     "<a href=\"1021.html#lista\">y</a>");
        writeFile("ayuda/1021.html", "<title>Retención</title><p id=\"lista\">Número</p>");
        writeFile("fuera.html", "<title>Fuera</title>");
    }
    HelpBook book{path("ayuda")};
};

} // namespace

TEST(HelpFolderTest, TheConfiguredHelpFileNamesTheFolderBesideIt) {
    Configuration c;
    c.helpFile = QStringLiteral("/srv/velkar/0947/retdecl.hlp");
    EXPECT_EQ(helpFolder(c), QStringLiteral("/srv/velkar/0947/ayuda"));
    EXPECT_EQ(helpPageName(kHelpContents), QStringLiteral("index.html"));
    EXPECT_EQ(helpPageName(1018), QStringLiteral("1018.html"));
    EXPECT_EQ(helpFolder(Configuration{}), QString());
}

TEST_F(HelpBookTest, ATopicOpensItsPageAndOneWithoutAPageTheContents) {
    EXPECT_TRUE(book.available());
    ASSERT_TRUE(book.openTopic(1020));
    EXPECT_EQ(book.current(), "1020.html");
    EXPECT_EQ(book.currentPath(), path("ayuda/1020.html"));
    ASSERT_TRUE(book.openTopic(4711));
    EXPECT_EQ(book.current(), "index.html");

    HelpBook missing(path("nada"));
    EXPECT_FALSE(missing.available());
    EXPECT_FALSE(missing.openTopic(1020));
    EXPECT_EQ(missing.current(), QString());
}

TEST_F(HelpBookTest, LinksStayInTheFolderAndBackAndForwardWalkTheVisits) {
    ASSERT_TRUE(book.openTopic(kHelpContents));
    EXPECT_FALSE(book.canGoBack());
    ASSERT_TRUE(book.follow("1020.html"));
    ASSERT_TRUE(book.follow("1020.html")); // the same place twice is one visit
    ASSERT_TRUE(book.follow("1021.html#lista"));
    EXPECT_EQ(book.current(), "1021.html");
    EXPECT_EQ(book.anchor(), "lista");

    // nothing outside the folder, no page that is not there, nothing off the machine
    for (const char* bad : {"../fuera.html", "sub/1020.html", "9999.html", "http://x.org/a.html",
                            "file:///etc/passwd", "", "1020.txt"}) {
        EXPECT_FALSE(book.follow(bad)) << bad;
        EXPECT_EQ(book.current(), "1021.html") << bad;
    }

    ASSERT_TRUE(book.back());
    EXPECT_EQ(book.current(), "1020.html");
    ASSERT_TRUE(book.back());
    EXPECT_FALSE(book.back());
    EXPECT_EQ(book.current(), "index.html");
    ASSERT_TRUE(book.forward());
    EXPECT_EQ(book.current(), "1020.html");
    // a new visit forgets the pages ahead
    ASSERT_TRUE(book.follow("#arriba"));
    EXPECT_EQ(book.current(), "1020.html");
    EXPECT_FALSE(book.canGoForward());
    ASSERT_TRUE(book.back());
    EXPECT_TRUE(book.canGoForward());
}

TEST_F(HelpBookTest, SearchFindsEveryWordWithoutRegardToCaseOrAccentsNorInTags) {
    const auto pages = [&](const QString& words) {
        QStringList out;
        for (const auto& hit : book.search(words))
            out << hit.page + "|" + hit.title;
        return out;
    };
    EXPECT_EQ(pages("NUMERO"), QStringList({"1020.html|Identificación", "1021.html|Retención"}));
    EXPECT_EQ(pages("número  orden"), QStringList({"1020.html|Identificación"}));
    EXPECT_EQ(pages("retencion"), QStringList({"1021.html|Retención"})); // the title is text
    EXPECT_EQ(pages("href"), QStringList());                             // a tag is not
    EXPECT_EQ(pages("   "), QStringList());
}
