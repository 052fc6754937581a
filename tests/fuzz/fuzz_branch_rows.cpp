// Any bytes as a branch directory file: refused whole with a reason, or every row either
// refused with a reason or a branch the directory can keep as it is.
#include "BranchImport.h"
#include "FuzzDatabase.h"
#include "TableReader.h"
#include "TextCharacters.h"

#include <QSet>

#include <algorithm>

#include <cstddef>
#include <cstdint>

namespace {

bool digits(const QString& text, qsizetype size) {
    return text.size() == size &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

/// A text the directory can keep and the import's tab-separated lines can show.
bool keepable(const QString& text, qsizetype longest) {
    static const QString refused = QStringLiteral("<>'\"|&,");
    return text.size() <= longest && text == text.trimmed() &&
           !tarvo::suite::TextCharacters::firstUnsafe(text) &&
           std::none_of(text.begin(), text.end(), [](QChar c) { return refused.contains(c); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    tarvo::suite::TableText table = tarvo::suite::readCsv(bytes);
    if (!table.error.isEmpty())
        return 0;
    tarvo::BranchImport import;
    QString error;
    if (!import.take(std::move(table.rows), QStringLiteral("fuzz.csv"), error)) {
        FUZZ_REQUIRE(!error.isEmpty());
        FUZZ_REQUIRE(import.rows().isEmpty());
        return 0;
    }
    QSet<QString> accepted;
    for (const tarvo::BranchImport::Row& row : import.rows()) {
        if (!row.refusal.isEmpty())
            continue;
        const tarvo::BranchEntry& e = row.entry;
        FUZZ_REQUIRE(digits(e.code, 12));
        FUZZ_REQUIRE(digits(e.bankCode, 3));
        FUZZ_REQUIRE(!e.name.isEmpty() && keepable(e.name, 120));
        FUZZ_REQUIRE(keepable(e.bankName, 120) && keepable(e.city, 60) &&
                     keepable(e.province, 60) && keepable(e.cityCode, 10));
        FUZZ_REQUIRE(digits(e.cityCode, e.cityCode.size()));
        FUZZ_REQUIRE(!accepted.contains(e.code));
        accepted.insert(e.code);
    }
    return 0;
}
