// How long printing and exporting a long bank-account list takes, and how much memory it
// needs on top of the list itself:
//   bench_print_export N FORMAT      FORMAT: xlsx, csv or pdf (pdf = the printed pages)
// One size and format per process, so that peak memory belongs to it.
#include "AccountDatabase.h"
#include "ClsCommon.h"
#include "Grid.h"
#include "IListWindow.h"
#include "PeakMemory.h"
#include "PrintControl.h"
#include "Pub.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const char* const kCaptions[] = {
    "编码",     "银行账号",  "账户名称", "开户日期",     "币种",     "开户银行",
    "所属银行", "省/自治区", "市/县",    "开户银行地址", "客户编号", "机构号",
    "联行号",   "当前余额",  "签约标志", "进行密码管理", "是否暂封"};
constexpr int kCols = int(std::size(kCaptions));

class ListStub : public QWidget, public tarvo::IListWindow {
public:
    ListStub() : grid(new tarvo::suite::Grid(this)) {}
    QVector<tarvo::ListField> listFields() const override {
        QVector<tarvo::ListField> fields;
        for (int c = 0; c < kCols; ++c)
            fields.push_back(
                {QString(), QString::fromUtf8(kCaptions[c]), c == 3 ? 135 : (c == 13 ? 6 : 202)});
        return fields;
    }
    QString archiveName() const override { return QStringLiteral("bank"); }
    QString currentField() const override { return {}; }
    void showFilter(const QString&) override {}
    tarvo::suite::Grid* grid;
};

void fill(tarvo::suite::Grid* g, int n) {
    const int widths[kCols] = {1000, 2200, 2200, 1200, 900,  2400, 1800, 1200, 1200,
                               2600, 1200, 1100, 1400, 1500, 1600, 1200, 900};
    g->setCols(kCols + 1);
    g->setRows(n + 1);
    g->setTextMatrix(0, 0, QStringLiteral("序号"));
    g->setColWidth(0, 600);
    for (int c = 0; c < kCols; ++c) {
        g->setTextMatrix(0, c + 1, QString::fromUtf8(kCaptions[c]));
        g->setColWidth(c + 1, widths[c]);
    }
    for (int i = 1; i <= n; ++i) {
        const QString row[kCols] = {
            QStringLiteral("B%1").arg(i, 7, 10, QLatin1Char('0')),
            QStringLiteral("62220%1").arg(i, 14, 10, QLatin1Char('0')),
            QStringLiteral("示例公司账户%1").arg(i),
            QStringLiteral("2020-01-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
            QStringLiteral("人民币"),
            QStringLiteral("中国工商银行第%1支行").arg(i % 500),
            QStringLiteral("中国工商银行"),
            QStringLiteral("广东省"),
            QStringLiteral("广州市"),
            QStringLiteral("广州市天河区天河路%1号").arg(i),
            QStringLiteral("C%1").arg(i),
            QStringLiteral("ORG-%1").arg(i % 97),
            QStringLiteral("1025810%1").arg(i % 100000, 5, 10, QLatin1Char('0')),
            QString::number(i * 10.25, 'f', 2),
            QStringLiteral("只检查付款账号"),
            QStringLiteral("否"),
            QStringLiteral("否")};
        g->setTextMatrix(i, 0, QString::number(i));
        for (int c = 0; c < kCols; ++c)
            g->setTextMatrix(i, c + 1, row[c]);
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    const QString format = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("xlsx");
    QTemporaryDir dir;
    tarvo::ClsCommonPtr db = std::make_shared<tarvo::suite::ClsCommon>();
    db->Init(dir.filePath("account.db"));

    ListStub list;
    fill(list.grid, n);
    const long listKb = peakKilobytes();

    QElapsedTimer t;
    t.start();
    tarvo::suite::Pub pub;
    QString style;
    QString data;
    pub.GetPrnStyleFile(true, {}, style, "bank", db, list.grid);
    pub.GetPrnDataFile(true, data, {}, {}, "本单位开户银行", "001", "demo", "演示", nullptr, db,
                       list.grid);
    tarvo::suite::PrintControl control;
    if (control.SetDataStyleXML(data, true, style, true, "Default") != 0) {
        std::fprintf(stderr, "the control refused the list\n");
        return 1;
    }
    const qint64 prepared = t.elapsed();

    QString types = QStringLiteral("3");
    QString sizes = QStringLiteral("4");
    for (int c = 0; c < kCols; ++c) {
        types += c == 3 ? QStringLiteral(",135")
                        : (c == 13 ? QStringLiteral(",6") : QStringLiteral(",202"));
        sizes += QStringLiteral(",40");
    }
    const QString path = dir.filePath("list." + format);
    qint32 flags = 0;
    t.restart();
    const int result = control.ExportToFile(flags, types, sizes, path, QString());
    const qint64 written = t.elapsed();
    if (result != 0) {
        std::fprintf(stderr, "export failed: %s\n",
                     qPrintable(tarvo::suite::lastExportOutcome().error));
        return 1;
    }
    std::printf("%7d rows %-4s  style+data %6lld ms  write %7lld ms  data %6.1f MB  file %6.1f MB  "
                "peak %5ld MB (list alone %5ld MB)\n",
                n, qPrintable(format), prepared, written, data.size() * 2 / 1048576.0,
                QFileInfo(path).size() / 1048576.0, peakKilobytes() / 1024, listKb / 1024);
    return 0;
}
