#pragma once

namespace tarvo::ado {

/// Field type codes of the record sets, numbered as the data-access layer the component was
/// written against numbers them; callers compare with these values (11 = Boolean, 202 = text).
enum Type : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBoolean = 11,
    adVariant = 12,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adBigInt = 20,
    adNumeric = 131,
    adDBDate = 133,
    adDBTimeStamp = 135,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
};

inline bool isNumeric(int type) {
    switch (type) {
    case adSmallInt:
    case adInteger:
    case adSingle:
    case adDouble:
    case adCurrency:
    case adDecimal:
    case adTinyInt:
    case adUnsignedTinyInt:
    case adBigInt:
    case adNumeric:
        return true;
    default:
        return false;
    }
}

inline bool isWholeNumber(int type) {
    return type == adSmallInt || type == adInteger || type == adTinyInt ||
           type == adUnsignedTinyInt || type == adBigInt;
}

/// A number with decimals: shown, printed and exported with the account's decimals for amounts.
inline bool isAmount(int type) {
    return isNumeric(type) && !isWholeNumber(type);
}

inline bool isDate(int type) {
    return type == adDate || type == adDBDate || type == adDBTimeStamp;
}

} // namespace tarvo::ado
