#include "AccountDatabase.h"
#include "ClsColSet.h"
#include "SuiteContext.h"
#include "TempDatabase.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

QStringList fields(const ColumnCollection& cols) {
    QStringList out;
    for (const auto& c : cols.items())
        out << c.cFld;
    return out;
}

/// Counts the statements that write the user layouts from now on.
void countLayoutWrites(suite::SqlBackend& sql, bool onServer) {
    sql.execScript("CREATE TABLE layout_writes (n integer NOT NULL); "
                   "INSERT INTO layout_writes VALUES (0);");
    if (onServer)
        sql.execScript("CREATE FUNCTION count_layout_write() RETURNS trigger LANGUAGE plpgsql AS "
                       "$$BEGIN UPDATE layout_writes SET n = n + 1; RETURN NULL; END$$; "
                       "CREATE TRIGGER layout_written AFTER INSERT OR UPDATE OR DELETE ON "
                       "tarvo_colset_layout FOR EACH STATEMENT EXECUTE FUNCTION "
                       "count_layout_write();");
    else
        for (const char* event : {"INSERT", "UPDATE", "DELETE"})
            sql.execScript(QStringLiteral("CREATE TRIGGER layout_%1 AFTER %1 ON tarvo_colset_layout "
                                          "BEGIN UPDATE layout_writes SET n = n + 1; END;")
                               .arg(QLatin1String(event)));
}

int layoutWrites(suite::SqlBackend& sql) {
    return sql.query("SELECT n FROM layout_writes").rows[0][0].toInt();
}

} // namespace

TEST(ColSet, ALayoutTheListLeftAsItWasCostsNoWrite) {
    TempDatabase temp;
    const auto db = suite::AccountDatabase::open(temp.name());
    countLayoutWrites(db->sql(), temp.onServer());
    const auto session = [&](int width) {
        suite::ClsColSet cs;
        cs.Init(temp.name(), "demo");
        EXPECT_TRUE(cs.setColMode("bank", 1));
        if (width)
            cs.GetColProperties()->Item(1).iColWidth = width;
        cs.SaveColWidth();
        return cs.GetColProperties()->Item(1).iColWidth;
    };
    session(0);
    EXPECT_EQ(layoutWrites(db->sql()), 0) << "the defaults, untouched, stay the defaults";
    EXPECT_TRUE(db->sql().query("SELECT 1 FROM tarvo_colset_layout WHERE cUserId = 'demo'")
                    .rows.isEmpty());
    session(1777);
    const int afterChange = layoutWrites(db->sql());
    EXPECT_GT(afterChange, 0) << "a changed width is stored";
    EXPECT_EQ(session(0), 1777);
    EXPECT_EQ(layoutWrites(db->sql()), afterChange) << "the stored layout, untouched, is not rewritten";
}

TEST(ColSet, AMovedHiddenAndResizedLayoutComesBackFromOneInsert) {
    TempDatabase temp;
    const auto db = suite::AccountDatabase::open(temp.name());
    countLayoutWrites(db->sql(), temp.onServer());
    QVector<ColumnItem> changed;
    {
        suite::ClsColSet cs;
        cs.Init(temp.name(), "demo");
        ASSERT_TRUE(cs.setColMode("Bank_NB", 1));
        changed = cs.GetColProperties()->items();
        ASSERT_GT(changed.size(), 4);
        changed.swapItemsAt(2, 3);
        changed[4].bDisp = QVariant(false);
        changed[1].iColWidth = 3333;
        *cs.GetColProperties() = ColumnCollection(changed);
        cs.SaveColWidth();
    }
    if (temp.onServer()) {
        EXPECT_EQ(layoutWrites(db->sql()), 2) << "one DELETE and one INSERT, whatever the columns";
    }

    suite::ClsColSet again;
    again.Init(temp.name(), "demo");
    ASSERT_TRUE(again.setColMode("Bank_NB", 1));
    const QVector<ColumnItem>& back = again.GetColProperties()->items();
    ASSERT_EQ(back.size(), changed.size());
    for (int i = 0; i < back.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back[i].cFld, changed[i].cFld);
        EXPECT_EQ(back[i].Caption, changed[i].Caption);
        EXPECT_EQ(back[i].iAlign, changed[i].iAlign);
        EXPECT_EQ(back[i].bDisp.toBool(), changed[i].bDisp.toBool());
        EXPECT_EQ(back[i].iColWidth, changed[i].iColWidth);
        EXPECT_EQ(back[i].cOrder, changed[i].cOrder);
    }
}

TEST(ColSet, DefaultLayoutsListTheSameFieldsAsTheSelectList) {
    TempDatabase temp;
    for (const char* name : {"aa_bank", "bank", "Bank_NB"}) {
        SCOPED_TRACE(name);
        suite::ClsColSet cs;
        cs.Init(temp.name(), "demo");
        EXPECT_TRUE(cs.getColInfo().isEmpty());
        EXPECT_TRUE(cs.setColMode(QString::fromLatin1(name), 1));
        EXPECT_EQ(cs.getColInfo(), QString::fromLatin1(name));
        const auto cols = cs.GetColProperties();
        EXPECT_TRUE(cols);
        if (!cols)
            continue;
        EXPECT_EQ(cs.iCols(), cols->Count());
        EXPECT_EQ(cs.GetSqlString(), fields(*cols).join(','));
        EXPECT_EQ(cols->Item(1).cOrder, "asc") << "sorted by the key";
        EXPECT_FALSE(cols->Item(1).Caption.isEmpty());
    }
}

TEST(ColSet, TheBankListQualifiesTheColumnsTheJoinsWouldMakeAmbiguous) {
    TempDatabase temp;
    suite::ClsColSet cs;
    cs.Init(temp.name(), "demo");
    ASSERT_TRUE(cs.setColMode("Bank_NB", 1));
    const QStringList f = cs.GetSqlString().split(',');
    EXPECT_EQ(f.first(), "cBCode") << "the key stays unqualified so the list finds it";
    EXPECT_TRUE(f.contains("AA_Bank.cBankName"));
    EXPECT_TRUE(f.contains("Code.ccode_name"));
    EXPECT_TRUE(f.contains("Bank.cBankCode"));
    EXPECT_FALSE(f.contains("cBankCode"));
}

TEST(ColSet, WidthsAreStoredPerUserAndHiddenColumnsKeepZero) {
    TempDatabase temp;
    {
        suite::ClsColSet cs;
        cs.Init(temp.name(), "demo");
        ASSERT_TRUE(cs.setColMode("aa_bank", 1));
        auto cols = cs.GetColProperties();
        cols->Item(1).iColWidth = 2222;
        cols->Item(2).iColWidth = 0;
        cs.SaveColWidth();
    }
    suite::ClsColSet again;
    again.Init(temp.name(), "demo");
    ASSERT_TRUE(again.setColMode("aa_bank", 1));
    EXPECT_EQ(again.GetColProperties()->Item(1).iColWidth, 2222);
    EXPECT_EQ(again.GetColProperties()->Item(2).iColWidth, 0);

    suite::ClsColSet other;
    other.Init(temp.name(), "admin");
    ASSERT_TRUE(other.setColMode("aa_bank", 1));
    EXPECT_EQ(other.GetColProperties()->Item(1).iColWidth, 1300) << "another user's defaults";
}

TEST(ColSet, RefusedOrUnknownColumnSetsAnswerFalse) {
    TempDatabase temp;
    suite::ClsColSet cs;
    cs.Init(temp.name(), "demo");
    EXPECT_FALSE(cs.setColMode("no_such_list", 1));
    EXPECT_TRUE(cs.getColInfo().isEmpty());

    QString sql = "insert into tarvo_colset_denied (cUserId, cColSet) values ('demo','bank')";
    auto db = suite::AccountDatabase::open(temp.name());
    db->sql().exec(sql);
    EXPECT_FALSE(cs.setColMode("bank", 1));
    EXPECT_TRUE(cs.setColMode("aa_bank", 1));

    suite::ClsColSet dead;
    dead.Init("", "demo");
    EXPECT_FALSE(dead.setColMode("aa_bank", 1));
    EXPECT_EQ(dead.iCols(), 0);
}

TEST(ColSet, CaptionsFollowTheSessionLanguage) {
    TempDatabase temp;
    suite::setSessionLanguage("en-US");
    suite::ClsColSet cs;
    cs.Init(temp.name(), "demo");
    ASSERT_TRUE(cs.setColMode("aa_bank", 1));
    EXPECT_EQ(cs.GetColProperties()->Item(2).Caption, "Bank Name");
    cs.GetColProperties()->Item(1).Caption = "代码";
    cs.SaveColWidth();

    suite::setSessionLanguage("zh-CN");
    suite::ClsColSet again;
    again.Init(temp.name(), "demo");
    ASSERT_TRUE(again.setColMode("aa_bank", 1));
    EXPECT_EQ(again.GetColProperties()->Item(2).Caption, "银行名称")
        << "a stored default caption follows the language";
    EXPECT_EQ(again.GetColProperties()->Item(1).Caption, "代码") << "the user's own caption stays";
}
