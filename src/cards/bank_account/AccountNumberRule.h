#pragma once

#include "IClsCommon.h"
#include "IPub.h"

namespace tarvo {

/// What the bank archive says about the company account numbers a bank issues: a fixed count
/// of digits, or nothing. Banks change their rules, so a number that breaks one is explained
/// and left to the clerk, never refused outright.
struct AccountNumberRule {
    QString bankName;
    /// 0 when the bank fixes no length.
    int length = 0;

    /// The rule of the bank with this code; no rule when the bank sets none or is unknown.
    static AccountNumberRule ofBank(IClsCommon& db, const QString& bankCode);
    /// The rule a bank's row of the archive gives: its name, its fixed-length flag and length.
    static AccountNumberRule of(const QString& bankName, int fixedLength, int length);

    /// Why the number does not fit the rule, in the clerk's language; empty when it fits.
    /// Blanks and hyphens separate groups of digits and are not counted.
    QString mismatch(IPub& pub, const QString& number) const;
};

} // namespace tarvo
