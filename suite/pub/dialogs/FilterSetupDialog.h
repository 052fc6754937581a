#pragma once

#include "FilterCondition.h"

#include <QDialog>

class QListWidget;

namespace tarvo::suite {

class OptionStore;

/// Filter set-up (过滤设置): which of an archive's fields the filter dialog offers, kept per user
/// and archive.
class FilterSetupDialog : public QDialog {
    Q_OBJECT
public:
    /// Shows the dialog modally over the archive's fields; true when the user changed the choice
    /// and it was stored.
    static bool edit(QWidget* parent, const QString& title, const QVector<FilterField>& fields,
                     OptionStore& options, const QString& archive);
    /// The fields the filter offers, in the archive's order: all of them until the user chose.
    static QVector<FilterField> chosen(const QVector<FilterField>& fields,
                                       const OptionStore& options, const QString& archive);

    /// Refuses an empty choice with a message, and stays open.
    void accept() override;

private:
    FilterSetupDialog(QWidget* parent, const QString& title, const QVector<FilterField>& fields,
                      const QVector<FilterField>& checked);
    void checkAll(bool on);
    QStringList checkedFields() const;

    QVector<FilterField> m_fields;
    QListWidget* m_list;
};

} // namespace tarvo::suite
