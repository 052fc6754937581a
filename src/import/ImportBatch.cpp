#include "ImportBatch.h"

#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "ErrorHandling.h"
#include "EventPump.h"
#include "ITableReader.h"

#include <QFileInfo>
#include <QMultiHash>

#include <algorithm>

namespace tarvo {

namespace {

bool blank(const QStringList& cells) {
    return std::all_of(cells.begin(), cells.end(),
                       [](const QString& c) { return c.trimmed().isEmpty(); });
}

bool allDigits(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString withoutLeadingZeros(const QString& code) {
    qsizetype zeros = 0;
    while (zeros < code.size() && code[zeros] == u'0')
        ++zeros;
    return code.mid(zeros);
}

} // namespace

ImportBatch::ImportBatch(const QString& archive, const QVector<ListField>& listFields)
    : m_archive(archive), m_rows(archive, listFields) {}

bool ImportBatch::read(const QString& path, QString& error) {
    auto reader = createObject<ITableReader>(QStringLiteral("TarvoPrint.TableReader"));
    if (!reader)
        throw ArchiveError(tr("无法创建表格文件读取组件"));
    QVector<QStringList> rows;
    QString readError;
    if (!reader->Read(path, rows, readError)) {
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

bool ImportBatch::check(QString& error) {
    m_records.clear();
    m_verdicts.clear();
    if (!keyMapped()) {
        error = tr("文件的第一行中没有“%1”这一栏").arg(m_rows.keyCaption());
        return false;
    }
    ArchiveSession& s = ArchiveSession::current();
    m_rows.forgetLookups();
    QStringList xmls;
    EventPump pump;
    for (const auto& [line, cells] : std::as_const(m_data)) {
        pump();
        m_records << m_rows.record(cells, m_mapping, line, *s.SrvDB);
        if (m_records.last().refusal.isEmpty())
            xmls << m_records.last().xml;
    }
    QVector<BatchVerdict> saved;
    if (!s.SrvDB->SaveBatch(xmls, m_archive, false, saved, error)) {
        m_records.clear();
        return false;
    }
    int next = 0;
    for (const ImportRow& r : std::as_const(m_records))
        m_verdicts << (r.refusal.isEmpty() ? saved.value(next++)
                                           : BatchVerdict{BatchVerdict::Refused, r.refusal});
    if (!refuseLostZeros(error)) {
        m_records.clear();
        m_verdicts.clear();
        return false;
    }
    return true;
}

bool ImportBatch::refuseLostZeros(QString& error) {
    // Only a code the save service would add (or refuses as a second record with the same
    // account number) can be a stored one that lost its zeros.
    QVector<int> candidates;
    for (int r = 0; r < m_records.size(); ++r) {
        const auto kind = m_verdicts[r].kind;
        const QString& key = m_records[r].key;
        if (m_records[r].refusal.isEmpty() &&
            (kind == BatchVerdict::Added || kind == BatchVerdict::Refused) && allDigits(key) &&
            !key.startsWith(u'0'))
            candidates << r;
    }
    if (candidates.isEmpty())
        return true;
    ArchiveSession& s = ArchiveSession::current();
    const QString keyField = m_rows.fields()[m_rows.keyField()].field;
    QString sql =
        QStringLiteral("select %1 from %2 where %1 like '0%'").arg(keyField, m_archive.toLower());
    const RecordsetPtr rs = s.SrvDB->OpenX(sql);
    if (!rs) {
        error = tr("无法读取已有的编码");
        return false;
    }
    QMultiHash<QString, QString> padded;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const QString code = rs->Value(0).toString();
        if (allDigits(code))
            padded.insert(withoutLeadingZeros(code), code);
    }
    QStringList twins;
    QVector<QPair<int, QString>> twinOf;
    for (const int r : std::as_const(candidates)) {
        for (const QString& code : padded.values(m_records[r].key)) {
            twins << m_rows.xmlWithKey(m_records[r], code);
            twinOf.append({r, code});
        }
    }
    if (twins.isEmpty())
        return true;
    QVector<BatchVerdict> same;
    if (!s.SrvDB->SaveBatch(twins, m_archive, false, same, error))
        return false;
    for (int t = 0; t < twinOf.size(); ++t) {
        if (same.value(t).kind != BatchVerdict::Unchanged)
            continue;
        const auto& [r, code] = twinOf[t];
        m_verdicts[r] = {BatchVerdict::Refused,
                         tr("%1“%2”是电子表格去掉了前导零的“%3”：其余各栏都与已有的“%3”相同，"
                            "不能作为新记录导入")
                             .arg(m_rows.keyCaption(), m_records[r].key, code)};
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
    if (v.reason.isEmpty() && v.kind != BatchVerdict::Unchanged && !m_records[row].note.isEmpty())
        return tr("提示：%1").arg(m_records[row].note);
    return v.reason;
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

bool ImportBatch::store(Counts& stored, QString& error) {
    stored = {};
    QStringList xmls;
    for (int r = 0; r < m_verdicts.size(); ++r)
        if (accepted(r))
            xmls << m_records[r].xml;
    if (xmls.isEmpty())
        return true;
    QVector<BatchVerdict> saved;
    if (!ArchiveSession::current().SrvDB->SaveBatch(xmls, m_archive, true, saved, error))
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
