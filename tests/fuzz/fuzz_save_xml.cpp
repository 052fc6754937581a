// Any text handed to the save service: it reads as the general XML parser reads it, a refusal
// changes nothing, a save writes its record and exactly one audit row.
#include "FuzzDatabase.h"
#include "SaveService.h"
#include "SaveXml.h"

#include <cstddef>
#include <cstdint>

namespace {

long long count(tarvo::suite::SqlBackend& sql, const char* table) {
    return sql.query(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)))
        .rows[0][0]
        .toLongLong();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarvo::suite;
    const QString xml = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const auto record = parseSaveXml(xml, error);
    FUZZ_REQUIRE(record.has_value() == error.isEmpty());
    QString parserError;
    const auto parsed = parseSaveXmlByParser(xml, parserError);
    FUZZ_REQUIRE(parsed.has_value() == record.has_value());
    FUZZ_REQUIRE(!record || (record->root == parsed->root && record->fields == parsed->fields));
    if (!record)
        return 0;
    AccountDatabase& db = fuzzDatabase();
    SqlBackend& sql = db.sql();
    const long long audit = count(sql, "tarvo_audit");
    const long long rows = count(sql, "aa_bank") + count(sql, "bank");
    SaveService service(db, QStringLiteral("fuzz"));
    const bool modify = !record->fields.isEmpty() && record->fields.size() % 2 == 0;
    const bool stored =
        modify ? service.modify(xml, record->root, error) : service.add(xml, record->root, error);
    FUZZ_REQUIRE(stored == error.isEmpty());
    FUZZ_REQUIRE(count(sql, "tarvo_audit") == audit + (stored ? 1 : 0));
    const long long after = count(sql, "aa_bank") + count(sql, "bank");
    FUZZ_REQUIRE(after == rows + (stored && !modify ? 1 : 0));
    return 0;
}
