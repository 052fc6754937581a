#include "ReferRowsModel.h"

#include "AdoTypes.h"
#include "ResourceTable.h"
#include "SuiteContext.h"

#include <QDate>
#include <QLocale>

namespace tarvo::suite {

ReferRowsModel::ReferRowsModel(const Recordset& rows, QStringList captions, QObject* parent)
    : QAbstractTableModel(parent), m_captions(std::move(captions)) {
    for (int c = 0; c < rows.FieldCount(); ++c)
        m_fields.push_back(rows.FieldAt(c));
    const RecordsetPtr all = rows.Clone();
    m_rows.reserve(all->RecordCount());
    for (all->MoveFirst(); !all->Eof(); all->MoveNext()) {
        QVector<QVariant> row;
        row.reserve(m_fields.size());
        for (int c = 0; c < m_fields.size(); ++c)
            row.push_back(all->Value(c));
        m_rows.push_back(std::move(row));
    }
    const ResourceTable& texts = ResourceTable::forLanguage(sessionLanguage());
    m_yes = texts.text(QStringLiteral("Tarvo.SUITE.refer.yes"));
    m_no = texts.text(QStringLiteral("Tarvo.SUITE.refer.no"));
}

int ReferRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ReferRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_fields.size());
}

QString ReferRowsModel::text(int row, int column) const {
    const QVariant& v = m_rows[row][column];
    if (v.isNull())
        return {};
    const int type = m_fields[column].type;
    if (type == ado::adBoolean)
        return v.toBool() ? m_yes : m_no;
    if (ado::isDate(type))
        return v.toDate().toString(Qt::ISODate);
    if (type == ado::adCurrency || type == ado::adDouble || type == ado::adSingle)
        return QLocale::c().toString(v.toDouble(), 'f', 2);
    // The ISO numeric currency code is a code of three digits stored as a number: 008 is
    // what the clerk reads on papers, 8 is no code at all.
    if (m_fields[column].name.compare(u"iNumCode", Qt::CaseInsensitive) == 0 &&
        ado::isNumeric(type))
        return QStringLiteral("%1").arg(v.toInt(), 3, 10, QLatin1Char('0'));
    return v.toString();
}

QVariant ReferRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return text(index.row(), index.column());
    case Qt::UserRole:
        return value(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        const int type = m_fields[index.column()].type;
        if (type == ado::adBoolean)
            return int(Qt::AlignCenter);
        if (ado::isNumeric(type))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant ReferRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_fields.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return section < m_captions.size() ? m_captions[section] : m_fields[section].name;
}

} // namespace tarvo::suite
