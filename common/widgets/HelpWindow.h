#pragma once

#include "common/HelpBook.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace ret {

inline const QString kHelpCaption = QStringLiteral("Ayuda - 0947 Agentes de Retención");

// The help window: the module's pages in a browser of their own, with contents, back and
// forward, and a search over every page. What it shows is the book's; this draws it.
class HelpWindow : public QDialog {
    Q_OBJECT

public:
    HelpWindow(const QString& folder, int topic, QWidget* parent = nullptr);

    const HelpBook& book() const { return book_; }
    QTextBrowser* browser() const { return browser_; }

    void showTopic(int topic);

private:
    void build();
    void followLink(const QUrl& url);
    void search();
    void showPage();

    HelpBook book_;
    QTextBrowser* browser_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* forward_ = nullptr;
    QLineEdit* words_ = nullptr;
    QListWidget* hits_ = nullptr;
};

} // namespace ret
