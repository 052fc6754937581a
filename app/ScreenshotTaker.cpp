#include "ScreenshotTaker.h"

#include "FrmMain.h"
#include "ImportPreview.h"
#include "Grid.h"
#include "HostApplication.h"
#include "WindowCloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

ScreenshotTaker::ScreenshotTaker(QString path, QString cardCommand, QString lookup, QString search,
                                 QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_cardCommand(std::move(cardCommand)),
      m_lookup(std::move(lookup)), m_search(std::move(search)) {
    connect(&m_timer, &QTimer::timeout, this, &ScreenshotTaker::poll);
    m_timer.start(250);
}

void ScreenshotTaker::poll() {
    if (m_taking)
        return;
    // Nobody is there to answer a message: it goes to the console, and the answer is no.
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box && box->objectName() == u"AboutBox" && m_cardCommand == u"About") {
        take(box);
        return;
    }
    if (box) {
        std::fprintf(stderr, "%s\n", qPrintable(box->text()));
        m_refused = true;
        box->reject();
        return;
    }
    QWidget* portal = nullptr;
    tarvo::FrmMain* list = nullptr;
    QWidget* card = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible())
            continue;
        if (w->objectName() == u"PortalWindow")
            portal = w;
        else if (w->objectName() == u"FrmZAM" || w->objectName() == u"PrnPreview")
            card = w;
        else if (!card && m_cardOpened && opensWindow(w))
            card = w; // a dialog of the list: filter, locate, column set-up, help, about
        if (auto* l = w->findChild<tarvo::FrmMain*>(); l && w == portal)
            list = l;
        if (auto* l = qobject_cast<tarvo::FrmMain*>(w))
            list = l;
    }
    if (!m_cardCommand.isEmpty()) {
        // The branch directory's preview reads and checks its file after it shows.
        if (const auto* preview = qobject_cast<tarvo::ImportPreview*>(card);
            preview && preview->checking())
            return;
        if (card && m_lookup.isEmpty()) {
            showDatabaseFolder(card);
            take(card);
            return;
        }
        if (card && !m_lookupOpened) {
            m_lookupOpened = true;
            QTimer::singleShot(300, card, [this, card] { openLookup(card); });
        } else if (QWidget* over = card ? lookupWindow(card) : nullptr) {
            take(over);
            return;
        }
        if (list && list->isLoaded() && !list->isReading() && !m_cardOpened) {
            m_cardOpened = true;
            // Only the modify card needs a record to show; adding, importing (how a migration
            // into an empty archive starts), previewing and the history do without.
            if (list->grid()->Rows() <= 1 &&
                m_cardCommand.compare(u"Modify", Qt::CaseInsensitive) == 0) {
                std::fprintf(stderr, "%s\n",
                             qPrintable(hostText("列表中没有记录，无法打开修改卡片")));
                m_refused = true;
                return;
            }
            // The card runs modally: open it from the event loop, not from inside this poll.
            QTimer::singleShot(0, list, [list, command = m_cardCommand, file = m_importFile] {
                if (file.isEmpty())
                    list->DoCommand(command);
                else if (command == u"ImportBranches")
                    list->ImportBranchFile(file);
                else
                    list->ImportFile(file);
            });
        }
    } else if (list && list->isLoaded() && !list->isReading()) {
        if (auto* box = list->findChild<QLineEdit*>(QStringLiteral("txtQuickSearch"));
            box && !m_search.isEmpty()) {
            box->setFocus();
            box->insert(m_search);
        }
        if (m_windowSize.isValid())
            (portal ? portal : list)->window()->resize(m_windowSize);
        take(portal ? portal : list);
        return;
    }
    // Nothing opened: a refused start-up or card has said why by now; otherwise give up after
    // about 15 s.
    const auto* host = dynamic_cast<HostApplication*>(QCoreApplication::instance());
    const bool refused = (m_refused || (host && host->failed())) && (!list || m_cardOpened);
    if (refused || ++m_attempts > 60) {
        m_timer.stop();
        if (!refused)
            std::fprintf(stderr, "%s\n", qPrintable(hostText("没有可以截图的窗口")));
        closeEverything();
    }
}

bool ScreenshotTaker::opensWindow(const QWidget* w) {
    const Qt::WindowType type = w->windowType();
    return (type == Qt::Window || type == Qt::Dialog) && !qobject_cast<const QMessageBox*>(w) &&
           !qobject_cast<const tarvo::FrmMain*>(w) && w->objectName() != u"PortalWindow";
}

void ScreenshotTaker::openLookup(QWidget* card) {
    // Both cards live in the card window, the hidden one too, and share some names.
    QWidget* control = nullptr;
    for (QWidget* candidate : card->findChildren<QWidget*>(m_lookup))
        if (candidate->isVisible())
            control = candidate;
    if (!control) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(hostText("卡片上没有名为“%1”的控件").arg(m_lookup)));
        m_refused = true;
        return;
    }
    if (!qobject_cast<QAbstractButton*>(control) && !control->inherits("tarvo::suite::RefEdit")) {
        std::fprintf(stderr, "%s\n", qPrintable(hostText("“%1”不打开参照或日历").arg(m_lookup)));
        m_refused = true;
        return;
    }
    control->setFocus();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->click();
        return;
    }
    // A reference edit opens its pick list or calendar on F2.
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(control, &f2);
}

QWidget* ScreenshotTaker::lookupWindow(QWidget* card) const {
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != card && modal->isVisible() ? modal : nullptr;
}

void ScreenshotTaker::showDatabaseFolder(QWidget* window) const {
    auto* chooser = qobject_cast<QFileDialog*>(window);
    if (!chooser || m_databaseFolder.isEmpty())
        return;
    chooser->setViewMode(QFileDialog::Detail);
    chooser->selectNameFilter(chooser->nameFilters().constLast());
    chooser->setDirectory(m_databaseFolder);
}

void ScreenshotTaker::take(QWidget* target) {
    m_taking = true;
    // Let the first query and the layout settle before taking the picture.
    QTimer::singleShot(400, this, [this, target] {
        QPixmap picture = target->grab();
        if (target->isWindow() && target->windowFlags().testFlag(Qt::Popup)) {
            // A calendar is shown over its card: picture both together.
            QWidget* under = target->parentWidget() ? target->parentWidget()->window() : nullptr;
            if (under) {
                QPixmap both = under->grab();
                QPainter painter(&both);
                painter.drawPixmap(under->mapFromGlobal(target->pos()), picture);
                painter.end();
                picture = both;
            }
        }
        m_saved = picture.save(m_path, "PNG");
        std::fprintf(stderr, "%s %s\n", m_saved ? "screenshot saved:" : "could not save",
                     qPrintable(m_path));
        m_timer.stop();
        closeEverything();
    });
}

void ScreenshotTaker::closeEverything() {
    if (!m_closer)
        m_closer = new WindowCloser(this);
}
