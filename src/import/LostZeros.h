#pragma once

#include "IClsCommon.h"

#include <QMultiHash>
#include <QString>

namespace tarvo {

/// The codes and account numbers an archive stores with leading zeros, read once per file, to
/// tell a value of the file that is one of them as a spreadsheet gives it back: it took the
/// value for a number and dropped the zeros ("01" became "1").
class LostZeros {
public:
    /// What a value of the file is of the stored ones.
    struct Match {
        /// A stored value it equals once the leading zeros of both are gone; empty when none.
        QString padded;
        /// The value is padded without any zeros, as a spreadsheet makes it.
        bool dropped = false;
        bool stored = false; ///< the value itself is stored as well
    };

    /// Reads them from the table whose key is keyField, and of numberField when not empty;
    /// False when the database could not tell.
    bool read(IClsCommon& db, const QString& table, const QString& keyField,
              const QString& numberField);
    Match code(const QString& value) const { return find(m_codes, value); }
    /// Stored numbers are compared as the duplicate rule compares them, without blanks and
    /// hyphens; a spreadsheet only drops the zeros of a value of digits alone.
    Match number(const QString& value) const { return find(m_numbers, value); }

private:
    struct Stored {
        QString shown;     ///< as stored
        QString compared;  ///< as compared with the file's value
        bool bare = false; ///< its value without the zeros is stored too
    };
    /// By the compared value without its leading zeros.
    QMultiHash<QString, Stored> m_codes;
    QMultiHash<QString, Stored> m_numbers;

    static Match find(const QMultiHash<QString, Stored>& stored, const QString& value);
};

/// True for a text of digits only, as a spreadsheet takes for a number.
bool allDigits(const QString& text);
/// An account number as the duplicate rule compares it: without blanks and hyphens.
QString comparedNumber(QString number);

} // namespace tarvo
