// The print control over a data file: the preview's pages, and data it must refuse.
#include "PrintControl.h"
#include "PrintData.h"
#include "PrintDataReader.h"
#include "PrintFont.h"
#include "PrintPreviewDialog.h"
#include "PrintStyle.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tarvo::suite;

namespace {

/// 150 accounts in columns wider than a page: some names and addresses wrap, some notes hold
/// line breaks. The list's pages as the renderer before the pages were streamed counted them.
constexpr int kRows = 150;
constexpr int kPagesCountedBefore = 18;

PrintStyle wideStyle() {
    PrintStyle style;
    style.archive = "bank";
    style.title = "银行账号";
    style.columns = {{"序号", 600, Qt::AlignHCenter, CellKind::Number, 0},
                     {"编码", 1000, Qt::AlignLeft, CellKind::Text, -1},
                     {"银行账号", 2200, Qt::AlignLeft, CellKind::Text, -1},
                     {"账户名称", 1400, Qt::AlignLeft, CellKind::Text, -1},
                     {"开户银行地址", 2600, Qt::AlignLeft, CellKind::Text, -1},
                     {"当前余额", 1500, Qt::AlignRight, CellKind::Number, 2},
                     {"开户日期", 1200, Qt::AlignLeft, CellKind::Date, -1},
                     {"备注", 6000, Qt::AlignLeft, CellKind::Text, -1}};
    style.page = PrintStyle::defaultPage(13500);
    return style;
}

QStringList accountRow(int i) {
    const QString name = i % 7 == 0 ? QString("示例贸易有限责任公司第%1分公司基本存款账户").arg(i)
                                    : QString("账户%1").arg(i);
    const QString address = i % 3 == 0 ? QString("广东省广州市天河区天河路%1号 Tower B 室").arg(i)
                                       : QString("北京市海淀区%1号").arg(i);
    const QString note = i % 11 == 0 ? QString("第一行\n第二行 second line") : QString();
    return {QString::number(i),
            QString("B%1").arg(i, 5, 10, QChar('0')),
            QString("62220%1").arg(i, 14, 10, QChar('0')),
            name,
            address,
            QString::number(i * 1234.5, 'f', 1),
            "2024-01-31",
            note};
}

QString wideList() {
    QString data;
    PrintDataWriter w(&data, {"银行账号", "001", "demo", "演示", "2026-12-08"});
    for (int i = 1; i <= kRows; ++i)
        w.writeRow(accountRow(i));
    w.finish();
    return data;
}

struct PreviewTest : ::testing::Test {
    PrintControl control;
    QString styleXml = wideStyle().toXml();
    void SetUp() override {
        QString data = wideList();
        ASSERT_EQ(control.SetDataStyleXML(data, true, styleXml, true, "Default"), 0);
    }
};

struct Seen {
    QString firstLabel;
    bool pagePainted = false;
    QList<int> pages;
    QString lastLabel;
    int zoomedWidth = 0;
    int fitWidth = 0;
    bool closedByEsc = false;
};

} // namespace

TEST_F(PreviewTest, ShowsTheFirstPageAtOnceAndTurnsPagesByKey) {
    Seen seen;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<PrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        auto* label = d->findChild<QLabel*>("PrnPageLabel");
        auto* page = d->findChild<QLabel*>("PrnPage");
        seen.firstLabel = label ? label->text() : QString();
        seen.pagePainted = page && !page->pixmap().isNull();
        seen.fitWidth = page ? page->pixmap().width() : 0;
        QWidget* keys = d->findChild<QWidget*>("PrnPageArea");
        for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_End,
                            Qt::Key_PageDown, Qt::Key_Home, Qt::Key_PageUp}) {
            QTest::keyClick(keys, key);
            // End goes to the last page once the count is final, the window answering
            // meanwhile.
            if (key == Qt::Key_End) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return !d->counting(); }, 30000))
                    << "the page count ends";
            }
            seen.pages << d->currentPage();
        }
        QTest::keyClick(keys, Qt::Key_End);
        seen.lastLabel = label ? label->text() : QString();
        QTest::keyClick(keys, Qt::Key_Plus);
        seen.zoomedWidth = page ? page->pixmap().width() : 0;
        QTest::keyClick(keys, Qt::Key_Escape);
        seen.closedByEsc = !d->isVisible();
        if (d->isVisible())
            d->reject();
    });
    EXPECT_EQ(control.PrintPreview(), 0);
    EXPECT_TRUE(seen.pagePainted);
    // The first page shows before the rest are counted; End shows the last once they are.
    EXPECT_TRUE(seen.firstLabel.startsWith("第 1 页 / 共 ")) << seen.firstLabel.toStdString();
    EXPECT_EQ(seen.pages,
              QList<int>({1, 2, 1, kPagesCountedBefore - 1, kPagesCountedBefore - 1, 0, 0}));
    EXPECT_EQ(seen.lastLabel, QString("第 %1 页 / 共 %1 页").arg(kPagesCountedBefore));
    EXPECT_GT(seen.zoomedWidth, seen.fitWidth);
    EXPECT_TRUE(seen.closedByEsc);
}

TEST(PrintDataFile, RowsComeBackAsWrittenAndFromTheirOffsets) {
    QTemporaryDir dir;
    const QString path = dir.filePath("data.xml");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QList<QStringList> rows = {
        {"1", QStringLiteral("<&>\"'\u0001"), "两行\r\n地址", ""},
        {"2", QStringLiteral("\U0001F600 😀"), "tab\tend", "  spaced  "},
        {"3", "", "", ""}};
    PrintDataWriter w(static_cast<QIODevice*>(&file), {"标题 \"1\"", "001", "u", "用户", "d"});
    for (const QStringList& r : rows)
        w.writeRow(r);
    ASSERT_TRUE(w.finish());
    file.close();

    PrintDataFileReader reader(path);
    PrintDataHeader header;
    ASSERT_TRUE(reader.readHeader(header));
    EXPECT_EQ(header.title, "标题 \"1\"");
    EXPECT_EQ(header.userName, "用户");
    QStringList cells;
    QList<qint64> offsets;
    QList<QStringList> read;
    while (reader.next(cells)) {
        read << cells;
        offsets << reader.rowOffset();
    }
    EXPECT_FALSE(reader.hasError());
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read[0], QStringList({"1", QStringLiteral("<&>\"'\uFFFD"), "两行\r\n地址", ""}))
        << "a control character XML cannot hold is marked, a carriage return kept";
    EXPECT_EQ(read[1], rows[1]);
    EXPECT_EQ(read[2], rows[2]);
    ASSERT_TRUE(reader.seek(offsets[1]));
    ASSERT_TRUE(reader.next(cells));
    EXPECT_EQ(cells, rows[1]);

    // The same data as an XML reader takes it from the text form.
    QString text;
    PrintDataWriter t(&text, {});
    for (const QStringList& r : rows)
        t.writeRow(r);
    t.finish();
    PrintDataReader xml(text);
    ASSERT_TRUE(xml.readHeader(header));
    for (const QStringList& r : read) {
        EXPECT_TRUE(xml.next(cells));
        EXPECT_EQ(cells, r);
    }
}

TEST(PrintDataFile, DataThatIsMalformedOrDoesNotFitIsRefusedAndNothingIsWritten) {
    QTemporaryDir dir;
    const QString row = "<R><C>1</C><C>a</C></R>";
    const std::pair<const char*, QString> cases[] = {
        {"a row short of a cell", "<PrintData><R><C>1</C></R></PrintData>"},
        {"cut off", "<PrintData>" + row},
        {"a stray element", "<PrintData>" + row + "<X/></PrintData>"},
        {"an unknown entity", "<PrintData><R><C>&nbsp;</C><C/></R></PrintData>"},
        {"an unclosed cell", "<PrintData><R><C>1<C>2</C></R></PrintData>"},
        {"text between cells", "<PrintData><R>x<C>1</C><C>2</C></R></PrintData>"},
        {"something after the end", "<PrintData>" + row + "</PrintData><PrintData/>"},
        {"not print data", "<Other>" + row + "</Other>"},
        {"not XML", "序号,编码\n1,a\n"},
    };
    PrintStyle style;
    style.page = PrintStyle::defaultPage(2000);
    style.columns = {{"序号", 600, Qt::AlignLeft, CellKind::Number, 0},
                     {"编码", 1000, Qt::AlignLeft, CellKind::Text, -1}};
    QString styleXml = style.toXml();
    PrintControl control;
    QString good = dir.filePath("good.xml");
    {
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("<?xml version=\"1.0\"?>\n<PrintData title=\"t\">\n " + row + "\n" + row +
                 "</PrintData>\n")
                    .toUtf8());
    }
    EXPECT_EQ(control.SetDataStyleXML(good, false, styleXml, true, "Default"), 0);
    for (const auto& [why, content] : cases) {
        QString path = dir.filePath("bad.xml");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content.toUtf8());
        f.close();
        EXPECT_NE(control.SetDataStyleXML(path, false, styleXml, true, "Default"), 0) << why;
        QString text = content;
        EXPECT_NE(control.SetDataStyleXML(text, true, styleXml, true, "Default"), 0) << why;
        const QString pdf = dir.filePath("out.pdf");
        qint32 flags = 0;
        QString types = "3,202";
        QString sizes = "4,10";
        EXPECT_NE(control.ExportToFile(flags, types, sizes, pdf, {}), 0) << why;
        EXPECT_NE(control.PrintPreview(), 0) << why;
        EXPECT_FALSE(QFile::exists(pdf)) << why;
    }
    EXPECT_TRUE(QFile::exists(good)) << "a caller's file stays the caller's";
}

TEST(PrintFont, WrappedLinesFitTheirWidthKeepEveryCharacterAndBreakWhereTheyMay) {
    QFont f;
    f.setFamilies({"Noto Sans CJK SC", "Sans Serif"});
    f.setPixelSize(150);
    const PrintFont font(f);
    const double em = font.width(QStringLiteral("银"));
    ASSERT_GT(em, 0);
    const struct {
        const char* text;
        double ems;
    } cases[] = {
        {"示例贸易有限责任公司第7分公司基本存款账户", 6},
        {"6222020000000000000001234", 4},
        {"Tower B room 1201 of the west building", 5},
        {"银行，存款。（基本户）账户", 2},
        {"第一行\n第二行 second line\r\n", 4},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const double width = c.ems * em;
        const QStringList lines = font.wrap(text, width);
        EXPECT_EQ(font.lineCount(text, width), lines.size()) << c.text;
        QString joined;
        for (const QString& line : lines) {
            EXPECT_LE(font.width(QStringView(line).trimmed()), width + 0.01) << c.text;
            EXPECT_FALSE(line.startsWith(u'，') || line.startsWith(u'。') ||
                         line.startsWith(u'）') || line.endsWith(u'（'))
                << "punctuation stays with its word: " << c.text;
            joined += line;
        }
        QString plain = text;
        plain.remove(u'\n').remove(u'\r');
        EXPECT_EQ(joined, plain) << "no character lost or doubled: " << c.text;
    }
    EXPECT_EQ(font.wrap(QStringLiteral("Tower B room"), 5 * em).value(0).trimmed(), "Tower B")
        << "Latin words break at spaces";
    EXPECT_GT(font.wrap(QStringLiteral("6222020000000000000001234"), 4 * em).size(), 1)
        << "a number longer than the cell breaks inside";
    EXPECT_EQ(font.wrap(QStringLiteral("短"), 4 * em), QStringList({"短"}));
}
