#include "BranchImport.h"

#include "ClassRegistry.h"
#include "Edit.h"
#include "ErrorHandling.h"
#include "ITableReader.h"
#include "TextCharacters.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace tarvo {

namespace {

/// The captions files use for each field, in BranchImport::Field's order: the makers of these
/// files do not agree on one.
const char* const kCaptions[][6] = {
    {"行号", "联行号", "Bank Code", "Branch Code", "CNAPS Code", nullptr},
    {"行名", "Branch Name", "Bank Name", nullptr},
    {"所属银行行号", "Head Bank Code", nullptr},
    {"所属银行名称", "所属银行", "Head Bank", nullptr},
    {"城市代码", "City Code", nullptr},
    {"城市", "City", nullptr},
    {"省份", "Province", nullptr},
};

/// The longest text of each field the directory keeps.
constexpr int kSizes[] = {12, 120, 3, 120, 10, 60, 60};

/// The entry's texts in BranchImport::Field's order.
QString BranchEntry::*const kTexts[] = {
    &BranchEntry::code,     &BranchEntry::name, &BranchEntry::bankCode, &BranchEntry::bankName,
    &BranchEntry::cityCode, &BranchEntry::city, &BranchEntry::province};

bool digits(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

/// What spreadsheets write for a number too long to show ("1.02100000001E+11").
bool inExponentNotation(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9](\\.[0-9]+)?[Ee][+-][0-9]+$"));
    return pattern.match(text).hasMatch();
}

bool blank(const QStringList& cells) {
    return std::all_of(cells.begin(), cells.end(),
                       [](const QString& c) { return c.trimmed().isEmpty(); });
}

} // namespace

int BranchImport::fieldOf(const QString& caption) {
    const QString wanted = caption.trimmed();
    for (int f = 0; f < FieldCount; ++f)
        for (const char* const* c = kCaptions[f]; *c; ++c)
            if (wanted.compare(QString::fromUtf8(*c), Qt::CaseInsensitive) == 0)
                return f;
    return -1;
}

QString BranchImport::captionOf(int field) {
    switch (field) {
    case Code:
        return tr("行号");
    case Name:
        return tr("行名");
    case BankCode:
        return tr("所属银行行号");
    case BankName:
        return tr("所属银行名称");
    case CityCode:
        return tr("城市代码");
    case City:
        return tr("城市");
    default:
        return tr("省份");
    }
}

QString BranchImport::verdictText(BranchVerdict verdict) {
    switch (verdict) {
    case BranchVerdict::New:
        return tr("新增");
    case BranchVerdict::Changed:
        return tr("修改");
    case BranchVerdict::Unchanged:
        return tr("无变化");
    case BranchVerdict::Retired:
        return tr("停用");
    default:
        return tr("拒绝");
    }
}

bool BranchImport::read(const QString& path, QString& error, const WorkProgress& progress) {
    auto reader = createObject<ITableReader>(QStringLiteral("TarvoPrint.TableReader"));
    if (!reader)
        throw ArchiveError(tr("无法创建表格文件读取组件"));
    const QString file = QFileInfo(path).fileName();
    QVector<QStringList> cells;
    QString readError;
    if (!reader->Read(path, cells, readError, progress)) {
        if (!readError.isEmpty())
            error = tr("无法导入“%1”：%2").arg(file, readError);
        return false;
    }
    return take(std::move(cells), file, error);
}

bool BranchImport::take(QVector<QStringList>&& cells, const QString& file, QString& error) {
    m_rows.clear();
    m_byCode.clear();
    m_lines.clear();
    m_retire.clear();
    qsizetype first = 0;
    while (first < cells.size() && blank(cells[first]))
        ++first;
    if (first == cells.size()) {
        error =
            tr("“%1”中没有联行号：第一行应为栏目名称（行号、行名……），其后每行一个网点").arg(file);
        return false;
    }
    m_columns.fill(-1);
    const QStringList& captions = cells[first];
    for (int c = 0; c < captions.size(); ++c)
        if (const int f = fieldOf(captions[c]); f >= 0 && m_columns[f] < 0)
            m_columns[f] = c;
    QStringList missing;
    for (const int f : {Code, Name})
        if (m_columns[f] < 0)
            missing << captionOf(f);
    if (!missing.isEmpty()) {
        error =
            tr("“%1”不是联行号文件：第一行中没有“%2”这一栏").arg(file, missing.join(tr("”和“")));
        return false;
    }
    m_rows.reserve(cells.size() - first - 1);
    for (qsizetype r = first + 1; r < cells.size(); ++r) {
        if (!blank(cells[r]))
            m_rows << rowOf(int(r + 1), cells[r]);
        // Held once: the cells go as their rows are made.
        cells[r] = QStringList();
    }
    if (m_rows.isEmpty()) {
        error =
            tr("“%1”中没有联行号：第一行应为栏目名称（行号、行名……），其后每行一个网点").arg(file);
        return false;
    }
    refuseTwins();
    return true;
}

BranchImport::Row BranchImport::rowOf(int line, const QStringList& cells) const {
    Row row;
    row.line = line;
    for (int f = 0; f < FieldCount; ++f)
        if (m_columns[f] >= 0)
            (row.entry.*kTexts[f]) = cells.value(m_columns[f]).trimmed();
    const QString& code = row.entry.code;
    const auto refuse = [&](const QString& why) {
        if (row.refusal.isEmpty())
            row.refusal = why;
    };
    for (int f = 0; f < FieldCount && row.refusal.isEmpty(); ++f) {
        const QString& value = row.entry.*kTexts[f];
        if (const auto unsafe = suite::TextCharacters::firstUnsafe(value))
            refuse(tr("“%1”中含有不能使用的字符 %2")
                       .arg(captionOf(f), suite::TextCharacters::describe(*unsafe)));
        const QString refused = suite::Edit::standardBadstr();
        for (const QChar c : value)
            if (refused.contains(c)) {
                refuse(tr("“%1”中含有不能使用的字符 %2（不能使用 < > ' \" | & , 这些字符）")
                           .arg(captionOf(f), QString(c)));
                break;
            }
    }
    if (code.isEmpty())
        refuse(tr("缺少行号"));
    else if (inExponentNotation(code))
        refuse(tr("行号“%1”是电子表格改写成的科学计数法，原行号已丢失").arg(code));
    else if (digits(code) && code.size() < 12)
        refuse(tr("行号“%1”只有 %2 位，应为 12 位数字（电子表格可能去掉了开头的 0）")
                   .arg(code)
                   .arg(code.size()));
    else if (!digits(code) || code.size() != 12)
        refuse(tr("行号应为 12 位数字，不能是“%1”").arg(code));
    if (row.entry.name.isEmpty())
        refuse(tr("缺少行名"));
    QString& bank = row.entry.bankCode;
    // The head bank's code begins every code of its branches: a file may give it whole, or not
    // at all.
    if (bank.isEmpty() && row.refusal.isEmpty())
        bank = code.left(3);
    else if (bank.size() == 12 && digits(bank))
        bank = bank.left(3);
    if (!digits(bank) || bank.size() != 3)
        refuse(tr("所属银行行号应为 3 位数字，不能是“%1”").arg(bank));
    if (!digits(row.entry.cityCode))
        refuse(tr("城市代码只能由数字组成，不能是“%1”").arg(row.entry.cityCode));
    for (int f = 0; f < FieldCount; ++f)
        if ((row.entry.*kTexts[f]).size() > kSizes[f])
            refuse(tr("“%1”不能超过 %2 个字").arg(captionOf(f)).arg(kSizes[f]));
    return row;
}

void BranchImport::refuseTwins() {
    m_byCode.clear();
    m_byCode.reserve(m_rows.size());
    QHash<QString, QVector<int>> twins;
    for (int r = 0; r < m_rows.size(); ++r) {
        const QString& code = m_rows[r].entry.code;
        if (const auto first = m_byCode.constFind(code); first == m_byCode.cend())
            m_byCode.insert(code, r);
        else if (!code.isEmpty())
            twins[code].push_back(r);
    }
    for (auto it = twins.begin(); it != twins.end(); ++it) {
        QVector<int>& rows = *it;
        rows.prepend(m_byCode.value(it.key()));
        QStringList lines;
        for (const int r : rows)
            lines << QString::number(m_rows[r].line);
        const QString why =
            tr("行号在文件中出现了 %1 次（第 %2 行）").arg(rows.size()).arg(lines.join(tr("、")));
        for (const int r : rows)
            if (m_rows[r].refusal.isEmpty())
                m_rows[r].refusal = why;
    }
}

bool BranchImport::check(ClsCommonPtr& db, QString& error, const WorkProgress& progress) {
    m_lines.clear();
    m_retire.clear();
    auto directory =
        createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
    if (!directory)
        throw ArchiveError(tr("无法创建联行号目录组件"));
    m_lines.reserve(m_rows.size());
    for (const Row& row : std::as_const(m_rows))
        m_lines.push_back({row.line, row.entry.code,
                           row.refusal.isEmpty() ? BranchVerdict::New : BranchVerdict::Refused,
                           row.refusal});
    QVector<BranchLine> retired;
    qint64 read = 0;
    bool stopped = false;
    const bool walked = directory->ForEach(
        db,
        [&](const BranchEntry& stored) {
            if (!progress.goOn(++read)) {
                stopped = true;
                return false;
            }
            // Every code the file names, refused or not, is still listed: a refused row
            // retires nothing.
            const auto it = m_byCode.constFind(stored.code);
            if (it == m_byCode.cend()) {
                if (stored.retiredOn.isNull()) {
                    retired.push_back({0, stored.code, BranchVerdict::Retired, {}});
                    m_retire << stored.code;
                }
                return true;
            }
            BranchLine& line = m_lines[*it];
            if (line.verdict == BranchVerdict::Refused)
                return true;
            BranchEntry& entry = m_rows[*it].entry;
            for (int f = BankName; f < FieldCount; ++f)
                if (m_columns[f] < 0)
                    entry.*kTexts[f] = stored.*kTexts[f];
            QStringList changes;
            if (!stored.retiredOn.isNull())
                changes << tr("重新列入（%1 起停用）").arg(stored.retiredOn.toString(Qt::ISODate));
            for (int f = Name; f < FieldCount; ++f)
                if (stored.*kTexts[f] != entry.*kTexts[f])
                    changes << tr("%1：“%2”改为“%3”")
                                   .arg(captionOf(f), stored.*kTexts[f], entry.*kTexts[f]);
            line.verdict = changes.isEmpty() ? BranchVerdict::Unchanged : BranchVerdict::Changed;
            line.reason = changes.join(tr("；"));
            return true;
        },
        error);
    if (stopped || !walked) {
        if (stopped)
            error.clear();
        m_lines.clear();
        m_retire.clear();
        return false;
    }
    if (counts()[int(BranchVerdict::Refused)] == m_rows.size()) {
        m_lines.clear();
        m_retire.clear();
        error = tr("文件中没有一行可以导入，联行号目录保持不变");
        return false;
    }
    m_lines << retired;
    return true;
}

BranchImport::Counts BranchImport::counts() const {
    Counts c{};
    for (const BranchLine& l : m_lines)
        ++c[int(l.verdict)];
    return c;
}

QString BranchImport::countsText() const {
    const Counts c = counts();
    return tr("共 %n 行：新增 %1，修改 %2，无变化 %3，拒绝 %4；停用 %5", nullptr,
              int(m_rows.size()))
        .arg(c[int(BranchVerdict::New)])
        .arg(c[int(BranchVerdict::Changed)])
        .arg(c[int(BranchVerdict::Unchanged)])
        .arg(c[int(BranchVerdict::Refused)])
        .arg(c[int(BranchVerdict::Retired)]);
}

bool BranchImport::store(ClsCommonPtr& db, QString& error, const QDate& today) {
    QVector<BranchEntry> written;
    written.reserve(m_rows.size());
    for (int r = 0; r < m_rows.size(); ++r)
        if (const BranchVerdict v = m_lines.value(r).verdict;
            v == BranchVerdict::New || v == BranchVerdict::Changed)
            written << m_rows[r].entry;
    if (written.isEmpty() && m_retire.isEmpty())
        return true;
    auto directory =
        createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
    if (!directory)
        throw ArchiveError(tr("无法创建联行号目录组件"));
    return directory->Store(db, written, m_retire, today, error);
}

QString BranchImport::storedText() const {
    const Counts c = counts();
    return tr("联行号目录已保存：新增 %1，修改 %2，停用 %3。")
        .arg(c[int(BranchVerdict::New)])
        .arg(c[int(BranchVerdict::Changed)])
        .arg(c[int(BranchVerdict::Retired)]);
}

} // namespace tarvo
