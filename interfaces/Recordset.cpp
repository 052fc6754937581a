#include "Recordset.h"

#include "AdoTypes.h"
#include "RecordsetFilter.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>

namespace tarvo {

namespace {
QString noCurrentRow() {
    return QCoreApplication::translate(
        "tarvo::Recordset",
        "BOF 或 EOF 中有一个是“真”，或者当前记录已被删除，所需的操作要求一个当前的记录。");
}

QString noSuchField(const QString& item) {
    return QCoreApplication::translate("tarvo::Recordset",
                                       "在对应所需名称或序数的集合中，未找到项目：%1")
        .arg(item);
}

QVariant textAs(const QString& s, int type) {
    switch (type) {
    case ado::adBoolean: {
        const QString t = s.trimmed().toLower();
        return t == u"true" || t == u"t" || (t != u"false" && t != u"f" && t.toInt() != 0);
    }
    case ado::adSmallInt:
    case ado::adInteger:
        return s.toInt();
    case ado::adCurrency:
        // An amount the server gave as decimal text keeps every digit; FormatNum shows it.
        return s;
    case ado::adDouble:
        return s.toDouble();
    case ado::adDBTimeStamp: {
        const QString t = s.trimmed();
        const QDate d = QDate::fromString(t.left(10), Qt::ISODate);
        if (t.size() <= 10 || t.mid(10).trimmed().startsWith(u"00:00:00"))
            return d.isValid() ? QVariant(d) : QVariant(t);
        const QDateTime dt = QDateTime::fromString(t, Qt::ISODate);
        return dt.isValid() ? QVariant(dt) : QVariant(t);
    }
    default:
        return s;
    }
}

template <typename Number> QVariant numberAs(Number n, int type) {
    switch (type) {
    case ado::adBoolean:
        return n != 0;
    case ado::adSmallInt:
    case ado::adInteger:
        return QVariant(n).toInt();
    case ado::adCurrency:
    case ado::adDouble:
        return double(n);
    default:
        return textAs(QVariant(n).toString(), type);
    }
}

/// A stored cell in the form its field's type asks for.
QVariant cellAs(const ColumnStore& cells, int row, int col, int type) {
    switch (cells.kind(row, col)) {
    case ColumnStore::Kind::Null:
        return {};
    case ColumnStore::Kind::Integer:
        return numberAs(cells.integer(row, col), type);
    case ColumnStore::Kind::Real:
        return numberAs(cells.real(row, col), type);
    case ColumnStore::Kind::Text:
        return textAs(cells.text(row, col), type);
    }
    return {};
}

void store(ColumnStore& cells, int col, const QVariant& v) {
    if (v.isNull())
        return cells.addNull(col);
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return cells.addInteger(col, v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return cells.addReal(col, v.toDouble());
    default: {
        // Dates keep their ISO form, which reads back as the same date.
        const QByteArray utf8 =
            (v.typeId() == QMetaType::QDate       ? v.toDate().toString(Qt::ISODate)
             : v.typeId() == QMetaType::QDateTime ? v.toDateTime().toString(Qt::ISODate)
                                                  : v.toString())
                .toUtf8();
        cells.addText(col, utf8.constData(), utf8.size());
    }
    }
}

} // namespace

Recordset::Recordset() : m_data(std::make_shared<Data>()) {}

Recordset::Recordset(QVector<FieldInfo> fields) : m_data(std::make_shared<Data>()) {
    m_data->cells = ColumnStore(int(fields.size()));
    m_data->fields = std::move(fields);
}

Recordset::Recordset(QVector<FieldInfo> fields, ColumnStore cells)
    : m_data(std::make_shared<Data>()) {
    if (cells.columnCount() != fields.size())
        throw RecordsetError(
            QCoreApplication::translate("tarvo::Recordset", "查询结果的列数 %1 与字段个数 %2 不符")
                .arg(cells.columnCount())
                .arg(fields.size()));
    m_data->fields = std::move(fields);
    m_data->cells = std::move(cells);
}

Recordset::~Recordset() = default;

void Recordset::appendRow(const QVector<QVariant>& values) {
    if (values.size() != m_data->fields.size())
        throw RecordsetError(
            QCoreApplication::translate("tarvo::Recordset", "行的值个数 %1 与字段个数 %2 不符")
                .arg(values.size())
                .arg(m_data->fields.size()));
    for (int c = 0; c < values.size(); ++c)
        store(m_data->cells, c, values[c]);
    m_data->cells.endRow();
    const int row = m_data->cells.rowCount() - 1;
    if (m_expr && m_expr->matches(rowValues(row)))
        m_visible.push_back(row);
}

QVector<QVariant> Recordset::rowValues(int row) const {
    QVector<QVariant> values(m_data->fields.size());
    for (int c = 0; c < values.size(); ++c)
        values[c] = valueAt(row, c);
    return values;
}

QVariant Recordset::valueAt(int row, int field) const {
    FieldAt(field);
    if (row < 0 || row >= m_data->cells.rowCount())
        throw RecordsetError(noCurrentRow());
    return cellAs(m_data->cells, row, field, m_data->fields[field].type);
}

int Recordset::currentRow() const {
    return (Bof() || Eof()) ? -1 : rowAt(m_pos);
}

int Recordset::FieldCount() const {
    return int(m_data->fields.size());
}

const FieldInfo& Recordset::FieldAt(int index) const {
    if (index < 0 || index >= m_data->fields.size())
        throw RecordsetError(noSuchField(QString::number(index)));
    return m_data->fields[index];
}

int Recordset::fieldIndex(const QString& name) const {
    // Callers nearly always spell a field as the table does; the exact match is cheap.
    for (int i = 0; i < m_data->fields.size(); ++i) {
        if (m_data->fields[i].name == name)
            return i;
    }
    for (int i = 0; i < m_data->fields.size(); ++i) {
        if (m_data->fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int Recordset::requireField(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0)
        throw RecordsetError(noSuchField(name));
    return i;
}

const FieldInfo& Recordset::Field(const QString& name) const {
    return m_data->fields[requireField(name)];
}

int Recordset::visibleCount() const {
    return m_expr ? int(m_visible.size()) : m_data->cells.rowCount();
}

int Recordset::rowAt(long pos) const {
    return m_expr ? m_visible[int(pos)] : int(pos);
}

QVariant Recordset::Value(int index) const {
    FieldAt(index);
    if (Bof() || Eof())
        throw RecordsetError(noCurrentRow());
    return valueAt(rowAt(m_pos), index);
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
        throw RecordsetError(noCurrentRow());
    ++m_pos;
}

void Recordset::MovePrevious() {
    if (m_pos < 0)
        throw RecordsetError(noCurrentRow());
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
    for (int i = 0; i < m_data->cells.rowCount(); ++i) {
        if (m_expr->matches(rowValues(i)))
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
