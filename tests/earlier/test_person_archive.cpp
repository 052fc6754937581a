// The salesperson archive of the earlier build: its department tree, what a node lists, and a
// list that only browses.
#include "../listwindow/ListWindowFixture.h"
#include "Eventually.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

using namespace tarvo;

namespace {

struct PersonArchive : ListWindowTest {
    static QTreeWidget* tree(FrmMain& w) { return w.findChild<QTreeWidget*>("Trv"); }

    /// The salesperson codes the grid lists, in grid order.
    static std::string listed(FrmMain& w) {
        QStringList codes;
        for (int r = 1; r < w.grid()->Rows(); ++r)
            codes << w.grid()->TextMatrix(r, w.m_KeyCol);
        return codes.join(u' ').toStdString();
    }

    /// The salespeople whose department code starts with the prefix, read from the database
    /// itself and compared here, apart from the component's query.
    std::string expected(const QString& prefix) {
        QStringList codes;
        const int n = h.scalar("select count(*) from Person").toInt();
        for (int i = 0; i < n; ++i) {
            const QString code =
                h.scalar("select cPersonCode from Person order by cPersonCode limit 1 offset ?",
                         {i})
                    .toString();
            const QString dep =
                h.scalar("select cDepCode from Person where cPersonCode=?", {code}).toString();
            if (prefix.isEmpty() || dep.startsWith(prefix))
                codes << code;
        }
        return codes.join(u' ').toStdString();
    }

    /// The reads of the list's rows so far (the tree's own query is not one).
    int listReads() const {
        return int(h.sql.filter("LEFT JOIN Department ON Person.cDepCode").size());
    }

    static QTreeWidgetItem* node(QTreeWidget* t, const QString& key) {
        QTreeWidgetItemIterator it(t);
        for (; *it; ++it)
            if ((*it)->data(0, Qt::UserRole).toString() == key)
                return *it;
        return nullptr;
    }

    static void click(QTreeWidget* t, QTreeWidgetItem* item) {
        t->window()->resize(900, 700);
        t->scrollToItem(item);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(item).center());
    }
};

} // namespace

TEST_F(PersonArchive, NeverOpensACardFromAnySource) {
    withList("person", "", [&](FrmMain& w) {
        for (const char* name :
             {"mAdd", "mModify", "mDelete", "mImport", "Tlb_Add", "Tlb_Modify", "Tlb_Delete",
              "Tlb_Import"}) {
            auto* action = w.findChild<QAction*>(name);
            EXPECT_NE(action, nullptr) << name;
            if (action) {
                EXPECT_FALSE(action->isVisible()) << name;
            }
        }
        const QList<QAction*> buttons = w.findChild<QToolBar*>("Tlb")->actions();
        const auto del = std::find_if(buttons.begin(), buttons.end(),
                                      [](QAction* a) { return a->objectName() == u"Tlb_Delete"; });
        ASSERT_NE(del + 1, buttons.end());
        EXPECT_FALSE((*(del + 1))->isVisible()) << "the button after Delete";
        EXPECT_TRUE(w.findChild<QAction*>("Tlb_Filter")->isVisible());

        w.findChild<suite::KeyHook*>("MoxFrmKeyHook")->attach(&w);
        auto card = std::make_shared<CardSeen>();
        auto watch = closeNextCard(card);
        const int m = mark();
        QWidget* grid = w.grid();
        grid->setFocus();
        for (Qt::Key key : {Qt::Key_F5, Qt::Key_F7, Qt::Key_Delete})
            QTest::keyClick(grid, key);
        w.findChild<QAction*>("mAdd")->trigger();
        w.findChild<QAction*>("Tlb_Modify")->trigger();
        w.findChild<QAction*>("mDelete")->trigger();
        w.grid()->setRow(1);
        Q_EMIT w.grid()->DblClick();
        for (const char* command : {"Add", "MODIFY", "delete", "Import"})
            w.DoCommand(QString::fromLatin1(command));
        QTest::qWait(50);
        EXPECT_FALSE(card->shown);
        const QStringList calls = callsSince(m);
        EXPECT_TRUE(calls.filter("IsLockFun(").isEmpty()) << calls.join('\n').toStdString();
        EXPECT_TRUE(calls.filter("MsgBox(").isEmpty());
        EXPECT_EQ(listed(w), expected("")) << "nothing was deleted";
    });
}

TEST_F(PersonArchive, TreeHoldsEveryDepartmentUnderItsParentAndTheRootListsAll) {
    withList("person", "", [&](FrmMain& w) {
        QTreeWidget* t = tree(w);
        ASSERT_TRUE(t->isVisible());
        EXPECT_GT(t->width(), 0);
        EXPECT_TRUE(w.findChild<QWidget*>("PicSeparate")->isVisible());
        ASSERT_EQ(t->topLevelItemCount(), 1);
        QTreeWidgetItem* root = t->topLevelItem(0);
        EXPECT_EQ(root->text(0), "res:Tarvo.AA.ARCHIVE.department");
        EXPECT_EQ(t->currentItem(), root);
        const int departments = h.scalar("select count(*) from Department").toInt();
        int nodes = 0;
        for (QTreeWidgetItemIterator it(root); *it; ++it, ++nodes) {
            EXPECT_TRUE((*it)->isExpanded() || (*it)->childCount() == 0);
            QTreeWidgetItem* parent = (*it)->parent();
            if (parent && parent != root) {
                EXPECT_TRUE((*it)
                                ->data(0, Qt::UserRole)
                                .toString()
                                .startsWith(parent->data(0, Qt::UserRole).toString()));
            }
        }
        EXPECT_EQ(nodes, departments + 1);
        EXPECT_EQ(listed(w), expected(""));
        EXPECT_EQ(w.m_ClsFilter, "(1=1)");
    });
}

TEST_F(PersonArchive, ANodeListsExactlyThePeopleOfItsDepartmentAndThoseBelow) {
    withList("person", "", [&](FrmMain& w) {
        QTreeWidget* t = tree(w);
        for (const char* code : {"02", "0201", "020101", "0203", "04"}) {
            QTreeWidgetItem* item = node(t, QStringLiteral("k") + QLatin1String(code));
            EXPECT_NE(item, nullptr) << code;
            if (!item)
                continue;
            click(t, item);
            EXPECT_EVENTUALLY(settled(w));
            EXPECT_EQ(listed(w), expected(QLatin1String(code))) << code;
        }
        EXPECT_EQ(listed(w), "") << "a department without people lists nobody";
        click(t, t->topLevelItem(0));
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_EQ(listed(w), expected(""));
        EXPECT_TRUE(h.pub()->callsOf("MsgBox").isEmpty());
    });
}

TEST_F(PersonArchive, QuotesAndWildcardsInACodeMatchOnlyThemselves) {
    const QStringList departments{"5", "5%", "5_1", "5x1", "5'a", "5\\b"};
    for (const QString& code : departments) {
        h.exec("insert into Department (cDepCode, cDepName) values (?, ?)", {code, "部门" + code});
        h.exec("insert into Person (cPersonCode, cPersonName, cDepCode) values (?, ?, ?)",
               {"P" + code, "人员" + code, code});
    }
    withList("person", "", [&](FrmMain& w) {
        QTreeWidget* t = tree(w);
        for (const QString& code : departments) {
            QTreeWidgetItem* item = node(t, "k" + code);
            EXPECT_NE(item, nullptr) << code.toStdString() << " " << w.m_ClsFilter.toStdString();
            if (!item)
                continue;
            click(t, item);
            EXPECT_EVENTUALLY(settled(w));
            EXPECT_EQ(listed(w), expected(code))
                << code.toStdString() << " " << w.m_ClsFilter.toStdString();
        }
        EXPECT_EQ(expected("5%"), "P5%");
        EXPECT_EQ(expected("5_1"), "P5_1");
        EXPECT_TRUE(h.pub()->callsOf("MsgBox").isEmpty()) << "every condition ran";
    });
}

TEST_F(PersonArchive, WithoutDepartmentsTheRootStandsAloneOverEveryone) {
    h.exec("update Person set cDepCode=NULL");
    h.exec("delete from Department");
    withList("person", "", [&](FrmMain& w) {
        QTreeWidget* t = tree(w);
        ASSERT_EQ(t->topLevelItemCount(), 1);
        EXPECT_EQ(t->topLevelItem(0)->childCount(), 0);
        EXPECT_EQ(QString::fromStdString(listed(w)).split(u' ').size(), 13);
        EXPECT_EQ(listed(w), expected(""));
    });
}

TEST_F(PersonArchive, TheSplitterDragsTheBorderBetweenTreeAndList) {
    withList("person", "", [&](FrmMain& w) {
        w.resize(900, 600);
        QWidget* splitter = w.findChild<QWidget*>("PicSeparate");
        QTreeWidget* t = tree(w);
        EXPECT_EQ(splitter->cursor().shape(), Qt::SizeHorCursor);
        const int before = splitter->x();
        const QPointF grip(0, 20);
        auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons held) {
            QMouseEvent e(type, at, splitter->mapToGlobal(at), Qt::LeftButton, held, {});
            QApplication::sendEvent(splitter, &e);
        };
        send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
        send(QEvent::MouseMove, grip + QPointF(80, 0), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, grip + QPointF(80, 0), Qt::NoButton);
        EXPECT_EQ(splitter->x(), before + 80);
        EXPECT_EQ(t->x() + t->width(), splitter->x());
        EXPECT_EQ(w.grid()->x(), splitter->x() + splitter->width());
        EXPECT_EQ(w.grid()->x() + w.grid()->width(), w.width());
    });
}

TEST_F(PersonArchive, OpenedAndClosedOverAndOverItReadsItsListOnceAndToTheEndEachTime) {
    for (const bool departments : {true, false}) {
        if (!departments) {
            h.exec("update Person set cDepCode=NULL");
            h.exec("delete from Department");
        }
        const std::string everyone = expected("");
        for (int round = 0; round < 5; ++round) {
            SCOPED_TRACE((departments ? "with departments, round " : "without, round ") +
                         std::to_string(round));
            const int before = listReads();
            withList("person", "", [&](FrmMain& w) {
                EXPECT_EQ(listed(w), everyone);
                EXPECT_FALSE(w.isPartial());
                // The tree taking the focus is no new choice of a node.
                w.activateWindow();
                tree(w)->setFocus();
                QTest::qWait(20);
                EXPECT_FALSE(w.isReading());
            });
            EXPECT_EQ(listReads() - before, 1) << "one read per opening";
        }
        // Nothing of a closed list reads on in the next one's time.
        const int afterLast = listReads();
        QTest::qWait(100);
        EXPECT_EQ(listReads(), afterLast);
    }
}

TEST_F(PersonArchive, ClosedAsSoonAsItStartsReadingItsReadEndsAndTheNextOpeningListsEveryone) {
    const std::string everyone = expected("");
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* list = qobject_cast<FrmMain*>(top); list && list->isReading())
                    list->close();
        });
        closer.start(1);
        QElapsedTimer shown;
        shown.start();
        {
            ITarvoArchive component;
            component.Show(h.login, "person", "");
        }
        closer.stop();
        EXPECT_LT(shown.elapsed(), 10000) << "the cancelled read ended";
        withList("person", "", [&](FrmMain& w) { EXPECT_EQ(listed(w), everyone); });
    }
}
