#pragma once

#include "ArchiveSession.h"
#include "ComponentHarness.h"
#include "FrmMain.h"
#include "FrmZAM.h"
#include "Grid.h"
#include "ITarvoArchive.h"
#include "KeyHook.h"
#include "StatusBar.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

/// Opens an archive's list window through the public class and runs a test body on it while
/// it is shown; the window closes afterwards.
struct ListWindowTest : ::testing::Test {
    ComponentHarness h;

    void withList(const QString& archive, const QString& sysId,
                  const std::function<void(tarvo::FrmMain&)>& body) {
        bool ran = false;
        auto watch = whenListWindowShown([&](tarvo::FrmMain& w) {
            ran = true;
            body(w);
        });
        tarvo::ITarvoArchive component;
        component.Show(h.login, archive, sysId);
        EXPECT_TRUE(ran) << "the list window opened";
    }

    /// Waits until the print, preview or export under way has ended.
    static void waitForOutput(const tarvo::FrmMain& w) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isPrinting(); }, 60000))
            << "the output never ended";
    }
    /// Runs a command and, when it prints or exports, waits until the output has ended.
    static void runCommand(tarvo::FrmMain& w, const QString& key) {
        w.DoCommand(key);
        waitForOutput(w);
    }

    /// Runs open, which shows a window of type Window modally (an import preview), and body on
    /// the window once it has nothing more to do beside itself; closes it afterwards unless
    /// body ended it.
    template <typename Window>
    static bool whenShown(const std::function<void(Window&)>& body,
                          const std::function<void()>& open) {
        bool shown = false;
        // The list's events turn while the window's file is read and checked: looked for at
        // every turn until it is ready.
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto* preview = qobject_cast<Window*>(QApplication::activeModalWidget());
            if (!preview || preview->checking())
                return;
            look.stop();
            shown = true;
            body(*preview);
            if (preview->isVisible())
                preview->reject();
        });
        look.start(0);
        open();
        return shown;
    }
    /// Calls into the public services made after a mark.
    QStringList callsSince(int mark) const { return h.pub()->calls.mid(mark); }
    int mark() const { return int(h.pub()->calls.size()); }
    int sqlMark() const { return int(h.sql.size()); }
};

/// What the card window was given, recorded when it shows, before it is closed again.
struct CardSeen {
    bool shown = false;
    qint16 status = 0;
    qint16 keyColumn = 0;
    qint32 rowSel = 0;
    QWidget* owner = nullptr;
    QRect frame;
};

/// Closes the next card window as soon as it shows its record (or its empty card) and records
/// how it was set up.
[[nodiscard]] inline std::shared_ptr<QObject> closeNextCard(std::shared_ptr<CardSeen> seen) {
    auto timer = std::make_shared<QTimer>();
    timer->setInterval(10);
    QObject::connect(timer.get(), &QTimer::timeout, [t = timer.get(), seen] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* card = qobject_cast<tarvo::FrmZAM*>(w);
            if (card && card->isVisible() && !card->reading()) {
                t->stop();
                seen->shown = true;
                seen->status = card->status();
                seen->keyColumn = card->keyColumn();
                seen->rowSel = card->rowSel();
                seen->owner = card->parentWidget();
                seen->frame = card->frameGeometry();
                card->close();
                return;
            }
        }
    });
    timer->start();
    return timer;
}
