#include "FilterDialog.h"
#include "IListWindow.h"
#include "ModalWatch.h"
#include "Pub.h"

#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace tarvo::suite;

namespace {

enum { FieldCol, OperatorCol, ValueCol, JoinCol };

const QVector<FilterField> kFields{{"cAccName", "账户名称", 202},
                                   {"fCurBalance", "余额", 6},
                                   {"dOpenAccDate", "开户日期", 135},
                                   {"bBflag", "是否暂封", 11}};

QTableWidget* table(QDialog& d) {
    return d.findChild<QTableWidget*>("FilterRows");
}

template <class W> W* cell(QDialog& d, int row, int col) {
    return qobject_cast<W*>(table(d)->cellWidget(row, col));
}

void click(QDialog& d, const char* button) {
    QTest::mouseClick(d.findChild<QPushButton*>(button), Qt::LeftButton);
}

/// Sets a line: field by index, operator by its caption, value typed.
void fill(QDialog& d, int row, int field, const QString& op, const QString& value = {}) {
    cell<QComboBox>(d, row, FieldCol)->setCurrentIndex(field);
    auto* ops = cell<QComboBox>(d, row, OperatorCol);
    ops->setCurrentIndex(ops->findText(op));
    if (auto* line = cell<QLineEdit>(d, row, ValueCol))
        QTest::keyClicks(line, value);
}

QString ask(std::function<void(QDialog&)> act) {
    auto watch = whenModal<QDialog>(act);
    return FilterDialog::ask(nullptr, "过滤", kFields);
}

} // namespace

TEST(FilterDialog, BuildsTheConditionFromTheLinesTyped) {
    const QString condition = ask([](QDialog& d) {
        fill(d, 0, 0, "包含", "O'Brien 50%");
        cell<QComboBox>(d, 0, JoinCol)->setCurrentIndex(1);
        fill(d, 1, 1, "大于等于", "100");
        click(d, "OkButton");
    });
    EXPECT_EQ(condition, "((lower(cAccName) LIKE lower('%O''Brien 50\\%%') ESCAPE '\\') OR "
                         "(fCurBalance >= 100))");
}

TEST(FilterDialog, OperatorsAndValueEditorsFollowTheFieldType) {
    QStringList numberOps, bitValues;
    bool dateEditor = false, emptyDisablesValue = false;
    const QString condition = ask([&](QDialog& d) {
        fill(d, 0, 1, "等于");
        auto* ops = cell<QComboBox>(d, 0, OperatorCol);
        for (int i = 0; i < ops->count(); ++i)
            numberOps << ops->itemText(i);
        fill(d, 0, 1, "为空");
        emptyDisablesValue = !cell<QWidget>(d, 0, ValueCol)->isEnabled();

        fill(d, 1, 3, "等于");
        auto* yesNo = cell<QComboBox>(d, 1, ValueCol);
        for (int i = 0; yesNo && i < yesNo->count(); ++i)
            bitValues << yesNo->itemText(i);
        if (yesNo)
            yesNo->setCurrentIndex(yesNo->findText("是"));

        fill(d, 2, 2, "大于等于");
        auto* date = cell<QDateEdit>(d, 2, ValueCol);
        dateEditor = date != nullptr;
        if (date)
            date->setDate(QDate(2021, 5, 1));
        click(d, "OkButton");
    });
    EXPECT_EQ(numberOps, QStringList({"等于", "不等于", "大于", "大于等于", "小于", "小于等于",
                                      "为空", "不为空"}));
    EXPECT_TRUE(emptyDisablesValue);
    EXPECT_EQ(bitValues, QStringList({"", "是", "否"}));
    EXPECT_TRUE(dateEditor);
    EXPECT_EQ(condition,
              "(fCurBalance IS NULL) AND (bBflag = 1) AND (dOpenAccDate >= '2021-05-01')");
}

TEST(FilterDialog, RefusesANonNumberAndStaysOpen) {
    QString message;
    bool stayedOpen = false;
    const QString condition = ask([&](QDialog& d) {
        fill(d, 0, 1, "等于", "12abc");
        {
            auto box = whenModal<QMessageBox>([&](QMessageBox& b) {
                message = b.text();
                b.accept();
            });
            click(d, "OkButton");
        }
        stayedOpen = d.isVisible();
        auto* value = cell<QLineEdit>(d, 0, ValueCol);
        value->clear();
        QTest::keyClicks(value, "12");
        click(d, "OkButton");
    });
    EXPECT_EQ(message, "第1行：“余额”须填写数字，“12abc”不是数字。");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(condition, "(fCurBalance = 12)");
}

TEST(FilterDialog, CancelEscapeOrEmptyLinesGiveNothingAndNothingIsRemembered) {
    EXPECT_EQ(ask([](QDialog& d) {
                  fill(d, 0, 0, "等于", "x");
                  click(d, "CancelButton");
              }),
              "");
    QString leftOver = "?";
    EXPECT_EQ(ask([&](QDialog& d) {
                  leftOver = cell<QLineEdit>(d, 0, ValueCol)->text();
                  fill(d, 0, 0, "等于", "x");
                  QTest::keyClick(&d, Qt::Key_Escape);
              }),
              "");
    EXPECT_EQ(leftOver, "");
    EXPECT_EQ(ask([](QDialog& d) { click(d, "OkButton"); }), "");
}

TEST(FilterDialog, EnterMovesThroughTheCellsAndEndsOnOk) {
    QList<std::pair<int, int>> visited;
    bool endedOnOk = false;
    ask([&](QDialog& d) {
        fill(d, 1, 0, "为空");
        cell<QWidget>(d, 0, FieldCol)->setFocus();
        for (int i = 0; i < 15 && !endedOnOk; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            endedOnOk = QApplication::focusWidget() == d.findChild<QPushButton*>("OkButton");
            for (int r = 0; r < table(d)->rowCount(); ++r)
                for (int c = 0; c < 4; ++c)
                    if (table(d)->cellWidget(r, c) == QApplication::focusWidget())
                        visited.append({r, c});
        }
        click(d, "CancelButton");
    });
    // Line 2 asks "is empty", so its value cell is passed over.
    const QList<std::pair<int, int>> expected{{0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1},
                                              {1, 3}, {2, 0}, {2, 1}, {2, 2}, {2, 3},
                                              {3, 0}, {3, 1}, {3, 2}, {3, 3}};
    EXPECT_EQ(visited, expected);
    EXPECT_TRUE(endedOnOk);
}

TEST(FilterDialog, LinesAreAddedRemovedAndCleared) {
    QList<int> counts;
    QStringList valuesAfterRemove;
    ask([&](QDialog& d) {
        click(d, "AddRow");
        counts << table(d)->rowCount();
        QTest::keyClicks(cell<QLineEdit>(d, 2, ValueCol), "third");
        QTest::keyClicks(cell<QLineEdit>(d, 3, ValueCol), "fourth");
        cell<QWidget>(d, 2, ValueCol)->setFocus();
        click(d, "RemoveRow");
        counts << table(d)->rowCount();
        for (int r = 0; r < table(d)->rowCount(); ++r)
            valuesAfterRemove << cell<QLineEdit>(d, r, ValueCol)->text();
        click(d, "ClearRows");
        counts << table(d)->rowCount();
        valuesAfterRemove << cell<QLineEdit>(d, 2, ValueCol)->text();
        click(d, "CancelButton");
    });
    EXPECT_EQ(counts, QList<int>({5, 4, 4}));
    EXPECT_EQ(valuesAfterRemove, QStringList({"", "", "fourth", "", ""}));
}

TEST(FilterDialog, OpensOnTheListsCurrentColumnReadyForItsValue) {
    QString field, focused;
    auto watch = whenModal<QDialog>([&](QDialog& d) {
        field = cell<QComboBox>(d, 0, FieldCol)->currentText();
        focused = QApplication::focusWidget() == cell<QLineEdit>(d, 0, ValueCol) ? "value" : "";
        QTest::keyClicks(QApplication::focusWidget(), "500");
        click(d, "OkButton");
    });
    const QString condition = FilterDialog::ask(nullptr, "过滤", kFields, "FCURBALANCE");
    EXPECT_EQ(field, "余额");
    EXPECT_EQ(focused, "value") << "the first keystroke goes into the value";
    EXPECT_EQ(condition, "(fCurBalance = 500)");

    auto again = whenModal<QDialog>([&](QDialog& d) {
        field = cell<QComboBox>(d, 0, FieldCol)->currentText();
        click(d, "CancelButton");
    });
    FilterDialog::ask(nullptr, "过滤", kFields, "cNotOffered");
    EXPECT_EQ(field, "账户名称") << "a field the filter does not offer starts on the first";
}

namespace {

/// A list as the filter service sees it: its fields, the column the user stands on, and what
/// it is told to show.
struct ListStandIn : QWidget, tarvo::IListWindow {
    QString shown;
    QVector<tarvo::ListField> listFields() const override {
        QVector<tarvo::ListField> out;
        for (const FilterField& f : kFields)
            out.push_back({f.field, f.caption, f.adoType});
        return out;
    }
    QString archiveName() const override { return "bank"; }
    QString currentField() const override { return "cAccName"; }
    void showFilter(const QString& description) override { shown = description; }
    QString filterShown() const override { return shown; }
};

} // namespace

TEST(FilterDialog, TheServiceTellsTheListWhichFilterItApplies) {
    Pub pub;
    ListStandIn list;
    tarvo::LoginPtr nobody;
    QString condition;
    auto watch = whenModal<QDialog>([](QDialog& d) {
        QInputMethodEvent typed;
        typed.setCommitString("基本户");
        QApplication::sendEvent(QApplication::focusWidget(), &typed);
        click(d, "OkButton");
    });
    pub.Find(nobody, "本单位开户银行", &list, condition);
    EXPECT_FALSE(condition.isEmpty());
    EXPECT_EQ(list.shown, "账户名称 等于 “基本户”");

    auto cancel = whenModal<QDialog>([](QDialog& d) { click(d, "CancelButton"); });
    list.shown = "unchanged";
    pub.Find(nobody, "本单位开户银行", &list, condition);
    EXPECT_TRUE(condition.isEmpty());
    EXPECT_EQ(list.shown, "unchanged") << "a cancelled filter changes nothing";
}

TEST(FilterDialog, TheFilterInForceReopensToBeCorrectedOrCleared) {
    Pub pub;
    ListStandIn list;
    tarvo::LoginPtr nobody;
    QString condition;
    const auto find = [&](std::function<void(QDialog&)> act) {
        auto watch = whenModal<QDialog>(act);
        pub.Find(nobody, "本单位开户银行", &list, condition);
    };
    find([](QDialog& d) {
        fill(d, 0, 1, "大于等于", "1OO"); // letters O for zeros: to be corrected
        cell<QComboBox>(d, 0, JoinCol)->setCurrentIndex(1);
        fill(d, 2, 3, "等于");
        cell<QComboBox>(d, 2, ValueCol)->setCurrentIndex(1);
        fill(d, 3, 2, "大于");
        cell<QDateEdit>(d, 3, ValueCol)->setDate(QDate(2021, 5, 1));
        auto box = whenModal<QMessageBox>([](QMessageBox& b) { b.accept(); });
        click(d, "OkButton");
        cell<QLineEdit>(d, 0, ValueCol)->setText("100");
        click(d, "OkButton");
    });
    const QString first = condition;
    ASSERT_TRUE(first.contains("fCurBalance >= 100)")) << first.toStdString();

    QStringList lines;
    bool canClear = false, onFirstValue = false;
    find([&](QDialog& d) {
        canClear = d.findChild<QPushButton*>("ClearFilter")->isEnabled();
        onFirstValue = QApplication::focusWidget() == cell<QLineEdit>(d, 0, ValueCol);
        for (int r = 0; r < table(d)->rowCount(); ++r) {
            QString value;
            if (auto* line = cell<QLineEdit>(d, r, ValueCol))
                value = line->text();
            else if (auto* date = cell<QDateEdit>(d, r, ValueCol))
                value = date->date().toString(Qt::ISODate);
            else if (auto* yesNo = cell<QComboBox>(d, r, ValueCol))
                value = yesNo->currentText();
            lines << cell<QComboBox>(d, r, FieldCol)->currentText() + " " +
                         cell<QComboBox>(d, r, OperatorCol)->currentText() + " " + value + " " +
                         cell<QComboBox>(d, r, JoinCol)->currentText();
        }
        QTest::keyClicks(QApplication::focusWidget(), "1000");
        click(d, "OkButton");
    });
    EXPECT_TRUE(canClear);
    EXPECT_TRUE(onFirstValue) << "ready to type the first value anew";
    EXPECT_EQ(lines, QStringList({"余额 大于等于 100 或者", "是否暂封 等于 是 并且",
                                  "开户日期 大于 2021-05-01 并且", "账户名称 等于  并且"}));
    EXPECT_EQ(condition, QString(first).replace(">= 100)", ">= 1000)"));

    find([&](QDialog& d) { click(d, "ClearFilter"); });
    EXPECT_TRUE(condition.isEmpty());
    EXPECT_TRUE(list.shown.isEmpty()) << "the list is told to show every record";

    // A list read again without its filter opens the dialog empty, with nothing to clear.
    find([&](QDialog& d) {
        fill(d, 0, 0, "包含", "Basic");
        click(d, "OkButton");
    });
    list.shown.clear();
    find([&](QDialog& d) {
        canClear = d.findChild<QPushButton*>("ClearFilter")->isEnabled();
        lines = {cell<QLineEdit>(d, 0, ValueCol)->text()};
        click(d, "CancelButton");
    });
    EXPECT_FALSE(canClear);
    EXPECT_EQ(lines, QStringList({""}));
}

TEST(FilterDialog, BothDialogsTakeTheListWindowsTitleInTheSessionLanguage) {
    Pub pub;
    ListStandIn list;
    tarvo::LoginPtr nobody;
    QString condition;
    QStringList titles;
    auto cancelled = [&](QDialog& d) {
        titles << d.windowTitle();
        d.reject();
    };
    // The list's title as an English session shows it; the name handed over is the fixed
    // Chinese one whatever the session speaks.
    list.setWindowTitle("Company Bank Accounts");
    {
        auto watch = whenModal<QDialog>(cancelled);
        pub.Find(nobody, "本单位开户银行", &list, condition);
    }
    {
        auto watch = whenModal<QDialog>(cancelled);
        pub.FindSet(nobody, "本单位开户银行", &list);
    }
    list.setWindowTitle(QString());
    {
        auto watch = whenModal<QDialog>(cancelled);
        pub.Find(nobody, "本单位开户银行", &list, condition);
    }
    EXPECT_EQ(titles,
              QStringList({"Company Bank Accounts", "Company Bank Accounts", "本单位开户银行"}));
}
