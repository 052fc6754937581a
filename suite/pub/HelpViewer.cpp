#include "HelpViewer.h"

#include "DataFiles.h"
#include "KeyHook.h"
#include "SuiteContext.h"

#include <QFile>
#include <QKeyEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tarvo::suite {

namespace {
const char* const kTopicProperty = "tarvo.helpTopic";

QString pageFor(const QString& topic) {
    const QString lang = sessionLanguage().startsWith(u"en", Qt::CaseInsensitive)
                             ? QStringLiteral("en-US")
                             : QStringLiteral("zh-CN");
    for (const QString& name : {topic.toLower(), QStringLiteral("index")}) {
        QFile f(dataFile(QStringLiteral("help/%1/%2.html").arg(lang, name)));
        if (f.open(QIODevice::ReadOnly))
            return QString::fromUtf8(f.readAll());
    }
    return {};
}
} // namespace

HelpViewer::HelpViewer(QWidget* owner, const QString& topic)
    : QDialog(owner), m_browser(new QTextBrowser(this)), m_topic(topic) {
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(sessionLanguage().startsWith(u"en", Qt::CaseInsensitive)
                       ? QStringLiteral("Help")
                       : QStringLiteral("帮助"));
    m_browser->setObjectName(QStringLiteral("HelpText"));
    m_browser->setHtml(pageFor(topic));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    resize(640, 520);
}

HelpViewer* HelpViewer::openFor(QWidget* owner) {
    return owner ? owner->findChild<HelpViewer*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

HelpViewer* HelpViewer::showTopic(QWidget* owner, const QString& topic) {
    HelpViewer* viewer = openFor(owner);
    if (!viewer || viewer->topic() != topic) {
        if (viewer)
            viewer->close();
        viewer = new HelpViewer(owner, topic);
    }
    viewer->show();
    viewer->raise();
    return viewer;
}

void HelpViewer::hideFor(QWidget* owner) {
    if (HelpViewer* viewer = openFor(owner))
        viewer->close();
}

bool HelpKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    auto* window = qobject_cast<QWidget*>(watched);
    if (!window || key->key() != Qt::Key_F1 || !KeyHook::isSent(*key))
        return false;
    HelpViewer::showTopic(window, window->property(kTopicProperty).toString());
    return true;
}

} // namespace tarvo::suite
