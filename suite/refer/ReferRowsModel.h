#pragma once

#include "Recordset.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace tarvo::suite {

/// The rows of a pick list as its table shows them: the record set's values formatted for
/// reading (dates, amounts, yes/no), and under Qt::UserRole the values themselves, which the
/// sorting compares and from which the chosen keys are taken.
class ReferRowsModel : public QAbstractTableModel {
public:
    /// Reads every row of the record set, whatever its filter; captions name the columns in
    /// field order.
    ReferRowsModel(const Recordset& rows, QStringList captions, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const FieldInfo& field(int column) const { return m_fields[column]; }
    const QVariant& value(int row, int column) const { return m_rows[row][column]; }
    QString text(int row, int column) const;

private:
    QVector<FieldInfo> m_fields;
    QStringList m_captions;
    QVector<QVector<QVariant>> m_rows;
    QString m_yes;
    QString m_no;
};

} // namespace tarvo::suite
