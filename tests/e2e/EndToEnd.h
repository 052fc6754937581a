#pragma once

#include "CardControl.h"
#include "ClassRegistry.h"
#include "ComponentHarness.h"
#include "ComponentRegistration.h"
#include "Edit.h"
#include "FrmMain.h"
#include "FrmZAM.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "Script.h"
#include "SuiteRegistration.h"
#include "TempDatabase.h"

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

/// A session of the running component over the embedded suite: a fresh account database, a
/// user logged in to it, and the script that drives the windows once the component shows.
struct EndToEnd : ::testing::Test {
    TempDatabase temp;
    std::shared_ptr<tarvo::suite::Login> login;

    void SetUp() override {
        tarvo::suite::registerSuiteClasses();
        tarvoArchiveRegisterClasses();
        QString error;
        login = tarvo::suite::Login::logIn(temp.name(), "demo", error);
        ASSERT_TRUE(login) << error.toStdString();
    }
    /// Shows the archive and runs the steps until the component returns.
    void run(std::vector<Script::Step> steps, const char* archive, const char* sysId) {
        Script script(std::move(steps));
        auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
        component->Show(login, archive, sysId);
        ASSERT_TRUE(script.finished()) << "stopped waiting on " << script.waitingOn();
    }
};

template <typename T> T* visible() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible())
            return t;
    return nullptr;
}
inline tarvo::FrmZAM* card() {
    return visible<tarvo::FrmZAM>();
}
inline tarvo::suite::Edit* field(const char* name) {
    return card()->card()->findChild<tarvo::suite::Edit*>(name);
}
inline bool saveEnabled() {
    return card()->findChild<QAction*>("SaveRs")->isEnabled();
}
inline QMessageBox* messageBox() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}
/// A key pressed in the card, where the clerk's focus is.
inline void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    card()->activateWindow();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : card(), key, mods);
}
/// Hands text to a control as an input method commits it.
inline void commit(QWidget* control, const QString& text) {
    control->setFocus();
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(control, &event);
}
