#include "ImportBatch.h"

#include "AccountTwins.h"
#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "ErrorHandling.h"
#include "FileBranches.h"
#include "ITableReader.h"
#include "LostZeros.h"
#include "UnionBankNo.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace tarvo {

namespace {

bool stopAsked(const WorkProgress& progress) {
    return progress.stopAsked && progress.stopAsked();
}

bool blank(const QStringList& cells) {
    return std::all_of(cells.begin(), cells.end(),
                       [](const QString& c) { return c.trimmed().isEmpty(); });
}

} // namespace

ImportBatch::ImportBatch(const QString& archive, const QVector<ListField>& listFields)
    : m_archive(archive), m_rows(archive, listFields) {}

bool ImportBatch::read(const QString& path, QString& error, const WorkProgress& progress) {
    auto reader = createObject<ITableReader>(QStringLiteral("TarvoPrint.TableReader"));
    if (!reader)
        throw ArchiveError(tr("无法创建表格文件读取组件"));
    QVector<QStringList> rows;
    QString readError;
    if (!reader->Read(path, rows, readError, progress)) {
        // Stopped: nothing to say.
        if (readError.isEmpty())
            return false;
        error = tr("无法导入“%1”：%2").arg(QFileInfo(path).fileName(), readError);
        return false;
    }
    int headerLine = 1;
    while (!rows.isEmpty() && blank(rows.first())) {
        rows.removeFirst();
        ++headerLine;
    }
    if (rows.size() < 2) {
        error = tr("“%1”中没有可导入的数据：第一行应为栏目名称，其后每行一条记录")
                    .arg(QFileInfo(path).fileName());
        return false;
    }
    m_headers = rows.first();
    m_data.clear();
    m_records.clear();
    m_verdicts.clear();
    for (int i = 1; i < rows.size(); ++i)
        if (!blank(rows[i]))
            m_data.append({headerLine + i, rows[i]});
    for (const auto& [line, cells] : std::as_const(m_data))
        while (m_headers.size() < cells.size())
            m_headers << QString();
    m_mapping = m_rows.matchAll(m_headers);
    return true;
}

int ImportBatch::setMapping(int column, int field) {
    int gaveUp = -1;
    for (int c = 0; c < m_mapping.size(); ++c) {
        if (c != column && field >= 0 && m_mapping[c] == field) {
            m_mapping[c] = -1;
            gaveUp = c;
        }
    }
    m_mapping[column] = field;
    return gaveUp;
}

bool ImportBatch::check(QString& error, const WorkProgress& progress) {
    m_records.clear();
    m_verdicts.clear();
    m_warnings.clear();
    if (!keyMapped()) {
        error = tr("文件的第一行中没有“%1”这一栏").arg(m_rows.keyCaption());
        return false;
    }
    ArchiveSession& s = ArchiveSession::current();
    m_rows.forgetLookups();
    // The reference tables the rows name come along with the stored values with leading
    // zeros, in one round trip on a server, unless the session's copies of them still stand.
    s.SrvDB->WantReferences();
    const bool accounts = m_archive.compare(u"bank", Qt::CaseInsensitive) == 0;
    FileBranches branches;
    if (accounts)
        askForBranches(branches);
    LostZeros zeros;
    if (!zeros.read(*s.SrvDB, m_archive.toLower(), m_rows.fields()[m_rows.keyField()].field,
                    accounts ? QStringLiteral("cBAccount") : QString())) {
        error = tr("无法读取已有的编码");
        return false;
    }
    if (!branches.read(*s.SrvDB)) {
        error = tr("无法读取联行号目录");
        return false;
    }
    QStringList xmls;
    xmls.reserve(m_data.size());
    m_records.reserve(m_data.size());
    for (auto& [line, cells] : m_data) {
        if (!progress.goOn(m_records.size())) {
            m_records.clear();
            return false;
        }
        m_records << m_rows.record(cells, m_mapping, line, *s.SrvDB, &branches);
        if (!m_keepCells)
            cells = QStringList();
        if (m_records.last().refusal.isEmpty())
            xmls << m_records.last().xml;
    }
    QVector<BatchVerdict> saved;
    if (!s.SrvDB->SaveBatch(xmls, m_archive, false, saved, error, progress)) {
        m_records.clear();
        return false;
    }
    int next = 0;
    for (const ImportRow& r : std::as_const(m_records))
        m_verdicts << (r.refusal.isEmpty() ? saved.value(next++)
                                           : BatchVerdict{BatchVerdict::Refused, r.refusal});
    if (!refuseLostZeros(zeros, progress) || !flagLookalikes(error, progress)) {
        m_records.clear();
        m_verdicts.clear();
        m_warnings.clear();
        return false;
    }
    return true;
}

void ImportBatch::askForBranches(FileBranches& branches) const {
    const int codeField = m_rows.fieldIndex("cUnionBankNo");
    const int codeColumn = codeField < 0 ? -1 : int(m_mapping.indexOf(codeField));
    if (codeColumn < 0)
        return;
    const int keyColumn = int(m_mapping.indexOf(m_rows.keyField()));
    const bool leftOut = std::any_of(
        FileBranches::kFilled.begin(), FileBranches::kFilled.end(),
        [&](const char* field) { return !m_mapping.contains(m_rows.fieldIndex(field)); });
    for (const auto& [line, cells] : m_data) {
        const QString code = cells.value(codeColumn).trimmed();
        if (code.isEmpty() || !acceptableUnionBankNo(code))
            continue;
        branches.wantCode(code);
        if (leftOut)
            branches.wantAccount(cells.value(keyColumn));
    }
    branches.askAhead(ArchiveSession::current().SrvDB);
}

bool ImportBatch::refuseLostZeros(const LostZeros& zeros, const WorkProgress& progress) {
    const bool accounts = m_archive.compare(u"bank", Qt::CaseInsensitive) == 0;
    const QString numberCaption = m_rows.captionOf("cBAccount");
    for (int r = 0; r < m_records.size(); ++r) {
        if (!progress.goOn(r))
            return false;
        const ImportRow& row = m_records[r];
        // Rows the file's reading refused already say what is wrong with them.
        if (!row.refusal.isEmpty())
            continue;
        const QString number =
            accounts ? m_rows.valueOf(row, "cBAccount").value_or(QString()) : QString();
        if (!allDigits(row.key) && !allDigits(number))
            continue;
        QStringList lost;
        QStringList alike;
        const auto look = [&](const QString& caption, const QString& value,
                              const LostZeros::Match& match) {
            if (match.padded.isEmpty())
                return;
            if (!match.stored)
                lost << (match.dropped ? tr("%1“%2”是电子表格去掉了前导零的“%3”，不能导入")
                                       : tr("%1“%2”与已有的“%3”只差前导零，不能导入"))
                            .arg(caption, value, match.padded);
            else
                alike << tr("%1“%2”也是已有的“%3”去掉前导零的样子：文件如经过电子表格，"
                            "这一行可能原是“%3”的，请核对")
                             .arg(caption, value, match.padded);
        };
        look(m_rows.keyCaption(), row.key, zeros.code(row.key));
        if (!number.isEmpty())
            look(numberCaption, number, zeros.number(number));
        // The stored record the row names wins over one it could be a copy of, but whatever
        // it would change there is worth a look.
        if (!lost.isEmpty())
            m_verdicts[r] = {BatchVerdict::Refused, lost.join(tr("；"))};
        else if (!alike.isEmpty() && m_verdicts[r].kind == BatchVerdict::Modified)
            m_warnings[r] = alike.join(tr("；"));
    }
    return true;
}

bool ImportBatch::flagLookalikes(QString& error, const WorkProgress& progress) {
    if (m_archive.compare(u"bank", Qt::CaseInsensitive) != 0)
        return true;
    struct Given {
        std::optional<QString> number, name, bank;
    };
    const auto given = [&](int r) {
        const ImportRow& row = m_records[r];
        return Given{m_rows.valueOf(row, "cBAccount"), m_rows.valueOf(row, "cAccName"),
                     m_rows.valueOf(row, "cBankCode")};
    };
    const auto kind = [&](int r) { return m_verdicts[r].kind; };
    AccountTwins twins;
    // Per row, what it asked for by name and bank: the rows are looked at again only where
    // a stored account answered.
    QVector<size_t> asked(m_records.size(), 0);
    for (int r = 0; r < m_records.size(); ++r) {
        if (!progress.goOn(r))
            return false;
        if (kind(r) == BatchVerdict::Added) {
            const Given g = given(r);
            if (g.number && g.name && !g.name->isEmpty() && g.bank)
                asked[r] = twins.wantNameAndBank(*g.name, *g.bank);
        } else if (kind(r) == BatchVerdict::Modified && m_rows.valueOf(m_records[r], "cBAccount")) {
            twins.wantCode(m_records[r].key);
        }
    }
    if (twins.wantsNothing())
        return true;
    if (!twins.read(*ArchiveSession::current().SrvDB, progress)) {
        if (!stopAsked(progress))
            error = tr("无法读取已有的银行账户");
        return false;
    }
    const QString nameCaption = m_rows.captionOf("cAccName");
    const QString bankCaption = m_rows.captionOf("cBankCode");
    const QString numberCaption = m_rows.captionOf("cBAccount");
    const auto differs = [](const QString& a, const QString& b) {
        return comparedNumber(a) != comparedNumber(b);
    };
    for (int r = 0; r < m_records.size(); ++r) {
        if (!progress.goOn(r))
            return false;
        QString warning;
        if (kind(r) == BatchVerdict::Added && asked[r] && twins.answered(asked[r])) {
            const Given g = given(r);
            for (const AccountTwins::Account* a : twins.withNameAndBank(*g.name, *g.bank)) {
                if (differs(a->number, *g.number)) {
                    warning =
                        tr("%1和%2与已有的“%3”相同，%4却不同（已有的是“%5”）：请核对是否为同一账户")
                            .arg(nameCaption, bankCaption, a->code, numberCaption, a->number);
                    break;
                }
            }
        } else if (kind(r) == BatchVerdict::Modified) {
            const AccountTwins::Account* a = twins.withCode(m_records[r].key);
            if (!a)
                continue;
            const Given g = given(r);
            if (g.number && g.name.value_or(a->name) == a->name &&
                g.bank.value_or(a->bank) == a->bank && differs(a->number, *g.number))
                warning = tr("%1和%2不变，%3却由“%4”改为“%5”：请核对%3")
                              .arg(nameCaption, bankCaption, numberCaption, a->number, *g.number);
        }
        if (warning.isEmpty())
            continue;
        QString& w = m_warnings[r];
        w = w.isEmpty() ? warning : w + tr("；") + warning;
    }
    return true;
}

bool ImportBatch::accepted(int row) const {
    const auto kind = m_verdicts[row].kind;
    return kind == BatchVerdict::Added || kind == BatchVerdict::Modified;
}

QString ImportBatch::verdictText(int row) const {
    static const char* const kTexts[] = {QT_TR_NOOP("新增"), QT_TR_NOOP("修改"),
                                         QT_TR_NOOP("无变化"), QT_TR_NOOP("拒绝")};
    return tr(kTexts[m_verdicts[row].kind]);
}

QString ImportBatch::reasonText(int row) const {
    const BatchVerdict& v = m_verdicts[row];
    if (!v.reason.isEmpty())
        return v.reason;
    QStringList notes;
    if (!m_records[row].hint.isEmpty())
        notes << m_records[row].hint;
    if (v.kind == BatchVerdict::Unchanged)
        return notes.isEmpty() ? QString() : tr("提示：%1").arg(notes.first());
    if (!m_records[row].note.isEmpty())
        notes << m_records[row].note;
    if (const auto w = m_warnings.constFind(row); w != m_warnings.cend())
        notes << *w;
    return notes.isEmpty() ? QString() : tr("提示：%1").arg(notes.join(tr("；")));
}

ImportBatch::Counts ImportBatch::counts() const {
    Counts counts{};
    for (const BatchVerdict& v : m_verdicts)
        ++counts[v.kind];
    return counts;
}

QString ImportBatch::countsText() const {
    const Counts c = counts();
    return tr("共 %n 行：新增 %1，修改 %2，无变化 %3，拒绝 %4", nullptr, int(m_data.size()))
        .arg(c[BatchVerdict::Added])
        .arg(c[BatchVerdict::Modified])
        .arg(c[BatchVerdict::Unchanged])
        .arg(c[BatchVerdict::Refused]);
}

int ImportBatch::noted() const {
    int count = 0;
    for (int r = 0; r < m_verdicts.size(); ++r)
        count += accepted(r) && !m_records[r].note.isEmpty();
    return count;
}

void ImportBatch::refuseNoted() {
    for (int r = 0; r < m_verdicts.size(); ++r)
        if (accepted(r) && !m_records[r].note.isEmpty())
            m_verdicts[r] = {BatchVerdict::Refused, m_records[r].note};
}

bool ImportBatch::store(Counts& stored, QString& error, const WorkProgress& progress) {
    stored = {};
    QStringList xmls;
    for (int r = 0; r < m_verdicts.size(); ++r)
        if (accepted(r))
            xmls << m_records[r].xml;
    if (xmls.isEmpty())
        return true;
    QVector<BatchVerdict> saved;
    if (!ArchiveSession::current().SrvDB->SaveBatch(xmls, m_archive, true, saved, error,
                                                    progress))
        return false;
    for (const BatchVerdict& v : std::as_const(saved))
        ++stored[v.kind];
    return true;
}

QString ImportBatch::storedText(const Counts& stored) {
    return tr("导入完成：新增 %1 条，修改 %2 条。")
        .arg(stored[BatchVerdict::Added])
        .arg(stored[BatchVerdict::Modified]);
}

} // namespace tarvo
