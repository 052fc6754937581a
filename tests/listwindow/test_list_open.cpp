#include "CaptionBar.h"
#include "ListWindowFixture.h"
#include "SuiteContext.h"

#include <QAction>
#include <QPointer>
#include <QToolBar>

using namespace tarvo;

namespace {

/// The list window made for the session, whether it shows yet or not.
FrmMain* listWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* list = qobject_cast<FrmMain*>(w))
            return list;
    return nullptr;
}

/// What the list window looked like when anything of it was painted the first time.
class FirstPaint : public QObject {
public:
    FirstPaint() { qApp->installEventFilter(this); }

    bool seen = false;
    QString addText;
    QString caption;
    QRect grid;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (seen || event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        auto* list = qobject_cast<FrmMain*>(static_cast<QWidget*>(watched)->window());
        if (!list)
            return false;
        seen = true;
        if (QAction* add = list->findChild<QAction*>("Tlb_Add"))
            addText = add->text();
        caption = list->findChild<suite::CaptionBar*>("MoxFrmCaptionMgr")->Caption();
        grid = list->grid()->geometry();
        return false;
    }
};

/// Shows the bank accounts and, from the first turn of the event loop, hands act the window
/// the session made before it is set up; reports whether the window showed at all.
bool showActingBeforeSetUp(ComponentHarness& h, const std::function<void(FrmMain&)>& act) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
        FrmMain* list = listWindow();
        ASSERT_NE(list, nullptr) << "the session made its window before the loop turned";
        EXPECT_FALSE(list->isVisible());
        EXPECT_TRUE(h.pub()->callsOf("FrmUnitefont").isEmpty()) << "not set up yet";
        act(*list);
    });
    auto watch = whenListWindowShown([&](FrmMain&) { shown = true; });
    ITarvoArchive component;
    component.Show(h.login, "bank", "NB");
    return shown;
}

} // namespace

TEST_F(ListWindowTest, TheWindowIsSetUpAndLaidOutWhenFirstPaintedInBothLanguages) {
    for (const char* language : {"zh-CN", "en-US"}) {
        h.configurePub = [&](RecordingPub& pub) { pub.locale = language; };
        suite::setSessionLanguage(language);
        FirstPaint first;
        withList("bank", "NB", [&](FrmMain& w) {
            ASSERT_TRUE(first.seen);
            EXPECT_EQ(first.addText, w.findChild<QAction*>("Tlb_Add")->text()) << language;
            EXPECT_EQ(first.caption, w.comVar()->m_ArchiveChName) << language;
            EXPECT_FALSE(first.caption.isEmpty());
            EXPECT_EQ(first.grid, w.grid()->geometry()) << language << ": no layout after";
        });
        EXPECT_EQ(first.addText, QString(language == QStringLiteral("en-US") ? "Add" : "增加"));
    }
    suite::setSessionLanguage("zh-CN");
}

TEST_F(ListWindowTest, AWindowClosedBeforeItShowsIsNeitherSetUpNorShownAndGivesItsLockBack) {
    const bool shown = showActingBeforeSetUp(h, [](FrmMain& w) { w.close(); });
    EXPECT_FALSE(shown);
    EXPECT_TRUE(h.pubCalls().filter("FrmUnitefont(").isEmpty()) << "the window was never set up";
    EXPECT_EQ(h.pubCalls().filter("IsLockFun("),
              QStringList({"IsLockFun(db,demo,bank,1)", "IsLockFun(db,demo,bank,-1)"}));
    EXPECT_EQ(ArchiveSession::current().oPub, nullptr) << "the session ended";
}

TEST_F(ListWindowTest, AHostThatDestroysTheWindowBeforeItShowsEndsTheShow) {
    QPointer<FrmMain> window;
    const bool shown = showActingBeforeSetUp(h, [&](FrmMain& w) {
        window = &w;
        delete &w;
    });
    EXPECT_FALSE(shown);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(listWindow(), nullptr);
    EXPECT_TRUE(h.pubCalls().filter("FrmUnitefont(").isEmpty());
    EXPECT_EQ(ArchiveSession::current().ListWindow, nullptr);
}
