// Any bytes as a CSV file: either refused with a reason and no rows, or rows no wider than the
// caption row and within the import's caps.
#include "FuzzTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    checkTable(tarvo::suite::readCsv(bytes));
    return 0;
}
