#include "ClsColSet.h"
#include "ColumnSetupDialog.h"
#include "ModalWatch.h"
#include "TempDatabase.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleOptionViewItem>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

enum { ShownCol, CaptionCol, WidthCol, OrderCol };

QTableWidget* list(QDialog& d) {
    return d.findChild<QTableWidget*>("ColumnList");
}

void click(QDialog& d, const char* button) {
    QTest::mouseClick(d.findChild<QPushButton*>(button), Qt::LeftButton);
}

/// A click on the 显示 box of a line, as the user ticks or unticks it.
void toggleShown(QDialog& d, int row) {
    QTableWidget* t = list(d);
    QStyleOptionViewItem option;
    option.initFrom(t);
    option.rect = t->visualRect(t->model()->index(row, ShownCol));
    option.features = QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = t->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, t);
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, box.center());
}

/// F2 on a caption and typing, as an input method commits Chinese text: in one piece. A caption
/// the dialog refused is already open for editing.
void typeCaption(QDialog& d, int row, const QString& text) {
    const auto openEditor = [&]() -> QLineEdit* {
        for (auto* e : list(d)->viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
            if (e->isVisible())
                return e;
        return nullptr;
    };
    list(d)->setCurrentCell(row, CaptionCol);
    if (!openEditor())
        QTest::keyClick(list(d), Qt::Key_F2);
    QLineEdit* editor = openEditor();
    if (!editor) {
        ADD_FAILURE() << "F2 opened no caption editor";
        return;
    }
    editor->selectAll();
    editor->insert(text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The view takes the text on its next turn of the event loop.
    QCoreApplication::processEvents();
}

template <class W> W* cell(QDialog& d, int row, int col) {
    return qobject_cast<W*>(list(d)->cellWidget(row, col));
}

QStringList stored(const TempDatabase& temp) {
    QStringList out;
    const auto r =
        suite::AccountDatabase::open(temp.name())
            ->sql()
            .query("SELECT cFld, cCaption, bDisp, iColWidth, cOrder FROM tarvo_colset_layout "
                   "WHERE cUserId = 'demo' AND cColSet = 'aa_bank' ORDER BY iOrder");
    for (const auto& row : r.rows)
        out << QStringLiteral("%1|%2|%3|%4|%5")
                   .arg(row[0].toString(), row[1].toString(), row[2].toString(), row[3].toString(),
                        row[4].toString());
    return out;
}

struct Fixture {
    TempDatabase temp;
    suite::ClsColSet cs;
    Fixture() {
        cs.Init(temp.name(), "demo");
        EXPECT_TRUE(cs.setColMode("aa_bank", 1));
    }
    QVariant setCol(std::function<void(QDialog&)> act) {
        auto watch = whenModal<QDialog>(act);
        return cs.setCol();
    }
};

} // namespace

TEST(ColumnSetup, TheEditedLayoutIsStoredAndTheListFollowsIt) {
    Fixture f;
    const ColumnCollectionPtr held = f.cs.GetColProperties();
    EXPECT_EQ(f.setCol([](QDialog& d) {
        toggleShown(d, 2);
        typeCaption(d, 1, "银行全称");
        cell<QComboBox>(d, 1, OrderCol)->setCurrentIndex(2);
        cell<QSpinBox>(d, 1, WidthCol)->setValue(200);
        list(d)->setCurrentCell(3, CaptionCol);
        click(d, "MoveUp");
        click(d, "OkButton");
    }),
              QVariant(true));
    const QStringList rows = stored(f.temp);
    ASSERT_EQ(rows.size(), 9);
    EXPECT_EQ(
        rows.mid(0, 4),
        QStringList({"cBankCode|银行编码|1|1300|asc", "cBankName|银行全称|1|3000|desc",
                     "iComAccNoLen|企业账号长度|1|2300|", "bComdFixLen|企业账号定长|0|2500|"}));
    EXPECT_TRUE(f.cs.GetSqlString().startsWith("cBankCode,cBankName,iComAccNoLen,bComdFixLen,"));
    EXPECT_EQ(held, f.cs.GetColProperties()) << "the collection the list holds is updated";
    EXPECT_EQ(held->Item(2).Caption, "银行全称");
    EXPECT_FALSE(held->Item(4).bDisp.toBool());

    suite::ClsColSet again;
    again.Init(f.temp.name(), "demo");
    ASSERT_TRUE(again.setColMode("aa_bank", 1));
    EXPECT_EQ(again.GetSqlString(), f.cs.GetSqlString());
}

TEST(ColumnSetup, CancelOrNoChangeStoresNothing) {
    Fixture f;
    EXPECT_EQ(f.setCol([](QDialog& d) {
        toggleShown(d, 2);
        typeCaption(d, 1, "别名");
        click(d, "CancelButton");
    }),
              QVariant(false));
    EXPECT_EQ(f.setCol([](QDialog& d) { click(d, "OkButton"); }), QVariant(false));
    EXPECT_TRUE(stored(f.temp).isEmpty());
    EXPECT_EQ(f.cs.GetColProperties()->Item(2).Caption, "银行名称");

    suite::ClsColSet unchosen;
    unchosen.Init(f.temp.name(), "demo");
    EXPECT_EQ(unchosen.setCol(), QVariant(false));
}

TEST(ColumnSetup, TheKeyColumnCannotBeHidden) {
    Fixture f;
    Qt::CheckState afterClick = Qt::Unchecked;
    EXPECT_EQ(f.setCol([&](QDialog& d) {
        toggleShown(d, 0);
        afterClick = list(d)->item(0, ShownCol)->checkState();
        click(d, "MoveDown");
        click(d, "OkButton");
    }),
              QVariant(true));
    EXPECT_EQ(afterClick, Qt::Checked);
    EXPECT_EQ(stored(f.temp).mid(0, 2),
              QStringList({"cBankName|银行名称|1|2600|", "cBankCode|银行编码|1|1300|asc"}));

    // A layout that came in with the key hidden leaves the dialog with it shown.
    QVector<ColumnItem> columns{{"cBCode", "编码", 1, QVariant(false), 1000, ""},
                                {"cBAccount", "银行账号", 1, QVariant(true), 2200, ""}};
    auto watch = whenModal<QDialog>([](QDialog& d) { click(d, "OkButton"); });
    EXPECT_TRUE(suite::ColumnSetupDialog::edit(nullptr, columns, {}, "cBCode"));
    EXPECT_TRUE(columns[0].bDisp.toBool());
}

TEST(ColumnSetup, RefusedCaptionsKeepTheDialogOpen) {
    Fixture f;
    QStringList messages;
    bool stayedOpen = true;
    const QStringList refused{"", "<a>", "a'b", "a\"b", "a|b", "a&b", "a,b", QString(61, 'x')};
    EXPECT_EQ(f.setCol([&](QDialog& d) {
        for (const QString& caption : refused) {
            typeCaption(d, 1, caption.isEmpty() ? " " : caption);
            auto box = whenModal<QMessageBox>([&](QMessageBox& b) {
                messages << b.text();
                b.accept();
            });
            click(d, "OkButton");
            stayedOpen = stayedOpen && d.isVisible();
        }
        click(d, "CancelButton");
    }),
              QVariant(false));
    ASSERT_EQ(messages.size(), refused.size());
    EXPECT_EQ(messages[0], "第2行的栏目名称不能为空。");
    EXPECT_EQ(messages[2], "栏目名称“a'b”不能包含下列字符：< > ' \" | & ,");
    EXPECT_TRUE(messages.last().contains("超过了60个字符"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(stored(f.temp).isEmpty());
}

TEST(ColumnSetup, RestoreDefaultsUndoesTheUsersLayout) {
    Fixture f;
    f.setCol([](QDialog& d) {
        typeCaption(d, 1, "别名");
        toggleShown(d, 5);
        click(d, "OkButton");
    });
    EXPECT_EQ(f.setCol([](QDialog& d) {
        click(d, "RestoreDefaults");
        click(d, "OkButton");
    }),
              QVariant(true));
    EXPECT_EQ(f.cs.GetColProperties()->Item(2).Caption, "银行名称");
    EXPECT_TRUE(f.cs.GetColProperties()->Item(6).bDisp.toBool());
    EXPECT_EQ(stored(f.temp).at(1), "cBankName|银行名称|1|2600|");
}
