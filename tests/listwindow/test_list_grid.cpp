#include "AdoTypes.h"
#include "Eventually.h"
#include "ListWindowFixture.h"

#include "GridHeader.h"
#include "GridModel.h"
#include "Pub.h"
#include "SuiteContext.h"

#include <QAbstractItemModelTester>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>

using namespace tarvo;

namespace {

RecordsetPtr bankRows(int n) {
    auto rs = std::make_shared<Recordset>(
        QVector<FieldInfo>{{"cBankCode", ado::adVarWChar, 10}, {"cBankName", ado::adVarWChar, 60}});
    for (int i = 1; i <= n; ++i)
        rs->appendRow({QString::number(1000 + i), QStringLiteral("银行%1").arg(i)});
    return rs;
}

/// Replaces the user's layout of a column set by the given columns (field, shown, width).
void setLayout(ComponentHarness& h, const QString& colSet,
               const QVector<std::tuple<QString, bool, int>>& columns, int fixedCols = 0) {
    h.exec("delete from tarvo_colset_layout where cUserId='demo' and cColSet=?", {colSet});
    int order = 1;
    for (const auto& [field, shown, width] : columns)
        h.exec("insert into tarvo_colset_layout (cUserId, cColSet, iOrder, cFld, cCaption, iAlign, "
               "bDisp, iColWidth, cOrder) values ('demo', ?, ?, ?, ?, 1, ?, ?, NULL)",
               {colSet, order++, field, "列" + field, shown ? 1 : 0, width});
    h.exec("delete from tarvo_colset_option where cUserId='demo' and cColSet=?", {colSet});
    h.exec("insert into tarvo_colset_option (cUserId, cColSet, iFixedCols, bLock) values "
           "('demo', ?, ?, 0)",
           {colSet, fixedCols});
}

} // namespace

TEST_F(ListWindowTest, AFillTakesTheRowsAtOnceAndNothingRunsBetweenOldRowsAndNew) {
    withList("aa_bank", "", [&](FrmMain& w) {
        QAbstractItemModelTester tester(w.grid()->model());
        w.FillGrid(bankRows(3));
        // What waits for the window's events (a key, a timer, a command) sees the list before
        // the fill or after it, never halfway.
        QStringList seen;
        QTimer::singleShot(0, &w, [&] {
            seen << w.grid()->TextMatrix(2400, 2) + "/" + QString::number(w.grid()->Rows());
        });
        w.FillGrid(bankRows(2400));
        EXPECT_TRUE(seen.isEmpty()) << "the fill turned the event loop";
        EXPECT_EVENTUALLY(!seen.isEmpty());
        EXPECT_EQ(seen.value(0), "银行2400/2401");
        EXPECT_EQ(w.grid()->TextMatrix(2400, 0), "2400");
        EXPECT_EQ(w.grid()->Row(), 1);
        EXPECT_EQ(w.grid()->Col(), 1);
        EXPECT_TRUE(w.grid()->Redraw());

        w.FillGrid(bankRows(0));
        EXPECT_EQ(w.grid()->Rows(), 1) << "no rows leaves the header row alone";
    });
}

TEST_F(ListWindowTest, AFilteredRecordSetFillsTheGridWithItsVisibleRowsOnly) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto rs = bankRows(5);
        rs->setFilter("cBankCode='1004' or cBankCode='1002'");
        w.FillGrid(rs);
        ASSERT_EQ(w.grid()->Rows(), 3);
        EXPECT_EQ(w.grid()->TextMatrix(1, 1), "1002");
        EXPECT_EQ(w.grid()->TextMatrix(2, 1), "1004");
        EXPECT_EQ(w.grid()->TextMatrix(2, 2), "银行4");
    });
}

TEST_F(ListWindowTest, HomeAndEndGoToTheFirstAndLastRecordAndKeepTheCodeInSight) {
    withList("bank", "", [&](FrmMain& w) {
        w.resize(420, 400);
        auto* grid = w.grid();
        ASSERT_GT(grid->Rows(), 3);
        EXPECT_EVENTUALLY(grid->horizontalScrollBar()->maximum() > 0);
        grid->setFocus();
        grid->setRow(2);
        grid->horizontalScrollBar()->setValue(0);
        const int last = grid->Rows() - 1;
        const auto codeInSight = [&] {
            const int x = grid->columnViewportPosition(w.m_KeyCol);
            return x >= 0 && x < grid->viewport()->width();
        };
        for (const Qt::KeyboardModifiers mods :
             {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
            QTest::keyClick(grid, Qt::Key_End, mods);
            EXPECT_EQ(grid->Row(), last) << int(mods);
            EXPECT_TRUE(codeInSight()) << int(mods);
            QTest::keyClick(grid, Qt::Key_Home, mods);
            EXPECT_EQ(grid->Row(), 1) << int(mods);
            EXPECT_TRUE(codeInSight()) << int(mods);
        }
    });
}

TEST_F(ListWindowTest, BooleanAndSignFlagCellsShowTheirTexts) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto rs = std::make_shared<Recordset>(
            QVector<FieldInfo>{{"bBflag", ado::adBoolean, 2}, {"iSignFlag", ado::adSmallInt, 2}});
        rs->appendRow({true, 1});
        rs->appendRow({false, 0});
        rs->appendRow({QVariant(), 2});
        rs->appendRow({true, QVariant()});
        w.FillGrid(rs);
        const QStringList yesNo = ArchiveSession::current().YesNoText;
        const QStringList sign = ArchiveSession::current().SignFlagText;
        EXPECT_EQ(w.grid()->TextMatrix(1, 1), yesNo[1]);
        EXPECT_EQ(w.grid()->TextMatrix(2, 1), yesNo[0]);
        EXPECT_EQ(w.grid()->TextMatrix(3, 1), yesNo[0]) << "Null shows no";
        EXPECT_EQ(w.grid()->TextMatrix(1, 2), sign[0]) << "1 shows the isignflag0 text";
        EXPECT_EQ(w.grid()->TextMatrix(2, 2), sign[1]);
        EXPECT_EQ(w.grid()->TextMatrix(3, 2), sign[1]);
        EXPECT_EQ(w.grid()->TextMatrix(4, 2), sign[1]);
        EXPECT_FALSE(w.FormatGridTxt(QVariant(5), "IWHPROPERTY").isValid());
        EXPECT_EQ(w.FormatGridTxt(QVariant(), "cBankName").toString(), "");
    });
}

TEST_F(ListWindowTest, FixedColumnsOnlyWhenTheGridHasMore) {
    setLayout(h, "aa_bank",
              {{"cBankCode", true, 1200}, {"cBankName", true, 2000}, {"bSysData", true, 900}}, 3);
    withList("aa_bank", "", [&](FrmMain& w) {
        EXPECT_EQ(w.grid()->Cols(), 4);
        EXPECT_EQ(w.grid()->FixedCols(), 0) << "4 columns are not more than 3 + 1";
    });
    setLayout(h, "aa_bank",
              {{"cBankCode", true, 1200}, {"cBankName", true, 2000}, {"bSysData", true, 900}}, 1);
    withList("aa_bank", "", [&](FrmMain& w) { EXPECT_EQ(w.grid()->FixedCols(), 2); });
}

TEST_F(ListWindowTest, AQualifiedKeyFieldIsReportedMissingAndModifyRefuses) {
    setLayout(h, "aa_bank", {{"AA_Bank.cBankCode", true, 1200}, {"cBankName", true, 2000}});
    withList("aa_bank", "", [&](FrmMain& w) {
        EXPECT_EQ(w.m_KeyCol, 0);
        const QString missing = "MsgBox(res:Tarvo.AAARCHIVE.COMMON.selcolsetkey,64,"
                                "res:Tarvo.AA.ARCHIVE.COMMON.information)";
        EXPECT_EQ(h.pub()->callsOf("MsgBox").value(0), missing);
        const int m = mark();
        w.DoCommand("Modify");
        w.DoCommand("Delete");
        EXPECT_EQ(callsSince(m).filter("MsgBox("), QStringList({missing, missing}));
        EXPECT_TRUE(callsSince(m).filter("IsLockFun(").isEmpty());
    });
}

TEST_F(ListWindowTest, WidthsAreStoredAtCloseAndHiddenColumnsAsZero) {
    setLayout(h, "aa_bank",
              {{"cBankCode", true, 1200}, {"cBankName", false, 2000}, {"bSysData", true, 900}});
    withList("aa_bank", "", [&](FrmMain& w) {
        EXPECT_EQ(w.grid()->ColWidth(2), 0);
        w.grid()->setColWidth(3, 3000);
    });
    EXPECT_EQ(h.scalar("select iColWidth from tarvo_colset_layout where cUserId='demo' and "
                       "cColSet='aa_bank' and cFld='cBankName'")
                  .toInt(),
              0);
    EXPECT_EQ(h.scalar("select iColWidth from tarvo_colset_layout where cUserId='demo' and "
                       "cColSet='aa_bank' and cFld='bSysData'")
                  .toInt(),
              3000);
}

TEST_F(ListWindowTest, NoRightToTheColumnSetBuildsNoColumns) {
    h.exec("insert into tarvo_colset_denied (cUserId, cColSet) values ('demo', 'aa_bank')");
    withList("aa_bank", "", [&](FrmMain& w) {
        EXPECT_EQ(h.pub()->callsOf("MsgBox").value(0),
                  "MsgBox(res:Tarvo.AAARCHIVE.COMMON.no_colauth_error,64,"
                  "res:Tarvo.AA.ARCHIVE.COMMON.information)");
        EXPECT_EQ(w.grid()->Cols(), 2) << "the grid keeps the columns it had";
    });
}

TEST_F(ListWindowTest, ShippedColumnsFitTheirCaptionsAndTheSeededDataInBothLanguages) {
    QStringList tooNarrow;
    for (const char* language : {"zh-CN", "en-US"}) {
        suite::setSessionLanguage(language);
        for (const auto& [archive, sysId] :
             {std::pair{"aa_bank", ""}, std::pair{"bank", ""}, std::pair{"bank", "NB"}}) {
            withList(archive, sysId, [&, archive = archive, sysId = sysId](FrmMain& w) {
                // The window's font as the suite's services give it, not the recording ones.
                suite::Pub().FrmUnitefont(&w);
                auto* header = static_cast<suite::GridHeader*>(w.grid()->horizontalHeader());
                const QFontMetrics cells = w.grid()->fontMetrics();
                for (int c = 1; c < w.grid()->Cols(); ++c) {
                    const int width = w.grid()->columnWidth(c);
                    if (width == 0)
                        continue;
                    const QString where =
                        QStringLiteral("%1 %2 %3 \"%4\"")
                            .arg(language, archive, sysId, w.grid()->TextMatrix(0, c));
                    if (!header->captionFits(c))
                        tooNarrow << where + QStringLiteral(" caption has %1 px").arg(width);
                    for (int r = 1; r < w.grid()->Rows(); ++r) {
                        // The recording services' texts for yes, no and the sign flags are
                        // resource keys, not what a user reads.
                        const QString text = w.grid()->TextMatrix(r, c);
                        if (text.startsWith(u"res:"))
                            break;
                        const int needed = cells.horizontalAdvance(text) + 8;
                        if (needed > width) {
                            tooNarrow << where + QStringLiteral(" needs %1 px, has %2")
                                                     .arg(needed)
                                                     .arg(width);
                            break;
                        }
                    }
                }
            });
        }
    }
    suite::setSessionLanguage("zh-CN");
    EXPECT_TRUE(tooNarrow.isEmpty()) << tooNarrow.join('\n').toStdString();
}

TEST_F(ListWindowTest, ANarrowHeaderKeepsItsBeginningAndShowsItsCaptionAsATip) {
    setLayout(h, "aa_bank", {{"cBankCode", true, 2400}, {"cBankName", true, 300}});
    withList("aa_bank", "", [&](FrmMain& w) {
        auto* header = static_cast<suite::GridHeader*>(w.grid()->horizontalHeader());
        EXPECT_TRUE(header->captionFits(1));
        EXPECT_FALSE(header->captionFits(2));
        const QRect section(header->sectionViewportPosition(2), 0, header->sectionSize(2),
                            header->height());
        QHelpEvent tip(QEvent::ToolTip, section.center(), header->mapToGlobal(section.center()));
        QApplication::sendEvent(header->viewport(), &tip);
        EXPECT_TRUE(QToolTip::isVisible());
        EXPECT_EQ(QToolTip::text(), "列cBankName");
        QToolTip::hideText();
    });
}

TEST_F(ListWindowTest, TheSortedColumnCarriesTheArrowUntilTheListIsLoadedAgain) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto* header = static_cast<suite::GridHeader*>(w.grid()->horizontalHeader());
        EXPECT_EQ(header->sortMarkSection(), -1);
        w.grid()->setCol(2);
        w.grid()->Sort(2, false);
        EXPECT_EQ(header->sortMarkSection(), 2);
        EXPECT_EQ(header->sortMarkOrder(), Qt::DescendingOrder);
        const QPoint at(header->sectionViewportPosition(1) + 5, header->height() / 2);
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(header->sortMarkSection(), 2) << "a double click on the header sorts nothing";
        refreshList(w);
        EXPECT_EQ(header->sortMarkSection(), -1);
    });
}

namespace {

/// The grid column of a field of the list.
int columnOf(const FrmMain& w, const QString& field) {
    const QVector<ListField> fields = w.listFields();
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i + 1;
    return -1;
}

Qt::Alignment horizontal(const FrmMain& w, int col) {
    return suite::GridModel::toQt(w.grid()->ColAlignment(col)) & Qt::AlignHorizontal_Mask;
}

} // namespace

TEST_F(ListWindowTest, BalancesShowAsTheCardShowsThemAndWordsStandLeftOfTheNumbers) {
    const QVariant first = h.scalar("select min(cBCode) from bank");
    h.exec("update bank set fCurBalance = 1234567.8, iAccProperty = 1 where cBCode = ?", {first});
    h.exec("update bank set fCurBalance = -0.004 where cBCode <> ?", {first});
    withList("bank", "NB", [&](FrmMain& w) {
        const int balance = columnOf(w, "fCurBalance");
        const int property = columnOf(w, "iAccProperty");
        ASSERT_GT(balance, 0);
        ASSERT_GT(property, 0);
        ASSERT_EQ(w.grid()->TextMatrix(1, 1), first.toString());
        EXPECT_EQ(w.grid()->TextMatrix(1, balance), "1,234,567.80");
        EXPECT_EQ(w.grid()->TextMatrix(2, balance), "0.00") << "no minus before a zero";
        QByteArray printed;
        w.grid()->appendTextUtf8(1, balance, printed);
        EXPECT_EQ(printed, "1,234,567.80") << "print and export read the same text";
        EXPECT_EQ(w.grid()->TextMatrix(1, property), ArchiveSession::current().AccPropertyText[1]);
        EXPECT_EQ(horizontal(w, property), Qt::AlignLeft);
        EXPECT_EQ(horizontal(w, balance), Qt::AlignRight);
    });
}

TEST_F(ListWindowTest, AHeaderClickSortsByItsColumnAndASecondOneTheOtherWay) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto* header = static_cast<suite::GridHeader*>(w.grid()->horizontalHeader());
        const auto click = [&](int section) {
            const int since = mark();
            const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
            return callsSince(since).filter("GridSortNew");
        };
        EXPECT_EQ(click(2), QStringList({"GridSortNew(FrmMain,Grid,Asc)"}));
        EXPECT_EQ(w.grid()->Col(), 2) << "the sort goes by the column clicked";
        // What the suite's sort leaves behind: the arrow on the column, ascending.
        w.grid()->Sort(2, true);
        EXPECT_EQ(click(2), QStringList({"GridSortNew(FrmMain,Grid,Desc)"}));
        w.grid()->Sort(2, false);
        EXPECT_EQ(click(2), QStringList({"GridSortNew(FrmMain,Grid,Asc)"}));
        EXPECT_EQ(click(1), QStringList({"GridSortNew(FrmMain,Grid,Asc)"}))
            << "another column starts ascending";
        EXPECT_EQ(w.grid()->Col(), 1);
        EXPECT_EQ(click(0), QStringList()) << "the serial numbers are no order";
    });
}
