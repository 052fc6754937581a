// Cells on their way into export files: number and date texts typed the way the grid shows
// them, and a cell longer than a workbook holds refused instead of quietly left out.
#include "LoadedPrintControl.h"
#include "XlsxSheet.h"
#include "XlsxWidths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>

using namespace tarvo::suite;

namespace {

struct ExportCells : ::testing::Test, LoadedPrintControl {
    QTemporaryDir dir;

    /// The control given one column of each caption, ADO type and decimals, and these rows.
    void load(const QVector<std::tuple<QString, int, int>>& columns,
              const QVector<QStringList>& rows, const QString& title = QString(),
              const QPageLayout& page = PrintStyle::defaultPage(4000), bool fitWidth = false) {
        PrintStyle style;
        style.title = title;
        style.page = page;
        style.fitWidth = fitWidth;
        QStringList typeList;
        QStringList sizeList;
        for (const auto& [caption, type, decimals] : columns) {
            style.columns << PrintColumn{caption, 1500, Qt::AlignLeft, CellKind::Text, decimals};
            typeList << QString::number(type);
            sizeList << QStringLiteral("20");
        }
        types = typeList.join(u',');
        sizes = sizeList.join(u',');
        loadList(style, "清单", rows);
    }

    /// The lines after the caption line of a .csv without quoted line breaks.
    QStringList csvLines(const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(f.readAll().mid(3)).split(QStringLiteral("\r\n"));
        EXPECT_EQ(lines.takeLast(), QString());
        lines.removeFirst();
        return lines;
    }
};

} // namespace

TEST_F(ExportCells, NumberAndDateTextsBecomeNumbersAndDatesOnlyWhenTheyReadAsOne) {
    // The grid's texts of an amount (2 decimals), a count (as many digits as it needs) and a
    // date; what does not read as one stays the text it was.
    const QVector<QStringList> rows = {
        {"1,250,000.5", "0.1", "2024-01-31"},
        {" +12 ", "123456789012345680", "2024-01-31 00:00:00"},
        {"-0.004", "1e-7", "2024-02-30"},
        {"1e3", "-2.5", "2024-01-31 08:30:00"},
        {"12 5", "inf", "31/01/2024"},
        {"+-5", "1,", "2024-1-31"},
        {"十二", "", "２０２４-01-31"},
        // Beyond ASCII a number may hold white space around it and the minus sign U+2212;
        // words (an account's property shown in a number column) and full-width digits do not.
        {"\u00A01,250\u2003", "\u2212" "3", "2024-01-31"},
        {"-5", "只检查付款账号", "2024-01-31"},
        {"12", "\u30007 ", "2024-01-31"},
        {"1", "１２", "2024-01-31"},
    };
    load({{"金额", 6, 2}, {"数量", 3, -1}, {"日期", 135, -1}}, rows);
    const QString path = dir.filePath("cells.csv");
    ASSERT_EQ(exportTo(path), 0) << lastExportOutcome().error.toStdString();
    // The count column is written as numbers in whatever digits read back as the same double
    // ("0.1" may come as 0.10000000000000001); "inf" does not read as one and stays text.
    const QList<std::array<const char*, 3>> expected = {
        {"1250000.50", "0.1", "2024-01-31"},
        {"12.00", "123456789012345680", "2024-01-31"},
        {"-0.00", "1e-7", "2024-02-30"},
        {"1000.00", "-2.5", "2024-01-31 08:30:00"},
        {"12 5", nullptr, "31/01/2024"},
        {"'+-5", "1", "2024-1-31"},
        {"十二", nullptr, "２０２４-01-31"},
        {"1250.00", "-3", "2024-01-31"},
        {"-5.00", nullptr, "2024-01-31"},
        {"12.00", "7", "2024-01-31"},
        {"1.00", nullptr, "2024-01-31"},
    };
    const QStringList lines = csvLines(path);
    ASSERT_EQ(lines.size(), expected.size()) << lines.join(u'\n').toStdString();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].toStdString());
        const QStringList cells = lines[i].split(u',');
        EXPECT_EQ(cells.size(), 3);
        if (cells.size() != 3)
            continue;
        EXPECT_EQ(cells[0], QString::fromUtf8(expected[i][0]));
        EXPECT_EQ(cells[2], QString::fromUtf8(expected[i][2]));
        if (!expected[i][1]) {
            EXPECT_EQ(cells[1], rows[i][1]) << "stays the text it was";
            continue;
        }
        bool number = false;
        const double written = cells[1].toDouble(&number);
        EXPECT_TRUE(number);
        EXPECT_EQ(written, QString::fromUtf8(expected[i][1]).toDouble()) << "reads back exactly";
    }
}

TEST_F(ExportCells, AVeryLongCellIsWrittenWholeToCsvAndRefusedByAWorkbook) {
    const QString longest = QString(32767, u'账');
    const QString tooLong = QStringLiteral("\"引号\",") + QString(200000, u'长');
    load({{"编码", 202, -1}, {"备注", 202, -1}}, {{"007", longest}, {"008", tooLong}});

    const QString csv = dir.filePath("long.csv");
    ASSERT_EQ(exportTo(csv), 0);
    QString quoted = tooLong;
    quoted.replace(u'"', QStringLiteral("\"\""));
    EXPECT_EQ(csvLines(csv), QStringList({"007," + longest, "008,\"" + quoted + u'"'}));

    const QString workbook = dir.filePath("long.xlsx");
    EXPECT_EQ(exportTo(workbook), 1);
    EXPECT_TRUE(lastExportOutcome().error.contains("32767") &&
                lastExportOutcome().error.contains("备注") &&
                lastExportOutcome().error.contains(".csv"))
        << lastExportOutcome().error.toStdString();
    EXPECT_FALSE(QFile::exists(workbook));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList("long.csv"));

    load({{"编码", 202, -1}, {"备注", 202, -1}}, {{"007", longest}});
    ASSERT_EQ(exportTo(workbook), 0) << lastExportOutcome().error.toStdString();
    const auto sheet = XlsxSheet::read(workbook);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->at("B2").value, longest) << "a cell at the limit is kept whole";
}

TEST_F(ExportCells, AWorkbookTakesWhateverTitleTheListHasForItsSheetName) {
    for (const QString& title : QStringList{"'月末'", "'", "[银行]:账户*?/\\", QString(40, u'长')}) {
        load({{"编码", 202, -1}}, {{"007"}}, title);
        const QString path = dir.filePath("titled.xlsx");
        EXPECT_EQ(exportTo(path), 0) << title.toStdString();
        const auto sheet = XlsxSheet::read(path);
        EXPECT_TRUE(sheet) << title.toStdString();
        if (sheet) {
            EXPECT_EQ(sheet->at("A2").value, "007") << title.toStdString();
        }
    }
}

TEST_F(ExportCells, AWorkbooksColumnsAreAsWideAsTheirCaptionAndWidestValueWithinACap) {
    // The widest name comes last, past any first rows a sample would look at.
    QVector<QStringList> rows = {{"01", "示例公司工行基本户", "1234567.8", "短"},
                                 {"0002", "短名", "-5", QString(200, u'长')}};
    for (int i = 0; i < 300; ++i)
        rows << QStringList{QString::number(i), "账户", "1", ""};
    rows << QStringList{"9", "示例公司建设银行上海浦东分行一般户", "0", ""};
    load({{"编码", 202, -1}, {"账户名称", 202, -1}, {"当前余额", 6, 2}, {"备注", 202, -1}},
         rows);
    const QString path = dir.filePath("widths.xlsx");
    ASSERT_EQ(exportTo(path), 0) << lastExportOutcome().error.toStdString();
    const auto sheet = XlsxSheet::read(path);
    ASSERT_TRUE(sheet);
    // A spreadsheet stores a width with a fraction of a character of its own for the margins.
    EXPECT_NEAR(sheet->columnWidth(1), 6, 1) << "the caption 编码 (4) is wider than any code";
    EXPECT_NEAR(sheet->columnWidth(2), 35, 1) << "17 ideographs count 34";
    EXPECT_NEAR(sheet->columnWidth(3), 13, 1) << "1,234,567.80 as its format shows it";
    EXPECT_NEAR(sheet->columnWidth(4), XlsxWidths::kCap, 1) << "200 ideographs, capped";
    EXPECT_EQ(sheet->at("B304").value, "示例公司建设银行上海浦东分行一般户");
    EXPECT_NE(sheet->pageSetup("orientation"), "landscape") << "a portrait list stays portrait";
    EXPECT_EQ(sheet->pageSetup("fitToPage"), "") << "not fitted unless the clerk said so";
}

TEST_F(ExportCells, AWorkbookPrintsWithTheListsOrientationAndFitToItsWidth) {
    const QPageLayout landscape(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    load({{"编码", 202, -1}}, {{"007"}}, QString(), landscape, true);
    const QString path = dir.filePath("fitted.xlsx");
    ASSERT_EQ(exportTo(path), 0) << lastExportOutcome().error.toStdString();
    const auto sheet = XlsxSheet::read(path);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->pageSetup("orientation"), "landscape");
    EXPECT_EQ(sheet->pageSetup("fitToPage"), "1");
    // One page across: a workbook leaves out the width when it is the one page it means.
    EXPECT_TRUE(QStringList({"", "1"}).contains(sheet->pageSetup("fitToWidth")));
    EXPECT_EQ(sheet->pageSetup("fitToHeight"), "0") << "as many pages down as the rows need";
}

TEST(XlsxWidths, TextsCountIdeographsTwiceAndTheirLongestLineNumbersAsTheirFormatShowsThem) {
    const auto width = [](const char* text) { return XlsxWidths::textWidth(QByteArray(text)); };
    EXPECT_EQ(width("6222021234567890123"), 19);
    EXPECT_EQ(width("示例公司"), 8);
    EXPECT_EQ(width("ＡＢ（甲）"), 10) << "full-width forms";
    EXPECT_EQ(width("Café"), 4) << "a two-byte letter is one";
    EXPECT_EQ(width("𠀀a"), 3) << "a supplementary-plane ideograph is two";
    EXPECT_EQ(width("两行\r\n地址很长的一行"), 14);
    EXPECT_EQ(width(""), 0);

    XlsxWidths w({"金额", "序号", "数量"});
    w.seeNumber(0, -1234567.8, 2, true);
    EXPECT_DOUBLE_EQ(w.width(0), 14) << "-1,234,567.80 and a character's room";
    w.seeNumber(1, 119989, 0, false);
    EXPECT_DOUBLE_EQ(w.width(1), 7) << "a count without separators";
    w.seeNumber(2, 999.5, -1, true);
    EXPECT_DOUBLE_EQ(w.width(2), 12) << "General shows at most 11 characters";
    w.seeNumber(2, 5, -1, true);
    EXPECT_DOUBLE_EQ(w.width(2), 12) << "a narrower value keeps the width";
}
