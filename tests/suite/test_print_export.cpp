// Exports read back the way their readers read them: values keep their meaning.
#include "AdoTypes.h"
#include "LoadedPrintControl.h"
#include "XlsxSheet.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::suite;

namespace {

/// An RFC 4180 reader: quoted fields may hold commas, doubled quotes and line breaks.
QVector<QStringList> readCsv(const QByteArray& bytes) {
    QVector<QStringList> rows;
    const QString text = QString::fromUtf8(bytes);
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

struct Sample {
    const char* code;
    const char* account;
    const char* name;
    const char* amount;
    const char* date;
};

// Codes with leading zeros, 19-digit account numbers, amounts as the grid shows them, names
// with the characters a file format treats specially, texts that look like formulas.
const Sample kSamples[] = {
    {"007", "6222021234567890123", "示例公司工行基本户", "1250000", "2024-01-31"},
    {"0100", "0200000000000000011", "逗号,与\"引号\"", "-386420.5", "2019-07-01"},
    {"=1+2", "+8613800000000", "两行\r\n地址", "0", ""},
    {"@SUM(A1)", "-12", "=HYPERLINK(\"x\")", "", "2021-09-15"},
};

struct ExportTest : ::testing::Test, LoadedPrintControl {
    QTemporaryDir dir;

    void SetUp() override {
        types = QStringLiteral("202,202,202,6,135");
        sizes = QStringLiteral("20,50,60,8,8");
        PrintStyle style;
        style.archive = "bank";
        style.page = PrintStyle::defaultPage(8000);
        style.columns = {{"编码", 1000, Qt::AlignLeft, CellKind::Text, -1},
                         {"银行账号", 2200, Qt::AlignLeft, CellKind::Text, -1},
                         {"账户名称", 2200, Qt::AlignLeft, CellKind::Text, -1},
                         {"当前余额", 1500, Qt::AlignRight, CellKind::Number, 2},
                         {"开户日期", 1200, Qt::AlignLeft, CellKind::Date, -1}};
        QVector<QStringList> rows;
        for (const Sample& s : kSamples)
            rows << QStringList{QString::fromUtf8(s.code), s.account, QString::fromUtf8(s.name),
                                s.amount, s.date};
        loadList(style, "银行账号", rows);
    }
};

} // namespace

TEST_F(ExportTest, CsvIsUtf8WithBomQuotedAsTheStandardSaysAndFormulasStayTexts) {
    const QString path = dir.filePath("list.csv");
    ASSERT_EQ(exportTo(path), 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const auto rows = readCsv(bytes.mid(3));
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], QStringList({"编码", "银行账号", "账户名称", "当前余额", "开户日期"}));
    EXPECT_EQ(rows[1], QStringList({"007", "6222021234567890123", "示例公司工行基本户",
                                    "1250000.00", "2024-01-31"}));
    EXPECT_EQ(rows[2], QStringList({"0100", "0200000000000000011", "逗号,与\"引号\"", "-386420.50",
                                    "2019-07-01"}));
    // Texts a spreadsheet would evaluate carry a leading apostrophe; numbers stay numbers.
    EXPECT_EQ(rows[3], QStringList({"'=1+2", "'+8613800000000", "两行\r\n地址", "0.00", ""}));
    EXPECT_EQ(rows[4], QStringList({"'@SUM(A1)", "'-12", "'=HYPERLINK(\"x\")", "", "2021-09-15"}));
}

TEST_F(ExportTest, AListExportedStraightFromItsRowsIsTheFileItsPrintDataGives) {
    // Besides the samples: characters no XML carries (a control character, a noncharacter),
    // a lone carriage return, markup, white space at both ends and an empty row.
    QVector<QStringList> awkward = rows;
    awkward << QStringList{"\x01" "01", "a\rb", "<b>&amp;</b>", " 12 ", "\t"}
            << QStringList{QString(QChar(0xFFFE)) + "尾", "", "", "", ""};
    loadList(PrintStyle::fromXml(styleXml).value(), listName, awkward);
    for (const char* type : {"csv", "xlsx"}) {
        SCOPED_TRACE(type);
        const QString fromData = dir.filePath(QStringLiteral("data.") + type);
        const QString fromRows = dir.filePath(QStringLiteral("rows.") + type);
        ASSERT_EQ(exportTo(fromData), 0) << lastExportOutcome().error.toStdString();
        ASSERT_EQ(exportListTo(fromRows), 0) << lastExportOutcome().error.toStdString();
        if (QByteArray(type) == "csv") {
            QFile a(fromData);
            QFile b(fromRows);
            ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            const QByteArray bytes = a.readAll();
            EXPECT_EQ(b.readAll(), bytes);
            EXPECT_TRUE(bytes.contains("\xEF\xBF\xBD" "01,\"a\rb\",<b>&amp;</b>,12.00,'\t\r\n"))
                << bytes.constData();
            continue;
        }
        const auto a = XlsxSheet::read(fromData);
        const auto b = XlsxSheet::read(fromRows);
        ASSERT_TRUE(a && b);
        ASSERT_EQ(b->lastRow(), a->lastRow());
        for (int row = 1; row <= a->lastRow(); ++row)
            for (const char* col : {"A", "B", "C", "D", "E"}) {
                const QString at = col + QString::number(row);
                EXPECT_EQ(b->at(at).value, a->at(at).value) << at.toStdString();
                EXPECT_EQ(b->at(at).type, a->at(at).type) << at.toStdString();
            }
    }
    rows.clear();
    const QString none = dir.filePath("none.csv");
    EXPECT_EQ(exportListTo(none), IPrintControl::kEmptyList);
    EXPECT_FALSE(QFile::exists(none)) << "a list without rows writes no file";
}

TEST_F(ExportTest, XlsxKeepsCodesAsTextsAmountsAsNumbersAndDatesAsDates) {
    const QString path = dir.filePath("list.xlsx");
    ASSERT_EQ(exportTo(path), 0);
    const auto sheet = XlsxSheet::read(path);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->lastRow(), 5);
    const auto isText = [](const XlsxCell& c) {
        return (c.type == "inlineStr" || c.type == "s" || c.type == "str") && !c.formula;
    };
    EXPECT_EQ(sheet->at("B1").value, "银行账号");
    for (int i = 0; i < 4; ++i) {
        const Sample& s = kSamples[i];
        const QString row = QString::number(i + 2);
        for (const auto& [col, text] :
             {std::pair{"A", s.code}, std::pair{"B", s.account}, std::pair{"C", s.name}}) {
            const XlsxCell cell = sheet->at(col + row);
            EXPECT_TRUE(isText(cell)) << col << i << " type " << cell.type.toStdString();
            EXPECT_EQ(cell.value, QString::fromUtf8(text)) << col << i;
        }
    }
    EXPECT_EQ(sheet->at("D2").type, "n");
    EXPECT_DOUBLE_EQ(sheet->at("D2").value.toDouble(), 1250000);
    EXPECT_DOUBLE_EQ(sheet->at("D3").value.toDouble(), -386420.5);
    EXPECT_EQ(sheet->at("D5").type, "") << "an empty amount stays empty";
    // 2024-01-31 is day 45322 of the spreadsheet calendar.
    EXPECT_EQ(sheet->at("E2").type, "n");
    EXPECT_EQ(sheet->at("E2").value.toDouble(), 45322);
}

TEST_F(ExportTest, AFailedOrRefusedExportSaysWhyAndLeavesFilesAlone) {
    const QString existing = dir.filePath("keep.csv");
    {
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("before");
    }
    EXPECT_EQ(exportTo(dir.filePath("list.txt")), 2);
    EXPECT_FALSE(lastExportOutcome().error.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("list.txt")));

    EXPECT_EQ(exportTo(dir.filePath("missing/list.xlsx")), 1);
    EXPECT_FALSE(lastExportOutcome().error.isEmpty());

    types = "202,202";
    EXPECT_EQ(exportTo(existing), 3) << "types for other columns than the style's";
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "before");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList("keep.csv"))
        << "no temporary file is left behind";
}

TEST_F(ExportTest, TheSaveDialogOffersTheWorkbookFirstAndTellsWhatEachTypeIsFor) {
    QStringList filters;
    QStringList chosen;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            filters = d->nameFilters();
            chosen = d->selectedFiles();
            d->reject();
        }
    });
    EXPECT_EQ(exportTo(QString()), -1) << "cancelled";
    ASSERT_EQ(filters.size(), 3);
    // A spreadsheet that opens a .csv takes long account numbers and codes for numbers.
    EXPECT_TRUE(filters[0].endsWith("(*.xlsx)") && filters[0].contains("电子表格"))
        << filters[0].toStdString();
    EXPECT_TRUE(filters[1].endsWith("(*.csv)") && filters[1].contains("程序"))
        << filters[1].toStdString();
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_TRUE(chosen[0].endsWith(".xlsx")) << chosen[0].toStdString();
}

TEST_F(ExportTest, AWildcardTypedAsTheNameIsRefusedAndTheDialogStays) {
    // The clerk types "*", is told why it cannot be a name, then gives up.
    QStringList warnings;
    int offered = 0;
    QTimer clerk;
    QObject::connect(&clerk, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            warnings << box->text();
            box->accept();
        } else if (auto* d = qobject_cast<QFileDialog*>(modal)) {
            d->setDirectory(dir.path());
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (offered++ == 0 && name) {
                name->selectAll();
                QTest::keyClicks(name, QStringLiteral("*"));
                QTest::keyClick(name, Qt::Key_Return);
            } else {
                d->reject();
            }
        }
    });
    clerk.start(20);
    EXPECT_EQ(exportTo(QString()), -1) << "cancelled after the refusal";
    clerk.stop();
    EXPECT_EQ(offered, 2) << "the dialog is offered again after the refusal";
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("通配符"))) << warnings[0].toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "no file named after a wildcard";
}

TEST(PrintControlInput, DataOrStyleThatDoNotFitAreRefused) {
    PrintControl control;
    PrintStyle style;
    style.page = PrintStyle::defaultPage(1000);
    style.columns = {{"编码", 1000, Qt::AlignLeft, CellKind::Text, -1}};
    QString good = style.toXml();
    QString data;
    PrintDataWriter w(&data, {});
    w.writeRow({"01"});
    w.finish();
    QString twoCells;
    PrintDataWriter w2(&twoCells, {});
    w2.writeRow({"01", "02"});
    w2.finish();
    QString broken = data.left(data.size() - 5);
    QString placeholder = "<style/>";
    EXPECT_EQ(control.SetDataStyleXML(data, true, good, true, "Default"), 0);
    EXPECT_NE(control.SetDataStyleXML(data, true, placeholder, true, "Default"), 0);
    EXPECT_NE(control.SetDataStyleXML(twoCells, true, good, true, "Default"), 0);
    EXPECT_NE(control.SetDataStyleXML(broken, true, good, true, "Default"), 0);
}

TEST_F(ExportTest, AnExportAskedToStopLeavesTheFileThatWasThereAndSaysItWasCancelled) {
    // A PDF's pages are laid out (one step a row) before they are painted: it stops at its
    // first page.
    const int stopAt[] = {1, 1, int(std::size(kSamples)) + 1};
    const char* formats[] = {"csv", "xlsx", "pdf"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(formats[i]);
        const QString path = dir.filePath(QStringLiteral("list.%1").arg(formats[i]));
        QFile before(path);
        ASSERT_TRUE(before.open(QIODevice::WriteOnly));
        before.write("before");
        before.close();
        qint32 flags = 0;
        ASSERT_FALSE(control.BeginExport(flags, types, sizes, path, QString()));
        int asked = 0;
        control.RunOutput({{}, [&] { return ++asked >= stopAt[i]; }});
        EXPECT_EQ(control.EndOutput(), -1);
        EXPECT_EQ(lastExportOutcome().result, -1);
        ASSERT_TRUE(before.open(QIODevice::ReadOnly));
        EXPECT_EQ(before.readAll(), "before");
        before.close();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), i + 1) << "no file half written";
        EXPECT_EQ(exportTo(path), 0) << "a stop leaves the control ready for the next";
        EXPECT_GT(QFileInfo(path).size(), 6);
    }
}
