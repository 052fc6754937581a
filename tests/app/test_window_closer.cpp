// The host's closer, which makes a host that is done or has given up end: every window goes,
// those that open only later too.
#include "WindowCloser.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

/// Runs a modal dialog of its own event loop and says how long it stood open.
qint64 msOpen(QDialog& dialog) {
    QElapsedTimer open;
    open.start();
    dialog.exec();
    return open.elapsed();
}

} // namespace

TEST(WindowCloser, AWindowThatOpensLongAfterTheCloserStartedIsClosedAsWell) {
    WindowCloser closer;
    QWidget list;
    list.show();
    // As an import's preview that opens only once its long file is read.
    QDialog late;
    bool closed = false;
    QTimer::singleShot(600, [&] {
        EXPECT_LT(msOpen(late), 2000);
        closed = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return closed; }, 5000));
    EXPECT_FALSE(list.isVisible());
    EXPECT_FALSE(late.isVisible());
}

TEST(WindowCloser, AQuestionOnLeavingIsAnsweredYes) {
    WindowCloser closer;
    QMessageBox question(QMessageBox::Question, "", "放弃修改吗？",
                         QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.exec(), QMessageBox::Yes);
    QMessageBox notice(QMessageBox::Information, "", "已保存", QMessageBox::Ok);
    notice.exec();
    EXPECT_FALSE(notice.isVisible());
}
