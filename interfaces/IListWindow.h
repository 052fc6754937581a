#pragma once

#include <QString>
#include <QVector>

namespace tarvo {

/// One column of a list window as the suite's filter and locate services offer it.
struct ListField {
    QString field;   ///< as it stands in the list's select list ("cBCode", "AA_Bank.cBankName")
    QString caption; ///< the column's header
    int adoType = 0; ///< field type code of the column's values
};

/// What a list window tells the suite's services that work on it (filter, locate, sort).
class IListWindow {
public:
    virtual ~IListWindow() = default;
    /// The columns of the list, shown or not, in list order.
    virtual QVector<ListField> listFields() const = 0;
    /// The archive's English name ("aa_bank", "bank").
    virtual QString archiveName() const = 0;
    /// The field of the column the user stands on (as in listFields), or "" when none.
    virtual QString currentField() const = 0;
    /// The filter the user has just chosen, in words, for the list to show while it applies;
    /// "" when he cleared the filter in force, and the list is to show every record again.
    virtual void showFilter(const QString& description) = 0;
    /// The filter the list applies now, in the words showFilter gave it; "" when it shows every
    /// record.
    virtual QString filterShown() const { return {}; }
};

} // namespace tarvo
