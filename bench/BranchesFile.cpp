#include "BranchesFile.h"

#include <QDir>
#include <QFile>

#include <iterator>

namespace bench {

namespace {

/// Head banks of the seeded bank archive, with the short names the made-up branches carry.
struct HeadBank {
    const char* code;
    const char* name;
    const char* shortName;
};

const HeadBank kBanks[] = {
    {"102", "中国工商银行", "工商银行"},     {"103", "中国农业银行", "农业银行"},
    {"104", "中国银行", "中国银行"},         {"105", "中国建设银行", "建设银行"},
    {"301", "交通银行", "交通银行"},         {"302", "中信银行", "中信银行"},
    {"303", "中国光大银行", "光大银行"},     {"305", "中国民生银行", "民生银行"},
    {"308", "招商银行", "招商银行"},         {"309", "兴业银行", "兴业银行"},
    {"310", "上海浦东发展银行", "浦发银行"}, {"403", "中国邮政储蓄银行", "邮储银行"},
};
constexpr int kBankCount = int(std::size(kBanks));
/// Made-up cities per bank; a branch's number counts on within its bank and city.
constexpr int kCities = 500;
const char* const kProvinces[] = {"示例省", "样例省", "虚构自治区", "假设省"};

} // namespace

QString branchLine(int i) {
    const HeadBank& bank = kBanks[i % kBankCount];
    const int rest = i / kBankCount;
    const int city = 1000 + rest % kCities;
    const int number = rest / kCities;
    const QString code = QStringLiteral("%1%2%3%4")
                             .arg(QString::fromLatin1(bank.code))
                             .arg(city)
                             .arg(number, 4, 10, QLatin1Char('0'))
                             .arg((i * 7) % 10);
    return QStringLiteral("%1,示例%2虚构%3市第%4支行,%5,%6,%3,虚构%3市,%7\r\n")
        .arg(code, QString::fromUtf8(bank.shortName))
        .arg(city)
        .arg(number + 1)
        .arg(QString::fromLatin1(bank.code), QString::fromUtf8(bank.name),
             QString::fromUtf8(kProvinces[city % std::size(kProvinces)]));
}

QString writeBranchesFile(const QString& dir, int n) {
    QFile f(QDir(dir).filePath(QStringLiteral("branches.csv")));
    if (!f.open(QIODevice::WriteOnly))
        return {};
    QByteArray text =
        QStringLiteral("行号,行名,所属银行行号,所属银行名称,城市代码,城市,省份\r\n").toUtf8();
    for (int i = 0; i < n; ++i) {
        text += branchLine(i).toUtf8();
        if (text.size() > (1 << 20)) {
            f.write(text);
            text.clear();
        }
    }
    f.write(text);
    return f.error() == QFileDevice::NoError ? f.fileName() : QString();
}

} // namespace bench
