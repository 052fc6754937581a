#include "ClsCommon.h"
#include "FilterSetupDialog.h"
#include "ModalWatch.h"
#include "OptionStore.h"
#include "TempDatabase.h"

#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tarvo::suite;

namespace {

const QVector<FilterField> kFields{{"cBCode", "编码", 202},
                                   {"cAccName", "账户名称", 202},
                                   {"AA_Bank.cBankName", "所属银行", 202},
                                   {"bBflag", "是否暂封", 11}};

tarvo::ClsCommonPtr openDatabase(const TempDatabase& temp) {
    auto db = std::make_shared<ClsCommon>();
    db->Init(temp.name());
    return db;
}

QStringList names(const QVector<FilterField>& fields) {
    QStringList out;
    for (const auto& f : fields)
        out << f.field;
    return out;
}

void click(QDialog& d, const char* button) {
    QTest::mouseClick(d.findChild<QPushButton*>(button), Qt::LeftButton);
}

/// Space on a line of the check list, as the user ticks or unticks it.
void toggle(QDialog& d, int row) {
    auto* list = d.findChild<QListWidget*>("FilterSetupFields");
    list->setCurrentRow(row);
    QTest::keyClick(list, Qt::Key_Space);
}

bool edit(OptionStore& options, std::function<void(QDialog&)> act) {
    auto watch = whenModal<QDialog>(act);
    return FilterSetupDialog::edit(nullptr, "过滤设置", kFields, options, "Bank");
}

} // namespace

TEST(FilterSetup, TheChoiceIsStoredPerUserAndArchive) {
    TempDatabase temp;
    auto db = openDatabase(temp);
    OptionStore demo(db, "demo");
    EXPECT_EQ(names(FilterSetupDialog::chosen(kFields, demo, "bank")), names(kFields));

    EXPECT_TRUE(edit(demo, [](QDialog& d) {
        toggle(d, 1);
        toggle(d, 3);
        click(d, "OkButton");
    }));
    EXPECT_EQ(demo.text("filter.fields.bank"), "cBCode,AA_Bank.cBankName");
    EXPECT_EQ(names(FilterSetupDialog::chosen(kFields, demo, "BANK")),
              QStringList({"cBCode", "AA_Bank.cBankName"}));

    OptionStore admin(db, "admin");
    EXPECT_EQ(FilterSetupDialog::chosen(kFields, admin, "bank").size(), kFields.size());
    EXPECT_EQ(FilterSetupDialog::chosen(kFields, demo, "aa_bank").size(), kFields.size());
    // A stored choice naming none of today's fields is no choice.
    demo.setText("filter.fields.aa_bank", "cGone,cAlsoGone");
    EXPECT_EQ(FilterSetupDialog::chosen(kFields, demo, "aa_bank").size(), kFields.size());
}

TEST(FilterSetup, CancelOrNoChangeStoresNothingAndAnEmptyChoiceIsRefused) {
    TempDatabase temp;
    const auto db = openDatabase(temp);
    OptionStore demo(db, "demo");
    EXPECT_FALSE(edit(demo, [](QDialog& d) {
        toggle(d, 0);
        click(d, "CancelButton");
    }));
    EXPECT_FALSE(edit(demo, [](QDialog& d) {
        toggle(d, 0);
        toggle(d, 0);
        click(d, "OkButton");
    }));
    EXPECT_EQ(demo.text("filter.fields.bank", "none"), "none");

    QString message;
    bool stayedOpen = false;
    EXPECT_TRUE(edit(demo, [&](QDialog& d) {
        click(d, "SelectNone");
        {
            auto box = whenModal<QMessageBox>([&](QMessageBox& b) {
                message = b.text();
                b.accept();
            });
            click(d, "OkButton");
        }
        stayedOpen = d.isVisible();
        click(d, "SelectAll");
        toggle(d, 2);
        click(d, "OkButton");
    }));
    EXPECT_EQ(message, "请至少勾选一个项目。");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(demo.text("filter.fields.bank"), "cBCode,cAccName,bBflag");
}

TEST(FilterSetup, LongChoicesAndTheWindowFlagsShareTheOptionStore) {
    TempDatabase temp;
    const auto db = openDatabase(temp);
    OptionStore demo(db, "demo");
    demo.setFlag("listwindow.statusbar", false);
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many << QStringLiteral("Table%1.cSomeLongFieldName").arg(i);
    ASSERT_TRUE(demo.setText("filter.fields.bank", many.join(',')));
    EXPECT_EQ(demo.text("filter.fields.bank"), many.join(','));
    EXPECT_FALSE(demo.flag("listwindow.statusbar", true));
    EXPECT_TRUE(demo.flag("listwindow.printno", true));
}
