#include "common/widgets/HelpWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace ret {

HelpWindow::HelpWindow(const QString& folder, int topic, QWidget* parent)
    : QDialog(parent), book_(folder) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(kHelpCaption);
    build();
    resize(900, 650);
    showTopic(topic);
}

void HelpWindow::build() {
    auto* contents = new QPushButton(QStringLiteral("&Contenido"), this);
    contents->setObjectName(QStringLiteral("cmdContenido"));
    back_ = new QPushButton(QStringLiteral("&Atrás"), this);
    back_->setObjectName(QStringLiteral("cmdAtras"));
    forward_ = new QPushButton(QStringLiteral("A&delante"), this);
    forward_->setObjectName(QStringLiteral("cmdAdelante"));
    words_ = new QLineEdit(this);
    words_->setObjectName(QStringLiteral("txtBuscar"));
    words_->setPlaceholderText(QStringLiteral("Palabras a buscar"));
    auto* find = new QPushButton(QStringLiteral("&Buscar"), this);
    find->setObjectName(QStringLiteral("cmdBuscar"));
    auto* close = new QPushButton(QStringLiteral("C&errar"), this);
    close->setObjectName(QStringLiteral("cmdCerrar"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(contents);
    bar->addWidget(back_);
    bar->addWidget(forward_);
    bar->addSpacing(12);
    auto* wordsLabel = new QLabel(QStringLiteral("&Palabras:"), this);
    wordsLabel->setBuddy(words_);
    bar->addWidget(wordsLabel);
    bar->addWidget(words_, 1);
    bar->addWidget(find);
    bar->addWidget(close);

    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("pagina"));
    // the book follows the links, so that back and forward are its own and nothing leaves
    // the folder
    browser_->setOpenLinks(false);
    // the browser does not read a page's linked style sheet: the folder's is every page's
    QFile css(joinPath(book_.folder(), QStringLiteral("ayuda.css")));
    if (css.open(QIODevice::ReadOnly))
        browser_->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));
    hits_ = new QListWidget(this);
    hits_->setObjectName(QStringLiteral("lstEncontradas"));
    hits_->hide();

    // Enter belongs to the field it is typed in (the search's words), never to a button
    for (QPushButton* b : {contents, back_, forward_, find, close}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* split = new QSplitter(this);
    split->addWidget(hits_);
    split->addWidget(browser_);
    split->setStretchFactor(1, 3);
    split->setSizes({220, 680}); // the list of pages found beside the page, not half of it

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split, 1);
    browser_->setFocus();

    connect(contents, &QPushButton::clicked, this, [this] { showTopic(kHelpContents); });
    connect(back_, &QPushButton::clicked, this, [this] {
        if (book_.back())
            showPage();
    });
    connect(forward_, &QPushButton::clicked, this, [this] {
        if (book_.forward())
            showPage();
    });
    connect(find, &QPushButton::clicked, this, [this] { search(); });
    connect(words_, &QLineEdit::returnPressed, this, [this] { search(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(hits_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (book_.follow(item->data(Qt::UserRole).toString()))
            showPage();
    });
    connect(hits_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (book_.follow(item->data(Qt::UserRole).toString()))
            showPage();
    });
}

void HelpWindow::showTopic(int topic) {
    if (book_.openTopic(topic))
        showPage();
}

void HelpWindow::followLink(const QUrl& url) {
    // the browser hands the link resolved against the page shown; the book takes it as the
    // page's own relative link, and only when it stays in the help's folder
    if (!url.isLocalFile()) {
        if (url.isRelative() && book_.follow(url.toString()))
            showPage();
        return;
    }
    const QFileInfo target(url.toLocalFile());
    if (target.absolutePath() != QFileInfo(book_.folder()).absoluteFilePath())
        return;
    QString link = target.fileName();
    if (url.hasFragment())
        link += QLatin1Char('#') + url.fragment();
    if (book_.follow(link))
        showPage();
}

void HelpWindow::search() {
    hits_->clear();
    const QList<HelpBook::Hit> found = book_.search(words_->text());
    if (found.isEmpty()) {
        hits_->addItem(QStringLiteral("No se encontró ninguna página con esas palabras."));
        hits_->item(0)->setFlags(Qt::NoItemFlags);
    }
    for (const HelpBook::Hit& hit : found) {
        auto* item = new QListWidgetItem(hit.title, hits_);
        item->setData(Qt::UserRole, hit.page);
    }
    hits_->setVisible(!words_->text().trimmed().isEmpty());
}

void HelpWindow::showPage() {
    browser_->setSource(QUrl::fromLocalFile(book_.currentPath()), QTextDocument::HtmlResource);
    if (!book_.anchor().isEmpty())
        browser_->scrollToAnchor(book_.anchor());
    else
        browser_->verticalScrollBar()->setValue(0);
    back_->setEnabled(book_.canGoBack());
    forward_->setEnabled(book_.canGoForward());
}

} // namespace ret
