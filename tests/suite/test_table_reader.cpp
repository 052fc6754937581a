#include "TableReader.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <xlsxwriter.h>

using namespace tarvo::suite;

namespace {

using Rows = QVector<QStringList>;

const Rows kBanks{{"银行编码", "银行名称", "企业账号定长"},
                  {"102", "中国工商银行", "是"},
                  {"9 01", "“测试”银行", "否"}};

QByteArray csvOf(const Rows& rows) {
    QString text;
    for (const QStringList& r : rows)
        text += r.join(u',') + QStringLiteral("\r\n");
    return text.toUtf8();
}

TEST(TableReader, CsvIsReadInTheEncodingItWasSavedIn) {
    const QByteArray utf8 = csvOf(kBanks);
    QStringEncoder toGb("GB18030");
    const QByteArray gb = toGb(QString::fromUtf8(utf8));
    ASSERT_FALSE(toGb.hasError());
    ASSERT_NE(gb, utf8);
    for (const QByteArray& bytes : {utf8, QByteArray("\xEF\xBB\xBF") + utf8, gb}) {
        const TableText t = readCsv(bytes);
        EXPECT_TRUE(t.error.isEmpty()) << t.error.toStdString();
        EXPECT_EQ(t.rows, kBanks);
    }
}

TEST(TableReader, CsvQuotingFollowsTheRfc) {
    const QByteArray bytes("code,name,addr\r\n"
                           "\"01\",\"甲, 乙\",\"say \"\"hi\"\"\"\r\n"
                           "02,,\"two\r\nlines\"\n"
                           "03,x\"y,\n"
                           "04,last");
    const TableText t = readCsv(bytes);
    ASSERT_TRUE(t.error.isEmpty()) << t.error.toStdString();
    EXPECT_EQ(t.rows, (Rows{{"code", "name", "addr"},
                            {"01", "甲, 乙", "say \"hi\""},
                            {"02", "", "two\r\nlines"},
                            {"03", "x\"y", ""},
                            {"04", "last"}}));
}

TEST(TableReader, CsvQuotesAndLineBreaksOnTheBoundaryOfAPieceReadAsAnywhereElse) {
    // The reader decodes the file 64 KiB at a time and takes plain text a run at a time: each
    // character that decides something is put on either side of a piece's end in turn.
    const QByteArray tricky("\"a\"\"b\",\"x\r\ny\"\r\n7,8\r\n");
    const Rows trickyRows{{"a\"b", "x\r\ny"}, {"7", "8"}};
    constexpr int kPiece = 1 << 16;
    for (int shift = 0; shift < tricky.size(); ++shift) {
        SCOPED_TRACE(shift);
        // Rows of padding end shift bytes before a piece ends.
        QByteArray bytes("c1,c2\r\n");
        Rows rows{{"c1", "c2"}};
        for (int left = kPiece - shift - int(bytes.size()); left > 0;) {
            const int row = left > 1005 ? 1000 : left;
            bytes += QByteArray(row - 4, 'p') + ",q\r\n";
            rows << QStringList{QString(row - 4, u'p'), "q"};
            left -= row;
        }
        const TableText t = readCsv(bytes + tricky);
        ASSERT_TRUE(t.error.isEmpty()) << t.error.toStdString();
        EXPECT_EQ(t.rows, rows + trickyRows);
    }
}

TEST(TableReader, WhatIsNoCsvTableIsRefusedWithTheReason) {
    const struct {
        QByteArray bytes;
        const char16_t* reason;
    } cases[] = {
        {"a,b\r\n1,\"open\r\n2,3\r\n", u"第 2 行开始的引号没有结束"},
        {"a,b\r\n\x81\x20,\xFF\r\n", u"既不是 UTF-8 也不是 GB18030"},
        {QByteArray("a,b\r\n1,\0\r\n", 9), u"二进制"},
    };
    for (const auto& c : cases) {
        const TableText t = readCsv(c.bytes);
        EXPECT_TRUE(t.rows.isEmpty());
        EXPECT_TRUE(t.error.contains(QString::fromUtf16(c.reason))) << t.error.toStdString();
    }
    QTemporaryDir dir;
    TableReader reader;
    Rows rows;
    QString error;
    EXPECT_FALSE(reader.Read(dir.filePath("banks.txt"), rows, error));
    EXPECT_TRUE(error.contains(u".csv")) << error.toStdString();
    EXPECT_FALSE(reader.Read(dir.filePath("missing.csv"), rows, error));
    EXPECT_TRUE(error.contains(u"无法打开")) << error.toStdString();
    QFile junk(dir.filePath("junk.xlsx"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("PK\x03\x04 not really a workbook");
    junk.close();
    EXPECT_FALSE(reader.Read(junk.fileName(), rows, error));
    EXPECT_TRUE(error.contains(u"不是有效的 Excel 工作簿")) << error.toStdString();
}

/// A workbook as spreadsheet programs write it (shared strings), or row by row (inline strings).
QString writeWorkbook(const QTemporaryDir& dir, bool constantMemory) {
    const QString path = dir.filePath(constantMemory ? "inline.xlsx" : "shared.xlsx");
    lxw_workbook_options options{};
    options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "账户");
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* amount = workbook_add_format(book);
    format_set_num_format(amount, "#,##0.00");
    worksheet_write_string(sheet, 0, 0, "编码", nullptr);
    worksheet_write_string(sheet, 0, 1, "银行账号", nullptr);
    worksheet_write_string(sheet, 0, 3, "开户日期", nullptr);
    worksheet_write_string(sheet, 0, 4, "当前余额", nullptr);
    worksheet_write_string(sheet, 1, 0, "01", nullptr);
    worksheet_write_string(sheet, 1, 1, "0200000000000000011", nullptr);
    lxw_datetime opened{2018, 3, 12, 0, 0, 0};
    worksheet_write_datetime(sheet, 1, 3, &opened, date);
    worksheet_write_number(sheet, 1, 4, 1250000.5, amount);
    worksheet_write_number(sheet, 3, 0, 7, nullptr);
    worksheet_write_number(sheet, 3, 1, 200000000000000011.0, nullptr);
    worksheet_write_boolean(sheet, 3, 2, 1, nullptr);
    EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
    return path;
}

TEST(TableReader, AStopAskedAtAnyMomentEndsTheReadWithNothingRead) {
    QTemporaryDir dir;
    Rows many{kBanks.first()};
    for (int i = 0; i < 6000; ++i)
        many << QStringList{QString::number(10000 + i), QStringLiteral("银行%1").arg(i), "否"};
    // Past one piece of the file, so that a CSV read asks more than once.
    const QByteArray csv = csvOf(many);
    ASSERT_GT(csv.size(), 1 << 16);
    QFile csvFile(dir.filePath("many.csv"));
    ASSERT_TRUE(csvFile.open(QIODevice::WriteOnly));
    csvFile.write(csv);
    csvFile.close();
    for (const QString& path : {csvFile.fileName(), writeWorkbook(dir, false)}) {
        SCOPED_TRACE(path.toStdString());
        int asks = 0;
        QVector<QStringList> rows;
        QString error;
        TableReader reader;
        ASSERT_TRUE(reader.Read(path, rows, error, {{}, [&] { return ++asks, false; }}));
        ASSERT_GT(asks, 1);
        for (int stopAt = 0; stopAt < asks; ++stopAt) {
            int asked = 0;
            EXPECT_FALSE(reader.Read(path, rows, error, {{}, [&] { return asked++ >= stopAt; }}))
                << stopAt;
            EXPECT_TRUE(rows.isEmpty()) << stopAt;
            EXPECT_TRUE(error.isEmpty()) << stopAt << error.toStdString();
        }
    }
}

TEST(TableReader, XlsxCellsComeBackAsTheSheetShowsThem) {
    QTemporaryDir dir;
    for (const bool constantMemory : {false, true}) {
        const TableText t = readXlsx(writeWorkbook(dir, constantMemory));
        EXPECT_TRUE(t.error.isEmpty()) << t.error.toStdString();
        // Column C has no caption: its cell in row 4 is no field of anything imported.
        EXPECT_EQ(t.rows, (Rows{{"编码", "银行账号", "开户日期", "当前余额"},
                                {"01", "0200000000000000011", "2018-03-12", "1250000.5"},
                                {},
                                {"7", "2E+17"}}))
            << "constant memory " << constantMemory;
    }
}

} // namespace
