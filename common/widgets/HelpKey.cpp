#include "common/widgets/HelpKey.h"

#include "common/HelpBook.h"
#include "common/Windows.h"

#include <QShortcut>
#include <QVariant>
#include <QWidget>

namespace ret {
namespace {

const char* const kProperty = "ret_helpTopic";

} // namespace

void setHelpTopic(QWidget* window, int topic) {
    window->setProperty(kProperty, topic);
}

int helpTopicOf(const QWidget* window) {
    const QVariant v = window->property(kProperty);
    return v.isValid() ? v.toInt() : -1;
}

void bindHelpKey(QWidget* window, WindowOpener& windows) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    // the window and what it holds, not the windows it opens (they bind their own)
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window, [window, &windows] {
        const int topic = helpTopicOf(window);
        windows.openHelp(topic < 0 ? kHelpContents : topic);
    });
}

} // namespace ret
