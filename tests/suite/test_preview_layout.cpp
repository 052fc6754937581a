// Pages laid out a slice at a time, and the preview that shows its first page before the rest
// of a long list is laid out.
#include "Eventually.h"
#include "PageRenderer.h"
#include "PrintData.h"
#include "PrintPreviewDialog.h"
#include "PrintStyle.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

using namespace tarvo::suite;

namespace {

/// Names and addresses that wrap, and an amount column too narrow for its caption, which wraps
/// onto three lines until a large amount far down the list widens the column: the header row
/// then shrinks and every page holds more rows.
PrintStyle narrowAmountStyle() {
    PrintStyle style;
    style.archive = "bank";
    style.title = "银行账号";
    style.columns = {{"编码", 1000, Qt::AlignLeft, CellKind::Text, -1},
                     {"账户名称", 1400, Qt::AlignLeft, CellKind::Text, -1},
                     {"开户银行地址", 2600, Qt::AlignLeft, CellKind::Text, -1},
                     {"期末余额合计", 500, Qt::AlignRight, CellKind::Number, 2},
                     {"开户日期", 1200, Qt::AlignLeft, CellKind::Date, -1}};
    style.page = PrintStyle::defaultPage(6700);
    return style;
}

QString writeList(const QString& path, int rows, int wideRow) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    PrintDataWriter w(static_cast<QIODevice*>(&file), {"银行账号", "001", "demo", "演示", "d"});
    for (int i = 1; i <= rows; ++i)
        w.writeRow({QString("B%1").arg(i, 6, 10, QChar('0')),
                    i % 5 == 0 ? QString("示例贸易有限责任公司第%1分公司").arg(i)
                               : QString("账户%1").arg(i),
                    i % 3 == 0 ? QString("广东省广州市天河区天河路%1号 Tower B").arg(i)
                               : QString("北京市%1号").arg(i),
                    i == wideRow ? QString("123456789012.25") : QString::number(i % 90 + 0.5),
                    "2024-01-31"});
    return w.finish() ? path : QString();
}

QImage pageImage(PageRenderer& pages, int page) {
    QImage image((pages.pageSize() / 8).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.scale(1.0 / 8, 1.0 / 8);
    EXPECT_TRUE(pages.paintPage(p, page)) << page;
    return image;
}

int fullCount(const PrintStyle& style, const QString& path) {
    PageRenderer whole(style, path);
    return whole.layOut(style.page) ? whole.pageCount() : -1;
}

struct LongList : ::testing::Test {
    static constexpr int kRows = 60000;
    QTemporaryDir dir;
    PrintStyle style = narrowAmountStyle();
    QString path = writeList(dir.filePath("data.xml"), kRows, kRows - 10);
    int total = fullCount(style, path);
    void SetUp() override { ASSERT_GT(total, 100); }
};

/// The first paint of the preview's page, with whether the layout was complete by then.
struct FirstPaint : QObject {
    PageRenderer& pages;
    bool painted = false;
    bool completeThen = true;
    explicit FirstPaint(PageRenderer& p) : pages(p) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!painted && event->type() == QEvent::Paint && watched->objectName() == u"PrnPage") {
            painted = !static_cast<QLabel*>(watched)->pixmap().isNull();
            completeThen = pages.complete();
        }
        return false;
    }
};

} // namespace

TEST(PageLayout, ASliceAtATimeEndsInThePagesOfTheWholeLayoutWhateverIsPaintedMeanwhile) {
    QTemporaryDir dir;
    const PrintStyle style = narrowAmountStyle();
    const QString path = writeList(dir.filePath("data.xml"), 6000, 5900);
    ASSERT_FALSE(path.isEmpty());
    PageRenderer whole(style, path);
    ASSERT_TRUE(whole.layOut(style.page));

    PageRenderer sliced(style, path);
    ASSERT_TRUE(sliced.beginLayout(style.page));
    EXPECT_EQ(sliced.pageCount(), 0);
    int slices = 0;
    int mostKnown = 0;
    while (!sliced.complete()) {
        ASSERT_TRUE(sliced.layOutMore(1)) << "slice " << slices;
        if (!sliced.complete()) {
            ASSERT_GT(sliced.pageCount(), 0);
            mostKnown = std::max(mostKnown, sliced.pageCount());
            // A page read amid the layout moves the reader the layout goes on from.
            pageImage(sliced, sliced.pageCount() - 1);
            pageImage(sliced, 0);
        }
        ++slices;
    }
    EXPECT_GT(slices, 10);
    EXPECT_GT(mostKnown, whole.pageCount())
        << "the header row shrank when the column widened, and the rows moved up";
    ASSERT_EQ(sliced.pageCount(), whole.pageCount());
    for (int page = 0; page < whole.pageCount(); ++page)
        EXPECT_EQ(pageImage(sliced, page), pageImage(whole, page)) << "page " << page + 1;

    // Data damaged after the first pages fails the layout that meets it.
    PageRenderer damaged(style, path);
    ASSERT_TRUE(damaged.beginLayout(style.page));
    ASSERT_TRUE(damaged.layOutMore(2));
    QFile(path).resize(QFile(path).size() / 2);
    EXPECT_FALSE(damaged.layOut(style.page));
    EXPECT_TRUE(damaged.failed());
    EXPECT_FALSE(damaged.complete());
}

TEST_F(LongList, ThePreviewPaintsPageOneBeforeTheLayoutIsCompleteAndCountsOnToTheWhole) {
    PageRenderer pages(style, path);
    ASSERT_TRUE(pages.beginLayout(style.page));
    FirstPaint first(pages);
    PrintPreviewDialog d(pages, style.page);
    d.findChild<QLabel*>("PrnPage")->installEventFilter(&first);
    QSignalSpy counted(&d, &PrintPreviewDialog::pagesCounted);
    auto* label = d.findChild<QLabel*>("PrnPageLabel");
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().startsWith("第 1 页 / 共 ")) << label->text().toStdString();
    EXPECT_TRUE(label->text().contains("正在计算页数")) << label->text().toStdString();
    d.resize(900, 650);
    d.show();
    EXPECT_EVENTUALLY(first.painted);
    EXPECT_FALSE(first.completeThen);

    // Page turning is answered while the count still grows.
    QWidget* keys = d.findChild<QWidget*>("PrnPageArea");
    QTest::keyClick(keys, Qt::Key_PageDown);
    EXPECT_EQ(d.currentPage(), 1);
    EXPECT_EVENTUALLY_WITHIN(counted.size() == 1, 30000);
    EXPECT_EQ(counted.at(0).at(0).toInt(), total);
    EXPECT_EQ(label->text(), QString("第 2 页 / 共 %1 页").arg(total));
    QTest::keyClick(keys, Qt::Key_End);
    EXPECT_EQ(d.currentPage(), total - 1);
    EXPECT_FALSE(d.failed());
}

TEST_F(LongList, TheLastPageAndPrintingWaitForTheWholeLayout) {
    PageRenderer pages(style, path);
    ASSERT_TRUE(pages.beginLayout(style.page));
    PrintPreviewDialog d(pages, style.page);
    QWidget* keys = d.findChild<QWidget*>("PrnPageArea");
    ASSERT_FALSE(pages.complete());
    // End is answered at once and shows the last page when the count is final.
    QTest::keyClick(keys, Qt::Key_End);
    EXPECT_FALSE(pages.complete()) << "End laid out the whole list before returning";
    EXPECT_EVENTUALLY_WITHIN(pages.complete(), 30000);
    EXPECT_EQ(d.currentPage(), total - 1);
    EXPECT_EQ(d.findChild<QLabel*>("PrnPageLabel")->text(),
              QString("第 %1 页 / 共 %1 页").arg(total));

    // Printing on other paper lays the pages out for it; the preview then lays its own out
    // again and counts what it counted before.
    PageRenderer again(style, path);
    ASSERT_TRUE(again.beginLayout(style.page));
    PrintPreviewDialog second(again, style.page);
    QSignalSpy counted(&second, &PrintPreviewDialog::pagesCounted);
    int printedPages = 0;
    QObject::connect(&second, &PrintPreviewDialog::printRequested, [&] {
        QPageLayout landscape = style.page;
        landscape.setOrientation(QPageLayout::Landscape);
        if (again.layOut(landscape))
            printedPages = again.pageCount();
    });
    second.findChild<QAction*>("PrnPrint")->trigger();
    EXPECT_GT(printedPages, 0);
    EXPECT_NE(printedPages, total);
    EXPECT_EVENTUALLY_WITHIN(counted.size() == 1, 30000);
    EXPECT_EQ(again.pageCount(), total);
    EXPECT_FALSE(second.failed());
}

TEST_F(LongList, ClosingMidLayoutStopsItAndAFileThatCannotBeReadIsSaid) {
    PageRenderer pages(style, path);
    ASSERT_TRUE(pages.beginLayout(style.page));
    auto d = std::make_unique<PrintPreviewDialog>(pages, style.page);
    d->show();
    const int first = pages.pageCount();
    EXPECT_EVENTUALLY(pages.pageCount() > first);
    ASSERT_FALSE(pages.complete());
    d.reset();
    pages.release();
    const int known = pages.pageCount();
    // The slices run from a zero timer: had one outlived the preview, these turns would run it.
    for (int turn = 0; turn < 3; ++turn)
        QCoreApplication::processEvents();
    EXPECT_EQ(pages.pageCount(), known) << "nothing lays out for a closed preview";
    ASSERT_TRUE(pages.layOut(style.page)) << "what was laid out is taken up again";
    EXPECT_EQ(pages.pageCount(), total);

    PageRenderer cut(style, path);
    ASSERT_TRUE(cut.beginLayout(style.page));
    PrintPreviewDialog broken(cut, style.page);
    QFile(path).resize(QFile(path).size() / 2);
    auto* label = broken.findChild<QLabel*>("PrnPageLabel");
    EXPECT_EVENTUALLY(label->text().startsWith("无法读取打印数据"));
    EXPECT_TRUE(broken.failed());
    QTest::keyClick(broken.findChild<QWidget*>("PrnPageArea"), Qt::Key_End);
    EXPECT_TRUE(label->text().startsWith("无法读取打印数据"));
}

TEST_F(LongList, ALayoutAskedToStopEndsThereAndGoesOnLaterToTheSamePages) {
    PageRenderer pages(style, path);
    qint64 told = 0;
    const tarvo::WorkProgress stopAt100{[&](qint64 rows) { told = rows; },
                                        [&] { return told >= 100; }};
    EXPECT_FALSE(pages.layOut(style.page, stopAt100));
    EXPECT_EQ(told, 100);
    EXPECT_FALSE(pages.complete());
    EXPECT_FALSE(pages.failed()) << "a stop is no fault of the data";
    ASSERT_TRUE(pages.layOut(style.page));
    EXPECT_EQ(pages.pageCount(), total);
}

TEST_F(LongList, APrintBesideThePreviewHoldsItStillUntilThePrintEnds) {
    PageRenderer pages(style, path);
    ASSERT_TRUE(pages.beginLayout(style.page));
    PrintPreviewDialog d(pages, style.page);
    d.show();
    QObject::connect(&d, &PrintPreviewDialog::printRequested, [&] { d.holdForPrint(); });
    d.findChild<QAction*>("PrnPrint")->trigger();
    EXPECT_TRUE(d.printing());
    EXPECT_FALSE(d.isEnabled()) << "no key or button of the preview reaches the pages";
    const int known = pages.pageCount();
    bool turned = false;
    QTimer::singleShot(30, [&] { turned = true; });
    EXPECT_EVENTUALLY(turned);
    EXPECT_EQ(pages.pageCount(), known) << "the preview leaves the pages to the print";
    d.printEnded();
    EXPECT_TRUE(d.isEnabled());
    EXPECT_EVENTUALLY_WITHIN(pages.complete(), 30000);
    EXPECT_EQ(pages.pageCount(), total);
}
