// A script's export without a window writes what the list window's output command writes for
// the same list, and fails as it does.
#include "ListWindowFixture.h"
#include "PdfText.h"
#include "PrintControl.h"
#include "UnattendedExport.h"
#include "XlsxSheet.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>

#include <utility>

using namespace tarvo;

namespace {

/// The session's server transaction, whose reading of a long list breaks off after its first
/// chunk of rows as a lost connection would.
class BrokenOffReads : public IClsCommon {
public:
    explicit BrokenOffReads(ClsCommonPtr db) : m_db(std::move(db)) {}
    void Init(const QString& dbName) override { m_db->Init(dbName); }
    bool Status() const override { return m_db->Status(); }
    RecordsetPtr OpenX(QString& sql) override { return m_db->OpenX(sql); }
    RecordsetPtr OpenXBound(QString& sql, const QVariantList& params) override {
        return m_db->OpenXBound(sql, params);
    }
    RowLoadPtr OpenXInBackground(QString& sql, std::function<void()> ended) override {
        return m_db->OpenXInBackground(sql, std::move(ended));
    }
    bool OpenXInChunks(QString& sql, const QVector<FieldInfo>& fields, int rowsPerChunk,
                       const std::function<bool(const RecordsetPtr&)>& chunk,
                       QString& error) override {
        bool handed = false;
        m_db->OpenXInChunks(
            sql, fields, rowsPerChunk,
            [&](const RecordsetPtr& rows) { return !std::exchange(handed, true) && chunk(rows); },
            error);
        error = QStringLiteral("与数据库服务器的连接已中断");
        return false;
    }
    bool Add(QString& xml, const QString& archive, QString& errText) override {
        return m_db->Add(xml, archive, errText);
    }
    bool Modify(QString& xml, const QString& archive, QString& errText) override {
        return m_db->Modify(xml, archive, errText);
    }
    bool Delete(QVariant& key, const QString& keyField, const QString& archive, QString& errText,
                const QString& userId) override {
        return m_db->Delete(key, keyField, archive, errText, userId);
    }
    bool SaveBatch(const QStringList& xmls, const QString& archive, bool store,
                   QVector<BatchVerdict>& verdicts, QString& errText,
                   const WorkProgress& progress) override {
        return m_db->SaveBatch(xmls, archive, store, verdicts, errText, progress);
    }

private:
    ClsCommonPtr m_db;
};

struct UnattendedExportTest : ListWindowTest {
    QTemporaryDir dir;
    UnattendedExportTest() {
        h.configurePub = [](RecordingPub& p) { p.realPrinting = true; };
    }
    ~UnattendedExportTest() override { suite::setUnattendedExportPath({}); }

    /// The user's own layout of the account list: its columns in an order of the user's, one
    /// of them hidden, sorted by the account number downwards.
    void setOwnLayout() {
        struct Column {
            const char* field;
            bool shown;
            int width;
            const char* order;
        };
        const Column columns[] = {
            {"cBAccount", true, 2400, "desc"},     {"cBCode", true, 900, nullptr},
            {"bBflag", true, 1000, nullptr},       {"iSignFlag", true, 1500, nullptr},
            {"iAccProperty", true, 1300, nullptr}, {"fCurBalance", true, 1800, nullptr},
            {"cBName", false, 2000, nullptr},      {"AA_Bank.cBankName", true, 1700, nullptr},
            {"dOpenAccDate", true, 1400, nullptr}, {"cAccName", true, 2200, nullptr},
        };
        h.exec("delete from tarvo_colset_layout where cUserId='demo' and cColSet='Bank_NB'");
        int place = 1;
        for (const Column& c : columns)
            h.exec(
                "insert into tarvo_colset_layout (cUserId, cColSet, iOrder, cFld, cCaption, "
                "iAlign, bDisp, iColWidth, cOrder) values ('demo', 'Bank_NB', ?, ?, ?, 7, ?, ?, ?)",
                {place++, c.field, QStringLiteral("列%1").arg(c.field), c.shown ? 1 : 0, c.width,
                 c.order ? QVariant(QString::fromLatin1(c.order)) : QVariant()});
    }

    /// Accounts whose cells take every rule of the list's texts: yes and no, both signing
    /// flags, each account property and none, amounts with and without decimals and none, a
    /// name with the separator and quotes of a .csv, one over lines with a formula after a line
    /// break and a control character no XML carries, and an account number of digits with
    /// leading zeros.
    void setTrickyAccounts() {
        h.exec("update bank set bBflag = 1, iSignFlag = 1, iAccProperty = 2, "
               "fCurBalance = 1234567.5, cAccName = '甲,\"乙\"' where cBCode = '01'");
        h.exec("update bank set bBflag = 0, iSignFlag = 0, iAccProperty = NULL, "
               "fCurBalance = -0.25, cAccName = ?, cBAccount = '000123' where cBCode = '02'",
               {QStringLiteral("第一行\n第二行\r\n=1+2\x01尾")});
        h.exec("update bank set fCurBalance = NULL, cAccName = '' where cBCode = '03'");
    }

    /// The file the window's output command writes, then the one the script's export writes.
    std::pair<QString, QString> exportBoth(const QString& type) {
        const QString byWindow = dir.filePath("window." + type);
        const QString byScript = dir.filePath("script." + type);
        suite::setUnattendedExportPath(byWindow);
        withList("bank", "NB", [&](FrmMain& w) { runCommand(w, "SaveFile"); });
        suite::setUnattendedExportPath(byScript);
        EXPECT_TRUE(exportByScript());
        return {byWindow, byScript};
    }

    /// The export as the host runs it: its first questions go with the session's start.
    bool exportByScript() {
        ITarvoArchive component;
        return component.RunWithoutWindow(h.login, "bank", "NB", exportUnattended, false,
                                          expectUnattendedExport);
    }

    static QByteArray bytesOf(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    /// Every cell of the first sheet, row by row, with the widths of its columns.
    static QStringList cellsOf(const QString& xlsx) {
        const auto sheet = XlsxSheet::read(xlsx);
        EXPECT_TRUE(sheet.has_value()) << xlsx.toStdString();
        QStringList cells;
        if (!sheet)
            return cells;
        for (int row = 1; row <= sheet->lastRow(); ++row)
            for (char column = 'A'; column <= 'Z'; ++column) {
                const XlsxCell c = sheet->at(QString(QChar(column)) + QString::number(row));
                if (!c.type.isEmpty())
                    cells << QStringLiteral("%1%2 %3 %4").arg(column).arg(row).arg(c.type, c.value);
            }
        for (int column = 1; column <= 26; ++column)
            cells << QString::number(sheet->columnWidth(column));
        return cells;
    }
};

} // namespace

TEST_F(UnattendedExportTest, WritesTheWindowsFileOfTheUsersOwnListInEveryFormat) {
    setOwnLayout();
    setTrickyAccounts();
    // More accounts than one chunk of rows holds: the chunks join without a seam.
    h.exec("insert into bank (cBCode, cBAccount, cCurrencyName, cBName, cBankCode, iSignFlag, "
           "fCurBalance) with recursive n(i) as (select 1 union all select i + 1 from n where i < "
           "4200) select 'X' || i, '9' || i, '人民币', '支行' || i, '102', i % 2, i * 1.5 from n");

    const auto [windowCsv, scriptCsv] = exportBoth("csv");
    const QByteArray csv = bytesOf(scriptCsv);
    EXPECT_EQ(csv, bytesOf(windowCsv));
    const QList<QByteArray> lines = csv.split('\n');
    ASSERT_GT(lines.size(), 4200);
    EXPECT_TRUE(lines[0].contains("列cBAccount")) << lines[0].constData();
    EXPECT_FALSE(lines[0].contains("列cBName")) << "a hidden column stays out";
    EXPECT_TRUE(lines[1].startsWith("1,9999,")) << "sorted as the user sorts, downwards";
    EXPECT_TRUE(csv.contains("\"甲,\"\"乙\"\"\"")) << "a name with a comma and quotes, quoted";
    EXPECT_TRUE(csv.contains(",\"第一行\n第二行\r\n=1+2\xEF\xBF\xBD尾\"")) << "lines kept whole";
    EXPECT_TRUE(csv.contains(",000123,")) << "an account number keeps its zeros";
    // The list's texts, not the stored codes; the amount with the account's decimals.
    const ArchiveSession& s = ArchiveSession::current();
    for (const QString& shown : {QStringLiteral(",1234567.50,"), s.YesNoText.value(1),
                                 s.SignFlagText.value(1), s.AccPropertyText.value(2)})
        EXPECT_TRUE(csv.contains(shown.toUtf8())) << shown.toStdString();

    h.exec("delete from bank where cBCode like 'X%'");
    const auto [windowXlsx, scriptXlsx] = exportBoth("xlsx");
    const QStringList cells = cellsOf(scriptXlsx);
    EXPECT_EQ(cells, cellsOf(windowXlsx));
    EXPECT_GT(cells.size(), 26 + 8 * 3) << cells.join('\n').toStdString();

    const auto [windowPdf, scriptPdf] = exportBoth("pdf");
    const QString text = pdfText(scriptPdf);
    EXPECT_EQ(text, pdfText(windowPdf));
    EXPECT_TRUE(text.contains("1,234,567.50")) << text.toStdString();
}

TEST_F(UnattendedExportTest, FollowsTheUsersRowNumbersOptionAlsoWithoutTheStylesTable) {
    // The option comes in one request with the print style; where the style cannot be read,
    // the option is read by itself rather than taken as unset.
    const QString csv = dir.filePath("accounts.csv");
    const auto numbered = [&] {
        suite::setUnattendedExportPath(csv);
        EXPECT_TRUE(exportByScript());
        const QByteArray file = bytesOf(csv);
        EXPECT_GT(file.count('\n'), 2) << file.constData();
        return file.left(file.indexOf('\n')).contains("COMMON.serialnumber");
    };
    EXPECT_TRUE(numbered());
    h.exec("insert into tarvo_option (cUserId, cKey, cValue) values "
           "('demo', 'listwindow.printno', '0')");
    EXPECT_FALSE(numbered());
    h.exec("drop table tarvo_print_style");
    EXPECT_FALSE(numbered());
    h.exec("update tarvo_option set cValue = '1' where cUserId = 'demo' and "
           "cKey = 'listwindow.printno'");
    EXPECT_TRUE(numbered());
}

TEST_F(UnattendedExportTest, TwoExportsInOneProcessEachTakeTheAccountsDecimalsAsTheyAreThen) {
    // A host that keeps the component loaded exports again after the setting changed.
    h.exec("update bank set fCurBalance = 1234567.5 where cBCode = '01'");
    const QString csv = dir.filePath("accounts.csv");
    const auto exported = [&] {
        suite::setUnattendedExportPath(csv);
        ITarvoArchive component;
        EXPECT_TRUE(component.RunWithoutWindow(h.login, "bank", "NB", exportUnattended));
        return bytesOf(csv);
    };
    const auto setDecimals = [&](const char* decimals) {
        h.exec("update AccInformation set cValue = ? where cSysID = 'AA' and cID = '20' and "
               "cName = 'iStrsPriDecDgt'",
               {QString::fromLatin1(decimals)});
    };
    setDecimals("2");
    EXPECT_TRUE(exported().contains(",1234567.50,"));
    setDecimals("3");
    const QByteArray three = exported();
    EXPECT_TRUE(three.contains(",1234567.500,")) << three.left(400).constData();
    setDecimals("0");
    const QByteArray none = exported();
    EXPECT_TRUE(none.contains(",1234568,")) << none.left(400).constData();
}

TEST_F(UnattendedExportTest, BuildsNoListWindowAndReadsNoRowsBesideOne) {
    const QString csv = dir.filePath("accounts.csv");
    suite::setUnattendedExportPath(csv);
    const auto lists = [] {
        QSet<QWidget*> found;
        for (QWidget* widget : QApplication::allWidgets())
            if (qobject_cast<FrmMain*>(widget))
                found.insert(widget);
        return found;
    };
    const QSet<QWidget*> before = lists();
    bool listBuilt = false;
    ITarvoArchive component;
    EXPECT_TRUE(component.RunWithoutWindow(h.login, "bank", "NB", [&](ComVar& comVar) {
        const bool written = exportUnattended(comVar);
        listBuilt = lists() != before;
        return written;
    }));
    EXPECT_FALSE(listBuilt);
    EXPECT_TRUE(h.backgroundSql.isEmpty()) << h.backgroundSql.join("\n").toStdString();
    EXPECT_EQ(suite::lastExportOutcome().result, 0);
    EXPECT_TRUE(QFile::exists(csv));
}

TEST_F(UnattendedExportTest, WritesNothingWithoutTheColumnRightOrRowsAndKeepsAnOlderFile) {
    const QString csv = dir.filePath("accounts.csv");
    {
        QFile older(csv);
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("older");
    }
    suite::setUnattendedExportPath(csv);
    const auto run = [&] { return exportByScript(); };

    h.exec("insert into tarvo_colset_denied (cUserId, cColSet) values ('demo', 'Bank_NB')");
    int m = int(h.pubCalls().size());
    EXPECT_FALSE(run());
    EXPECT_EQ(h.pubCalls().mid(m).filter("MsgBox"),
              QStringList("MsgBox(res:Tarvo.AAARCHIVE.COMMON.no_colauth_error,64,"
                          "res:Tarvo.AA.ARCHIVE.COMMON.information)"));
    h.exec("delete from tarvo_colset_denied");

    h.exec("delete from bank");
    m = int(h.pubCalls().size());
    EXPECT_FALSE(run());
    EXPECT_EQ(h.pubCalls().mid(m).filter("MsgBox"),
              QStringList("MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.nodata,64,"
                          "res:Tarvo.AA.ARCHIVE.COMMON.information)"));
    EXPECT_EQ(bytesOf(csv), "older");
}

TEST_F(UnattendedExportTest, AListBrokenOffMidwayKeepsTheOlderFileAndSaysHowFarItGot) {
    // Rows go into the file as they come: the first chunk is in it when the rest fail to come.
    h.exec("insert into bank (cBCode, cBAccount, cCurrencyName, cBName, cBankCode) with "
           "recursive n(i) as (select 1 union all select i + 1 from n where i < 5000) select "
           "'X' || i, '9' || i, '人民币', '支行' || i, '102' from n");
    for (const char* type : {"csv", "xlsx", "pdf"}) {
        const QString target = dir.filePath(QStringLiteral("accounts.") + type);
        {
            QFile older(target);
            ASSERT_TRUE(older.open(QIODevice::WriteOnly));
            older.write("older");
        }
        suite::setUnattendedExportPath(target);
        const int m = int(h.pubCalls().size());
        ITarvoArchive component;
        EXPECT_FALSE(component.RunWithoutWindow(h.login, "bank", "NB", [](ComVar& comVar) {
            ArchiveSession& s = ArchiveSession::current();
            const ClsCommonPtr db = s.SrvDB;
            s.SrvDB = std::make_shared<BrokenOffReads>(db);
            const auto restored = qScopeGuard([&] { s.SrvDB = db; });
            return exportUnattended(comVar);
        })) << type;
        EXPECT_EQ(bytesOf(target), "older") << type;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
            << type << ": nothing half-written is left beside it";
        const QStringList said = h.pubCalls().mid(m).filter("MsgBox");
        ASSERT_EQ(said.size(), 1) << type;
        EXPECT_TRUE(said[0].contains(QStringLiteral("与数据库服务器的连接已中断"))) << type;
        EXPECT_NE(suite::lastExportOutcome().result, 0) << type;
        QFile::remove(target);
    }
}

TEST_F(UnattendedExportTest, ATargetThatCannotBeWrittenKeepsTheOlderFileAndSaysWhy) {
    for (const char* name : {"accounts.txt", "missing/accounts.csv"}) {
        const QString target = dir.filePath(name);
        QFile older(target);
        const bool hadOlder = older.open(QIODevice::WriteOnly) && older.write("older") == 5;
        older.close();
        suite::setUnattendedExportPath(target);
        const int m = int(h.pubCalls().size());
        EXPECT_FALSE(exportByScript()) << name;
        EXPECT_NE(suite::lastExportOutcome().result, 0) << name;
        EXPECT_FALSE(suite::lastExportOutcome().error.isEmpty()) << name;
        EXPECT_EQ(h.pubCalls().mid(m).filter("PrintMsg(").size(), 1) << name;
        EXPECT_EQ(bytesOf(target), hadOlder ? QByteArray("older") : QByteArray()) << name;
    }
}
