// What a clerk waits for when searching the branch directory from the bank-account card's
// pick list (F2): from each key typed into its search box to the rows painted again, over a
// generated directory of N branches (made-up names); and, once, the reading of the directory
// into the session's index beside the window (the pick list's first use).
//   bench_directory_search N
// Prints "NAME VALUE" lines.
#include "BenchSupport.h"
#include "BranchIndexLoad.h"
#include "BranchPickList.h"
#include "ClassRegistry.h"
#include "ClsCommon.h"
#include "IBranchDirectory.h"
#include "SuiteRegistration.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

/// The searches typed key by key and taken back: a code's start, a bank and a city, pinyin
/// initials, part of a name.
const char* const kTyped[] = {"1021010", "第3银行 杭州", "yhhzsl", "示例安"};

/// n made-up branches in the order of their codes: fourteen head banks, forty cities each with
/// its province, names of the bank, the city, two characters that tell the branch, and 支行.
QVector<tarvo::BranchEntry> generatedBranches(int n) {
    const char* const banks[] = {"102", "103", "104", "105", "301", "302", "303",
                                 "304", "305", "306", "307", "308", "309", "310"};
    const QString cities[][2] = {
        {"杭州市", "浙江省"}, {"宁波市", "浙江省"}, {"温州市", "浙江省"}, {"南京市", "江苏省"},
        {"苏州市", "江苏省"}, {"无锡市", "江苏省"}, {"合肥市", "安徽省"}, {"福州市", "福建省"},
        {"厦门市", "福建省"}, {"南昌市", "江西省"}, {"济南市", "山东省"}, {"青岛市", "山东省"},
        {"郑州市", "河南省"}, {"武汉市", "湖北省"}, {"长沙市", "湖南省"}, {"广州市", "广东省"},
        {"深圳市", "广东省"}, {"南宁市", "广西壮族自治区"}, {"海口市", "海南省"},
        {"成都市", "四川省"}, {"贵阳市", "贵州省"}, {"昆明市", "云南省"}, {"西安市", "陕西省"},
        {"兰州市", "甘肃省"}, {"西宁市", "青海省"}, {"银川市", "宁夏回族自治区"},
        {"太原市", "山西省"}, {"石家庄市", "河北省"}, {"沈阳市", "辽宁省"}, {"大连市", "辽宁省"},
        {"长春市", "吉林省"}, {"哈尔滨市", "黑龙江省"}, {"呼和浩特市", "内蒙古自治区"},
        {"乌鲁木齐市", "新疆维吾尔自治区"}, {"拉萨市", "西藏自治区"}, {"北京市", "北京市"},
        {"天津市", "天津市"}, {"上海市", "上海市"}, {"重庆市", "重庆市"}, {"保定市", "河北省"}};
    const QString pool = QStringLiteral("安宝北昌诚达东丰福富广国海和恒华惠吉嘉建江金锦京康乐利"
                                        "联隆茂美民明南宁鹏平浦齐启庆荣瑞润森山上盛顺泰天通同万");
    const int bankCount = int(std::size(banks));
    const int cityCount = int(std::size(cities));
    const int perCity = (n + bankCount * cityCount - 1) / (bankCount * cityCount);
    QVector<tarvo::BranchEntry> out;
    out.reserve(n);
    for (int b = 0; b < bankCount && out.size() < n; ++b) {
        const QString bankName = QStringLiteral("示例第%1银行").arg(b + 1);
        for (int c = 0; c < cityCount && out.size() < n; ++c) {
            for (int i = 0; i < perCity && out.size() < n; ++i) {
                tarvo::BranchEntry e;
                e.bankCode = QString::fromLatin1(banks[b]);
                e.bankName = bankName;
                e.cityCode = QStringLiteral("%1").arg(1000 + c * 10, 4, 10, QLatin1Char('0'));
                e.code = e.bankCode + e.cityCode +
                         QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')) + u'0';
                e.city = cities[c][0];
                e.province = cities[c][1];
                e.name = bankName + e.city.chopped(1) + QStringLiteral("示例") +
                         pool[i % pool.size()] + pool[i / pool.size() % pool.size()] +
                         QStringLiteral("支行");
                out << e;
            }
        }
    }
    return out;
}

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 200000;
    tarvo::suite::registerSuiteClasses();
    QTemporaryDir dir;
    const QString dbName = dir.filePath(QStringLiteral("bench.db"));
    tarvo::ClsCommonPtr db = tarvo::createObject<tarvo::IClsCommon>(
        QStringLiteral("TarvoSrvTrans.IClsCommon"));
    db->Init(dbName);
    auto directory = tarvo::createObject<tarvo::IBranchDirectory>(
        QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
    QString error;
    if (!directory->Store(db, generatedBranches(n), {}, QDate::currentDate(), error)) {
        std::fprintf(stderr, "store: %s\n", qPrintable(error));
        return 1;
    }

    tarvo::BranchIndexLoad& load = tarvo::BranchIndexLoad::of(dbName);
    QElapsedTimer read;
    read.start();
    tarvo::BranchPickList list(load, QString());
    list.show();
    if (!QTest::qWaitFor([&] { return load.index() != nullptr; }, 600000)) {
        std::fprintf(stderr, "index: %s\n", qPrintable(load.error()));
        return 1;
    }
    const double readMs = msSince(read);
    QApplication::processEvents();

    auto* search = list.findChild<QLineEdit*>(QStringLiteral("EdtBranchSearch"));
    auto* rows = list.findChild<QTableView*>(QStringLiteral("GrdBranches"));
    std::vector<double> keys;
    std::vector<double> cpu;
    const auto timedKey = [&](auto press) {
        QElapsedTimer t;
        t.start();
        const double cpuBefore = bench::threadCpuMs();
        press();
        rows->viewport()->repaint();
        keys.push_back(msSince(t));
        cpu.push_back(bench::threadCpuMs() - cpuBefore);
    };
    for (const char* typed : kTyped) {
        const QString text = QString::fromUtf8(typed);
        // Letters and digits as keys, Chinese as an input method commits it.
        for (const QChar c : text)
            timedKey([&] {
                if (c.unicode() < 0x80) {
                    QTest::keyClick(search, c.toLatin1());
                } else {
                    QInputMethodEvent commit;
                    commit.setCommitString(QString(c));
                    QApplication::sendEvent(search, &commit);
                }
            });
        for (qsizetype i = 0; i < text.size(); ++i)
            timedKey([&] { QTest::keyClick(search, Qt::Key_Backspace); });
    }
    std::sort(keys.begin(), keys.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("branches %d\n", n);
    std::printf("index_read_ms %.1f\n", readMs);
    std::printf("index_mb %.1f\n", double(load.index()->bytes()) / 1048576.0);
    std::printf("search_key_median_ms %.2f\n", keys[keys.size() / 2]);
    std::printf("search_key_max_ms %.2f\n", keys.back());
    std::printf("search_key_cpu_median_ms %.2f\n", cpu[cpu.size() / 2]);
    std::printf("search_key_cpu_max_ms %.2f\n", cpu.back());
    return 0;
}
