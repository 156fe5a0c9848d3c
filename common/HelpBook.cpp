#include "common/HelpBook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace ret {

QString helpFolder(const Configuration& config) {
    if (config.helpFile.isEmpty())
        return {};
    return joinPath(QFileInfo(config.helpFile).path(), QStringLiteral("ayuda"));
}

QString helpPageName(int topic) {
    return topic == kHelpContents ? QStringLiteral("index.html")
                                  : QStringLiteral("%1.html").arg(topic);
}

QString helpMissingText(const QString& folder) {
    return QStringLiteral("No se encuentra el archivo de ayuda %1.")
        .arg(joinPath(folder, helpPageName(kHelpContents)));
}

QString foldForSearch(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            out.append(c.toLower());
    }
    return out;
}

namespace {

QString readPage(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// The page's words as a reader sees them: no tags, entities of the pages read back.
QString visibleText(const QString& html) {
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    QString text = html;
    text.remove(tags);
    text.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&nbsp;"), QLatin1String(" "))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

} // namespace

HelpBook::HelpBook(QString folder) : folder_(std::move(folder)) {}

bool HelpBook::available() const {
    return !folder_.isEmpty() && hasPage(helpPageName(kHelpContents));
}

bool HelpBook::hasPage(const QString& page) const {
    return QFileInfo(joinPath(folder_, page)).isFile();
}

bool HelpBook::openTopic(int topic) {
    const QString page = helpPageName(topic);
    if (hasPage(page)) {
        go({page, {}});
        return true;
    }
    if (!available())
        return false;
    go({helpPageName(kHelpContents), {}});
    return true;
}

bool HelpBook::follow(const QString& link) {
    const QUrl url(link);
    if (url.isEmpty() || !url.isRelative() || !url.host().isEmpty())
        return false;
    const QString path = url.path();
    if (path.isEmpty()) { // "#anchor" on the page shown
        if (at_ < 0)
            return false;
        go({current(), url.fragment()});
        return true;
    }
    // only pages of the folder itself: no sub-folders, no way out of it
    if (path.contains(QLatin1Char('/')) || path.contains(QLatin1Char('\\')) ||
        !path.endsWith(QLatin1String(".html")) || !hasPage(path))
        return false;
    go({path, url.fragment()});
    return true;
}

void HelpBook::go(Place place) {
    // the same place again (a list's click and its activation) is no new visit
    if (at_ >= 0 && history_[at_].page == place.page && history_[at_].anchor == place.anchor)
        return;
    // a new page forgets the pages ahead, as a browser does
    history_.resize(at_ + 1);
    history_.append(std::move(place));
    at_ = history_.size() - 1;
}

bool HelpBook::back() {
    if (!canGoBack())
        return false;
    --at_;
    return true;
}

bool HelpBook::forward() {
    if (!canGoForward())
        return false;
    ++at_;
    return true;
}

QString HelpBook::current() const {
    return at_ < 0 ? QString() : history_[at_].page;
}

QString HelpBook::anchor() const {
    return at_ < 0 ? QString() : history_[at_].anchor;
}

QString HelpBook::currentPath() const {
    return at_ < 0 ? QString() : joinPath(folder_, current());
}

QString HelpBook::title(const QString& page) const {
    static const QRegularExpression re(QStringLiteral("<title>(.*?)</title>"),
                                       QRegularExpression::DotMatchesEverythingOption |
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(readPage(joinPath(folder_, page)));
    return m.hasMatch() ? visibleText(m.captured(1)).simplified() : page;
}

QList<HelpBook::Hit> HelpBook::search(const QString& words) const {
    const QStringList wanted = foldForSearch(words).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (wanted.isEmpty())
        return {};
    QStringList pages =
        QDir(folder_).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    const QString contents = helpPageName(kHelpContents);
    if (pages.removeOne(contents))
        pages.prepend(contents);
    QList<Hit> hits;
    for (const QString& page : pages) {
        const QString text = foldForSearch(visibleText(readPage(joinPath(folder_, page))));
        bool all = true;
        for (const QString& w : wanted)
            all = all && text.contains(w);
        if (all)
            hits.append({page, title(page)});
    }
    return hits;
}

} // namespace ret
