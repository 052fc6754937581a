#pragma once

#include <QDialog>

class QTextBrowser;

namespace tarvo::suite {

/// The suite's help window: the help page of an archive, opened over the window it belongs to.
class HelpViewer : public QDialog {
    Q_OBJECT
public:
    /// Shows (or raises) the help of a topic ("aa_bank", "bank") for a window.
    static HelpViewer* showTopic(QWidget* owner, const QString& topic);
    /// Closes the help window of an owner, if open.
    static void hideFor(QWidget* owner);
    static HelpViewer* openFor(QWidget* owner);

    QString topic() const { return m_topic; }

private:
    HelpViewer(QWidget* owner, const QString& topic);
    QTextBrowser* m_browser;
    QString m_topic;
};

/// Opens the help of a window when the help key is sent to it (see KeyHook::sendKey).
class HelpKeyFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tarvo::suite
