// Any bytes as an .xlsx file: either refused with a reason and no rows, or rows no wider than
// the caption row, within the import's caps, and holding only characters a text can hold.
#include "FuzzTable.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader opens a path, as the import hands it one.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.xlsx"));
    QFile file(path);
    FUZZ_REQUIRE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_REQUIRE(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    file.close();
    const tarvo::suite::TableText table = tarvo::suite::readXlsx(path);
    checkTable(table);
    for (const QStringList& row : table.rows)
        for (const QString& cell : row)
            for (qsizetype i = 0; i < cell.size(); ++i) {
                FUZZ_REQUIRE(!cell[i].isNull());
                if (cell[i].isHighSurrogate() && i + 1 < cell.size() &&
                    cell[i + 1].isLowSurrogate())
                    ++i;
                else
                    FUZZ_REQUIRE(!cell[i].isSurrogate());
            }
    return 0;
}
