// A branch directory file on its way into the suite's directory: each row's verdict against
// what is stored, and a file stored whole or not at all; from the command line and from the
// bank accounts list's preview.
#include "BranchImport.h"
#include "ClassRegistry.h"
#include "ClsCommon.h"
#include "ImportFixture.h"
#include "StoredBranches.h"
#include "SuiteContext.h"
#include "SuiteRegistration.h"
#include "TempDatabase.h"

#include <QCheckBox>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

using namespace tarvo;

/// Texts shown as texts when a check fails.
void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}

namespace {

const QString kHeader =
    QStringLiteral("行号,行名,所属银行行号,所属银行名称,城市代码,城市,省份\r\n");

QString row(const char* code, const char* name, const char* city = "虚构市") {
    return QStringLiteral("%1,%2,%3,示例银行,1000,%4,虚构省\r\n")
        .arg(QString::fromUtf8(code), QString::fromUtf8(name), QString::fromUtf8(code).left(3),
             QString::fromUtf8(city));
}

/// Each line as "row code verdict", the reason left out.
QStringList outcome(const BranchImport& import) {
    QStringList out;
    for (const BranchLine& l : import.lines())
        out << QStringLiteral("%1 %2 %3")
                   .arg(l.line)
                   .arg(l.code, BranchImport::verdictText(l.verdict));
    return out;
}

struct BranchImportTest : ::testing::Test {
    TempDatabase temp;
    QTemporaryDir dir;
    std::shared_ptr<suite::ClsCommon> db = std::make_shared<suite::ClsCommon>();
    ClsCommonPtr common = db;

    void SetUp() override {
        suite::registerSuiteClasses();
        suite::setSessionLanguage(QStringLiteral("zh-CN"));
        db->Init(temp.name());
        ASSERT_TRUE(db->Status());
    }
    int files = 0;
    /// A new file each time.
    QString write(const QString& text, const char* encoding = "UTF-8") {
        QStringEncoder encoder(encoding);
        QFile f(dir.filePath(QStringLiteral("branches-%1.csv").arg(++files)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(encoder(text));
        return f.fileName();
    }
    /// The file checked; stored as well when store is set, on the day given.
    QStringList run(BranchImport& import, const QString& path, bool store = false,
                    const QDate& day = QDate(2026, 12, 10)) {
        QString error;
        EXPECT_TRUE(import.read(path, error)) << error.toStdString();
        EXPECT_TRUE(import.check(common, error)) << error.toStdString();
        if (store) {
            EXPECT_TRUE(import.store(common, error, day)) << error.toStdString();
        }
        return outcome(import);
    }
    QStringList run(const QString& path, bool store = false,
                    const QDate& day = QDate(2026, 12, 10)) {
        BranchImport import;
        return run(import, path, store, day);
    }
    BranchEntry find(const QString& code) {
        BranchEntry e;
        auto directory =
            createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
        EXPECT_TRUE(directory->Find(common, code, e)) << code.toStdString();
        return e;
    }
    bool present() {
        return createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"))
            ->Present(common);
    }
};

} // namespace

TEST_F(BranchImportTest, EachRowIsNewChangedUnchangedOrRetiredAgainstTheStoredDirectory) {
    const QString first = write(kHeader + row("102100000001", "示例银行甲虚构支行") +
                                row("102100000002", "示例银行乙虚构支行") +
                                row("103100000003", "示例银行丙虚构支行"));
    EXPECT_EQ(run(first, true),
              (QStringList{"2 102100000001 新增", "3 102100000002 新增", "4 103100000003 新增"}));
    EXPECT_EQ(run(first), (QStringList{"2 102100000001 无变化", "3 102100000002 无变化",
                                       "4 103100000003 无变化"}))
        << "the same file again changes nothing";

    // Columns in another order, extra columns, a renamed branch, one gone and one new.
    const QString second = write(QStringLiteral(
        "清算行号,城市,行名,地址,行号,省份,城市代码,所属银行\r\n"
        "102100099996,虚构市,示例银行甲虚构支行,某路1号,102100000001,虚构省,1000,示例银行\r\n"
        "102100099996,新虚构市,示例银行丙虚构分理处,某路3号,103100000003,虚构省,1000,示例银行\r\n"
        "102100099996,虚构市,示例银行丁虚构支行,某路4号,104100000004,虚构省,1000,示例银行\r\n"));
    BranchImport import;
    EXPECT_EQ(run(import, second, true, QDate(2026, 12, 11)),
              (QStringList{"2 102100000001 无变化", "3 103100000003 修改", "4 104100000004 新增",
                           "0 102100000002 停用"}))
        << "a branch the file leaves out is listed after the file's rows";
    const QString changed = import.lines()[1].reason;
    EXPECT_TRUE(changed.contains("行名") && changed.contains("示例银行丙虚构分理处") &&
                changed.contains("城市") && !changed.contains("省份"))
        << "a change names the fields that change: " << changed.toStdString();
    EXPECT_EQ(import.countsText(), "共 3 行：新增 1，修改 1，无变化 1，拒绝 0；停用 1");

    const BranchEntry retired = find("102100000002");
    EXPECT_EQ(retired.retiredOn, QDate(2026, 12, 11));
    EXPECT_EQ(find("103100000003").name, "示例银行丙虚构分理处");
    EXPECT_EQ(find("104100000004").bankCode, "104") << "the head bank's code begins the code";

    // The branch comes back: listed again, its retired day cleared.
    BranchImport back;
    EXPECT_EQ(run(back, first, true), (QStringList{"2 102100000001 无变化", "3 102100000002 修改",
                                                   "4 103100000003 修改", "0 104100000004 停用"}));
    EXPECT_TRUE(back.lines()[1].reason.contains("2026-12-11"))
        << back.lines()[1].reason.toStdString();
    EXPECT_TRUE(find("102100000002").retiredOn.isNull());
}

TEST_F(BranchImportTest, BadRowsAreRefusedWithTheirReasonAndTheRestStored) {
    const QString path = write(
        kHeader + row("102100000001", "示例银行甲虚构支行") +
        row("2100000001", "示例银行丢零虚构支行") + row("1.021E+11", "示例银行科学计数支行") +
        row("10210000000X", "示例银行字母支行") + row("102100000005", "") +
        row("102100000006", "示例银行<脚本>支行") + row("102100000007", "示例银行甲虚构支行") +
        row("102100000007", "示例银行重复虚构支行") +
        QStringLiteral("102100000008,示例银行%1支行,102,示例银行,1000,虚构市,虚构省\r\n")
            .arg(QChar(0x202E)) +
        QStringLiteral("102100000009,示例银行虚构支行,10A,示例银行,1000,虚构市,虚构省\r\n") +
        QStringLiteral("102100000010,%1,102,示例银行,1000,虚构市,虚构省\r\n")
            .arg(QString(121, QChar(u'长'))));
    BranchImport import;
    QString error;
    ASSERT_TRUE(import.read(path, error));
    ASSERT_TRUE(import.check(common, error)) << error.toStdString();
    const QVector<BranchLine>& lines = import.lines();
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0].verdict, BranchVerdict::New);
    const auto refusal = [&](int i) {
        EXPECT_EQ(lines[i].verdict, BranchVerdict::Refused) << i;
        return lines[i].reason.toStdString();
    };
    EXPECT_NE(refusal(1).find("只有 10 位"), std::string::npos) << refusal(1);
    EXPECT_NE(refusal(2).find("科学计数法"), std::string::npos) << refusal(2);
    EXPECT_NE(refusal(3).find("12 位数字"), std::string::npos) << refusal(3);
    EXPECT_NE(refusal(4).find("缺少行名"), std::string::npos) << refusal(4);
    EXPECT_NE(refusal(5).find("<"), std::string::npos) << refusal(5);
    EXPECT_NE(refusal(6).find("第 8、9 行"), std::string::npos)
        << "both rows of a twice-listed code";
    EXPECT_NE(refusal(7).find("第 8、9 行"), std::string::npos) << refusal(7);
    EXPECT_NE(refusal(8).find("U+202E"), std::string::npos) << refusal(8);
    EXPECT_NE(refusal(9).find("所属银行行号"), std::string::npos) << refusal(9);
    EXPECT_NE(refusal(10).find("120"), std::string::npos) << refusal(10);

    ASSERT_TRUE(import.store(common, error)) << error.toStdString();
    EXPECT_EQ(find("102100000001").name, "示例银行甲虚构支行");
    BranchEntry none;
    auto directory =
        createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
    for (const char* code : {"102100000005", "102100000007", "102100000009"})
        EXPECT_FALSE(directory->Find(common, code, none)) << code;

    // A refused row retires nothing: its branch is still in the file.
    const QString again =
        write(kHeader + row("102100000001", "") + row("102100000002", "示例银行乙虚构支行"));
    EXPECT_EQ(run(again, true), (QStringList{"2 102100000001 拒绝", "3 102100000002 新增"}));
    EXPECT_TRUE(find("102100000001").retiredOn.isNull());
}

TEST_F(BranchImportTest, ACheckStoresNothingAndAFileWithoutCodesOrNamesIsRefusedWhole) {
    EXPECT_EQ(run(write(kHeader + row("102100000001", "示例银行甲虚构支行"))),
              QStringList{"2 102100000001 新增"});
    EXPECT_FALSE(present()) << "a check makes no directory";
    EXPECT_FALSE(db->database()->sql().tableExists("tarvo_branch"));

    for (const QString& text : {QStringLiteral("编码,名称\r\n102100000001,示例银行甲虚构支行\r\n"),
                                QStringLiteral("行号,城市\r\n102100000001,虚构市\r\n"),
                                QString(kHeader), QStringLiteral("\r\n\r\n")}) {
        BranchImport import;
        QString error;
        EXPECT_FALSE(import.read(write(text), error)) << text.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    BranchImport import;
    QString error;
    ASSERT_FALSE(import.read(write(QStringLiteral("Bank Code,City\r\n1,x\r\n")), error));
    EXPECT_TRUE(error.contains("行名")) << "the missing column is named: " << error.toStdString();

    // Nothing acceptable in the file: it is no directory, and stored would retire everything.
    run(write(kHeader + row("102100000001", "示例银行甲虚构支行")), true);
    BranchImport bad;
    ASSERT_TRUE(bad.read(write(kHeader + row("1021", "示例银行甲虚构支行")), error));
    EXPECT_FALSE(bad.check(common, error));
    EXPECT_TRUE(error.contains("保持不变")) << error.toStdString();
    EXPECT_TRUE(find("102100000001").retiredOn.isNull());
}

TEST_F(BranchImportTest, GbEncodedFilesAndWorkbooksAreReadLikeUtf8Ones) {
    const QString text = QStringLiteral("Bank Code,Branch Name,Head Bank Code,Head Bank,City Code,"
                                        "City,Province\r\n") +
                         row("102100000001", "示例银行甲虚构支行");
    EXPECT_EQ(run(write(text, "GB18030")), QStringList{"2 102100000001 新增"});

    const QString book = dir.filePath("branches.xlsx");
    lxw_workbook* wb = workbook_new(book.toUtf8().constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    const char* cells[][4] = {{"联行号", "行名", "城市", "电话"},
                              {"001100000017", "示例中央银行虚构营业部", "虚构市", "010-0"},
                              {"102100000001", "示例银行甲虚构支行", "虚构市", "010-1"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), cells[r][c], nullptr);
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    BranchImport import;
    EXPECT_EQ(run(import, book, true), (QStringList{"2 001100000017 新增", "3 102100000001 新增"}))
        << "a code with leading zeros stays whole in a workbook's text cell";
    EXPECT_EQ(find("001100000017").bankCode, "001");
    EXPECT_EQ(find("001100000017").city, "虚构市");
}

namespace {

/// A directory file's line for the branch as stored.
QString line(const BranchEntry& e) {
    return QStringList{e.code, e.name, e.bankCode, e.bankName, e.cityCode, e.city, e.province}
               .join(u',') +
           QStringLiteral("\r\n");
}

QStringList listed(FrmMain& w) {
    QStringList out;
    for (int r = 1; r < w.grid()->Rows(); ++r)
        out << w.grid()->TextMatrix(r, 1);
    return out;
}

QString filterPanel(FrmMain& w) {
    return w.findChild<suite::StatusBar*>("Stb")->PanelText(2);
}

} // namespace

TEST_F(ImportTest, TheBranchDirectoryPreviewShowsEveryVerdictAndOnlyACommitStoresThem) {
    const BranchEntry a = madeUpBranch("102100000001", "示例银行甲虚构支行", "虚构省", "虚构市");
    const BranchEntry b = madeUpBranch("102100000002", "示例银行乙虚构支行", "虚构省", "虚构市");
    const BranchEntry c = madeUpBranch("103100000003", "示例银行丙虚构支行", "虚构省", "虚构市");
    BranchEntry renamed = b;
    renamed.name = QStringLiteral("示例银行乙虚构分理处");
    const BranchEntry d = madeUpBranch("104100000004", "示例银行丁虚构支行", "虚构省", "虚构市");
    // The account whose branch the file leaves out.
    h.exec("update bank set cUnionBankNo = '103100000003' where cBCode = '01'");
    const QString file = write("branches.csv",
                               kHeader + line(a) + line(renamed) + line(d) +
                                   row("1021", "示例银行短号虚构支行"),
                               "UTF-8");
    withList("bank", "NB", [&](FrmMain& w) {
        storeBranches({a, b, c}, {}, QDate(2026, 11, 1));
        const auto branch = [](const QString& code) {
            BranchEntry e;
            ClsCommonPtr db = ArchiveSession::current().SrvDB;
            createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"))
                ->Find(db, code, e);
            return e;
        };
        w.DoCommand("UnionBankCheck");
        EXPECT_EVENTUALLY(settled(w) && filterPanel(w).contains(u"（"));
        EXPECT_TRUE(filterPanel(w).contains(u"已停用 0")) << filterPanel(w).toStdString();
        EXPECT_FALSE(listed(w).contains("01"));

        const auto preview = [&](const std::function<void(FrmBranchImport&)>& body) {
            EXPECT_TRUE(withBranchPreview(w, file, body));
        };
        preview([&](FrmBranchImport& p) {
            EXPECT_EQ(verdicts(p), (QStringList{"无变化", "修改", "新增", "拒绝", "停用"}));
            EXPECT_EQ(column(p, 0), (QStringList{"2", "3", "4", "5", ""}));
            EXPECT_EQ(column(p, 3), (QStringList{a.code, b.code, d.code, "1021", c.code}));
            EXPECT_EQ(column(p, 4).last(), c.name) << "a retired branch shows as stored";
            const QStringList reasons = column(p, 2);
            EXPECT_TRUE(reasons[1].contains(renamed.name)) << reasons[1].toStdString();
            EXPECT_TRUE(reasons[3].contains(u"12 位")) << reasons[3].toStdString();
            EXPECT_TRUE(reasons[4].contains(u"不会删除")) << reasons[4].toStdString();
            EXPECT_EQ(counts(p), "共 4 行：新增 1，修改 1，无变化 1，拒绝 1；停用 1");
            auto* refused = p.findChild<QCheckBox*>("ChkRefused");
            refused->setChecked(true);
            EXPECT_EQ(column(p, 3), QStringList{"1021"});
            refused->setChecked(false);
            EXPECT_EQ(verdicts(p).size(), 5);
            EXPECT_TRUE(importButton(p)->isEnabled());
            p.findChild<QPushButton*>("CmdClose")->click();
        });
        EXPECT_EQ(branch(b.code).name, b.name) << "a closed preview stores nothing";
        EXPECT_TRUE(branch(c.code).retiredOn.isNull());
        EXPECT_TRUE(branch(d.code).code.isEmpty());

        preview([&](FrmBranchImport& p) {
            importButton(p)->click();
            EXPECT_FALSE(p.isVisible());
        });
        EXPECT_TRUE(h.pub()->callsOf("MsgBox").last().contains(u"新增 1，修改 1，停用 1"))
            << h.pub()->callsOf("MsgBox").last().toStdString();
        EXPECT_EQ(branch(b.code).name, renamed.name);
        EXPECT_EQ(branch(c.code).retiredOn, QDate::currentDate());
        EXPECT_EQ(branch(d.code).name, d.name);
        EXPECT_TRUE(branch("102100000005").code.isEmpty());
        // The filter the list shows counts against the new directory.
        EXPECT_EVENTUALLY(settled(w) && filterPanel(w).contains(u"已停用 1"));
        EXPECT_TRUE(listed(w).contains("01")) << listed(w).join(' ').toStdString();
    });
}

TEST_F(ImportTest, TheBranchDirectoryPreviewSaysWhyAFileCannotBeImported) {
    struct Case {
        const char* what;
        QString text;
        const char* said;
        int rows; ///< shown, each with its refusal
    };
    const Case cases[] = {
        {"no column of names", QStringLiteral("行号,城市\r\n102100000001,虚构市\r\n"), "行名", 0},
        {"no row to take", kHeader + row("1021", "示例银行甲虚构支行") + row("", "乙"),
         "保持不变", 2},
    };
    withList("bank", "NB", [&](FrmMain& w) {
        for (const Case& c : cases) {
            const int m = mark();
            EXPECT_TRUE(withBranchPreview(w, write("bad.csv", c.text, "UTF-8"),
                                          [&](FrmBranchImport& p) {
                                              EXPECT_EQ(verdicts(p).size(), c.rows) << c.what;
                                              EXPECT_EQ(verdicts(p).count("拒绝"), c.rows);
                                              EXPECT_TRUE(counts(p).contains(c.said)) << c.what;
                                              EXPECT_FALSE(importButton(p)->isEnabled());
                                          }));
            EXPECT_EQ(callsSince(m).filter("MsgBox(").size(), 1) << c.what;
        }
        auto directory =
            createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
        ClsCommonPtr db = ArchiveSession::current().SrvDB;
        EXPECT_FALSE(directory->Present(db));
    });
}

TEST_F(ImportTest, AStoppedOrClosedBranchDirectoryPreviewLeavesTheDirectoryAsItWas) {
    // Long enough to be read and checked still when the preview first shows.
    QString text = kHeader;
    for (int i = 0; i < 60000; ++i)
        text += row(QStringLiteral("102%1").arg(i, 9, 10, QLatin1Char('0')).toUtf8().constData(),
                    "示例银行虚构支行");
    const QString file = write("long.csv", text, "UTF-8");
    withList("bank", "NB", [&](FrmMain& w) {
        int step = 0;
        QString stoppedSays;
        int rowsAfterStop = -1;
        bool storableAfterStop = true;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto* p = qobject_cast<FrmBranchImport*>(QApplication::activeModalWidget());
            if (!p)
                return;
            if (step == 0 && p->checking()) {
                step = 1;
                QTest::keyClick(p, Qt::Key_Escape);
            } else if (step % 2 == 0 && !p->checking()) {
                // Done before it could be stopped: nothing to see here.
                p->reject();
                look.stop();
            } else if (step == 1 && !p->checking()) {
                step = 2;
                EXPECT_TRUE(p->isVisible()) << "Esc stops the work, not the window";
                stoppedSays = counts(*p);
                rowsAfterStop = p->findChild<QTableView*>("GrdPreview")->model()->rowCount();
                storableAfterStop = importButton(*p)->isEnabled();
                p->openFile(file);
            } else if (step == 2 && p->checking()) {
                step = 3;
                p->reject();
                look.stop();
            }
        });
        look.start(0);
        w.ImportBranchFile(file);
        EXPECT_EQ(step, 3);
        EXPECT_TRUE(stoppedSays.contains(u"已停止")) << stoppedSays.toStdString();
        EXPECT_EQ(rowsAfterStop, 0);
        EXPECT_FALSE(storableAfterStop);
        ClsCommonPtr db = ArchiveSession::current().SrvDB;
        EXPECT_FALSE(createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"))
                         ->Present(db));
    });
}
