// Filter lines built from arbitrary bytes: refused with a line number, or a condition that the
// database runs as it stands. One line per input line: field, operator and "or" from its first
// three bytes, the rest its value.
#include "FilterCondition.h"
#include "FuzzDatabase.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarvo::suite;
    static const FilterField fields[] = {
        {QStringLiteral("cAccName"), QStringLiteral("账户名称"), 202},
        {QStringLiteral("AA_Bank.cBankName"), QStringLiteral("所属银行"), 202},
        {QStringLiteral("fCurBalance"), QStringLiteral("余额"), 6},
        {QStringLiteral("iSignFlag"), QStringLiteral("签约标志"), 3},
        {QStringLiteral("dOpenAccDate"), QStringLiteral("开户日期"), 135},
        {QStringLiteral("bBflag"), QStringLiteral("是否暂封"), 11},
    };
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QVector<FilterRow> rows;
    for (const QByteArray& line : input.split('\n')) {
        if (line.size() < 3)
            continue;
        FilterRow r;
        r.field = fields[quint8(line[0]) % std::size(fields)];
        r.op = FilterOp(quint8(line[1]) % (int(FilterOp::IsNotEmpty) + 1));
        r.orWithNext = line[2] & 1;
        r.value = QString::fromUtf8(line.mid(3));
        rows.push_back(r);
    }
    const auto result = FilterCondition::build(rows);
    if (!result.ok()) {
        FUZZ_REQUIRE(result.badRow < rows.size() && !result.error.isEmpty() &&
                     result.condition.isEmpty());
        return 0;
    }
    if (result.condition.isEmpty())
        return 0;
    try {
        fuzzDatabase().sql().query(QStringLiteral("SELECT COUNT(*) FROM bank LEFT JOIN AA_Bank ON "
                                                  "Bank.cBankCode = AA_Bank.cBankCode WHERE ") +
                                   result.condition + QStringLiteral(" AND 1=1"));
    } catch (const DbError&) {
        __builtin_trap(); // a condition the database cannot read is a broken literal
    }
    return 0;
}
