// Any bytes as a print data file: the check takes a file exactly when reading it row by row
// does and every row has the cells the first one has; both ways of reading agree; every cell
// read is written back as its string would be, and that writing reads again.
#include "FuzzDatabase.h"
#include "PrintData.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

QString fileOf(const QByteArray& bytes) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.xml"));
    QFile f(path);
    FUZZ_REQUIRE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_REQUIRE(f.write(bytes) == bytes.size());
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarvo::suite;
    const QString path =
        fileOf(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    PrintDataHeader header;
    PrintDataFileReader strings(path);
    PrintDataFileReader bytes(path);
    const bool headed = strings.readHeader(header);
    FUZZ_REQUIRE(bytes.readHeader(header) == headed);
    qsizetype columns = -1;
    bool even = true;
    int rows = 0;
    QString written;
    PrintDataWriter viaStrings(&written, header);
    QByteArray cellsOut;
    QStringList cells;
    PrintDataCells utf8;
    while (headed && strings.next(cells)) {
        FUZZ_REQUIRE(bytes.next(utf8) && utf8.size() == cells.size());
        columns = columns < 0 ? cells.size() : columns;
        even = even && cells.size() == columns;
        viaStrings.beginRow();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            FUZZ_REQUIRE(QString::fromUtf8(utf8[i]) == cells[i]);
            QString a;
            QString b;
            PrintDataWriter one(&a, {});
            PrintDataWriter other(&b, {});
            one.writeCell(cells[i]);
            other.writeCellUtf8(utf8[i]);
            one.finish();
            other.finish();
            FUZZ_REQUIRE(a == b);
            viaStrings.writeCell(cells[i]);
        }
        viaStrings.endRow();
        ++rows;
    }
    const bool read = headed && !strings.hasError();
    FUZZ_REQUIRE(!bytes.next(utf8) && bytes.hasError() == strings.hasError());
    PrintDataFileReader check(path);
    const bool checked = check.readHeader(header) && check.checkRows(std::max<qsizetype>(columns, 0));
    FUZZ_REQUIRE(checked == (read && even));
    if (!read)
        return 0;
    viaStrings.finish();
    PrintDataFileReader again(fileOf(written.toUtf8()));
    FUZZ_REQUIRE(again.readHeader(header));
    int rowsAgain = 0;
    while (again.next(cells))
        ++rowsAgain;
    FUZZ_REQUIRE(!again.hasError() && rowsAgain == rows);
    return 0;
}
