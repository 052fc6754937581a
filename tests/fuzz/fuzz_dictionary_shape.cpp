// Any query text handed to the fields-only answer: where the dictionary answers, the database
// must answer the same query with the same fields, in the same order, of the same types and
// sizes; a wrong answer there gives a card or a list fields its rows will not fit.
#include "DictionaryShape.h"
#include "FuzzDatabase.h"
#include "RecordsetBuilder.h"
#include "SqlDialect.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarvo;
    using namespace tarvo::suite;
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    AccountDatabase& db = fuzzDatabase();
    // As a session, where a result has shown each table that is there.
    const auto there = [&db](const QString& table) {
        return !db.sql()
                    .query(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type IN ('table', "
                                          "'view') AND lower(name) = lower(?)"),
                           {table})
                    .rows.empty();
    };
    const RecordsetPtr answered = dictionaryShape(sql, db.dictionary(), there);
    if (!answered)
        return 0;
    FUZZ_REQUIRE(answered->RecordCount() == 0);
    RecordsetPtr stored;
    try {
        RecordsetBuilder builder(db.dictionary());
        stored = builder.build(db.sql().queryStored(translateQuery(sql, db.sql().kind())));
    } catch (const std::exception&) {
        // The dictionary answered a query the database refuses.
        FUZZ_REQUIRE(false);
    }
    FUZZ_REQUIRE(stored && stored->FieldCount() == answered->FieldCount());
    for (int f = 0; f < answered->FieldCount(); ++f) {
        const auto& mine = answered->FieldAt(f);
        const auto& theirs = stored->FieldAt(f);
        FUZZ_REQUIRE(mine.name.compare(theirs.name, Qt::CaseInsensitive) == 0);
        FUZZ_REQUIRE(mine.type == theirs.type && mine.definedSize == theirs.definedSize);
    }
    return 0;
}
