#pragma once

#include "common/Configuration.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ret {

// The topic of the help's contents page.
constexpr int kHelpContents = 0;

// The folder of the module's help pages: "ayuda" beside the configured help file
// (0947/retdecl.hlp names the help of 0947/, whose pages are 0947/ayuda/).
QString helpFolder(const Configuration& config);
// The page of a topic: "index.html" for the contents, else "<topic>.html".
QString helpPageName(int topic);
// What the program says when the help cannot be shown: the page it looked for.
QString helpMissingText(const QString& folder);

// The state of the help window, without widgets: the page shown, the pages visited (back and
// forward) and the search within the pages. Pages are the folder's file names ("1020.html").
class HelpBook {
public:
    explicit HelpBook(QString folder);

    const QString& folder() const { return folder_; }
    // The folder holds the contents page.
    bool available() const;

    // Goes to a topic's page; a topic without a page goes to the contents. False when not even
    // the contents page is there (nothing changes).
    bool openTopic(int topic);
    // Follows a link of the page shown: a page of the folder, with or without "#anchor". False
    // (and the page stays) for a link that leads out of the folder or to no page.
    bool follow(const QString& link);
    bool back();
    bool forward();
    bool canGoBack() const { return at_ > 0; }
    bool canGoForward() const { return at_ + 1 < history_.size(); }

    // The page shown, its anchor (may be empty) and its full path; empty before any opening.
    QString current() const;
    QString anchor() const;
    QString currentPath() const;

    struct Hit {
        QString page;
        QString title;
    };
    // The pages holding every word of `words`, without regard to case or accents, contents
    // first and then by name; nothing for blank words.
    QList<Hit> search(const QString& words) const;
    // A page's <title>, or its name when it has none.
    QString title(const QString& page) const;

private:
    struct Place {
        QString page;
        QString anchor;
    };
    void go(Place place);
    bool hasPage(const QString& page) const;

    QString folder_;
    QList<Place> history_;
    qsizetype at_ = -1;
};

// Lower case, accents dropped: "Número" and "numero" match.
QString foldForSearch(const QString& text);

} // namespace ret
