#include "Recordset.h"

#include "RecordsetFilter.h"

namespace tarvo {

namespace {
const QString kNoCurrentRow = QStringLiteral(
    "BOF 或 EOF 中有一个是“真”，或者当前记录已被删除，所需的操作要求一个当前的记录。");
const QString kNoSuchField = QStringLiteral("在对应所需名称或序数的集合中，未找到项目：%1");
} // namespace

Recordset::Recordset() : m_data(std::make_shared<Data>()) {}

Recordset::Recordset(QVector<FieldInfo> fields) : m_data(std::make_shared<Data>()) {
    m_data->fields = std::move(fields);
}

Recordset::~Recordset() = default;

void Recordset::appendRow(QVector<QVariant> values) {
    if (values.size() != m_data->fields.size())
        throw RecordsetError(QStringLiteral("行的值个数 %1 与字段个数 %2 不符")
                                 .arg(values.size())
                                 .arg(m_data->fields.size()));
    m_data->rows.push_back(std::move(values));
    if (m_expr) {
        if (m_expr->matches(m_data->rows.back()))
            m_visible.push_back(int(m_data->rows.size() - 1));
    }
}

int Recordset::FieldCount() const {
    return int(m_data->fields.size());
}

const FieldInfo& Recordset::FieldAt(int index) const {
    if (index < 0 || index >= m_data->fields.size())
        throw RecordsetError(kNoSuchField.arg(index));
    return m_data->fields[index];
}

int Recordset::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_data->fields.size(); ++i) {
        if (m_data->fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int Recordset::requireField(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0)
        throw RecordsetError(kNoSuchField.arg(name));
    return i;
}

const FieldInfo& Recordset::Field(const QString& name) const {
    return m_data->fields[requireField(name)];
}

int Recordset::visibleCount() const {
    return m_expr ? int(m_visible.size()) : int(m_data->rows.size());
}

int Recordset::rowAt(long pos) const {
    return m_expr ? m_visible[int(pos)] : int(pos);
}

QVariant Recordset::Value(int index) const {
    FieldAt(index);
    if (Bof() || Eof())
        throw RecordsetError(kNoCurrentRow);
    return m_data->rows[rowAt(m_pos)][index];
}

QVariant Recordset::Value(const QString& name) const {
    return Value(requireField(name));
}

long Recordset::RecordCount() const {
    return visibleCount();
}

bool Recordset::Eof() const {
    return m_pos >= visibleCount();
}

bool Recordset::Bof() const {
    return m_pos < 0 || visibleCount() == 0;
}

void Recordset::MoveFirst() {
    m_pos = 0;
}

void Recordset::MoveNext() {
    if (Eof())
        throw RecordsetError(kNoCurrentRow);
    ++m_pos;
}

void Recordset::MovePrevious() {
    if (m_pos < 0)
        throw RecordsetError(kNoCurrentRow);
    --m_pos;
}

void Recordset::MoveLast() {
    m_pos = visibleCount() > 0 ? visibleCount() - 1 : 0;
}

long Recordset::AbsolutePosition() const {
    return (Bof() || Eof()) ? 0 : m_pos + 1;
}

void Recordset::rebuildVisible() {
    m_visible.clear();
    if (!m_expr)
        return;
    for (int i = 0; i < m_data->rows.size(); ++i) {
        if (m_expr->matches(m_data->rows[i]))
            m_visible.push_back(i);
    }
}

void Recordset::setFilter(const QString& filter) {
    if (filter.trimmed().isEmpty()) {
        m_expr.reset();
        m_filter.clear();
    } else {
        // Parse first: a filter that is refused must leave the record set as it was.
        auto expr = FilterExpression::parse(filter, m_data->fields);
        m_expr = std::move(expr);
        m_filter = filter;
    }
    rebuildVisible();
    m_pos = 0;
}

RecordsetPtr Recordset::Clone() const {
    auto clone = std::make_shared<Recordset>();
    clone->m_data = m_data;
    return clone;
}

} // namespace tarvo
