// Any text as a record set filter: parsed and applied, or refused with an error; never a crash,
// whatever its nesting or length.
#include "AdoTypes.h"
#include "Recordset.h"

#include <QDate>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarvo;
    static const RecordsetPtr rows = [] {
        auto rs = std::make_shared<Recordset>(QVector<FieldInfo>{
            {QStringLiteral("cBankCode"), ado::adVarWChar, 10},
            {QStringLiteral("bSysData"), ado::adBoolean, 2},
            {QStringLiteral("iLen"), ado::adSmallInt, 2},
            {QStringLiteral("fBalance"), ado::adCurrency, 8},
            {QStringLiteral("dCreated"), ado::adDBTimeStamp, 16},
        });
        rs->appendRow({QStringLiteral("102"), true, 19, 12.5, QDate(2020, 1, 5)});
        rs->appendRow(
            {QStringLiteral("9A"), false, QVariant(), QStringLiteral("-0.01"), QVariant()});
        return rs;
    }();
    const QString filter = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const RecordsetPtr rs = rows->Clone();
    try {
        rs->setFilter(filter);
    } catch (const RecordsetError&) {
        return 0;
    }
    int seen = 0;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        ++seen;
    if (seen != rs->RecordCount() || seen > 2)
        __builtin_trap();
    return 0;
}
