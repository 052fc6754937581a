// Print data written from UTF-8 and read back as UTF-8: the same file and the same cells as
// by way of strings, and a check that refuses exactly what the reading refuses.
#include "GridModel.h"
#include "PrintData.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarvo::suite;

namespace {

QByteArray written(const QList<QByteArray>& cells, bool asUtf8) {
    QString text;
    PrintDataWriter w(&text, {});
    w.beginRow();
    for (const QByteArray& c : cells) {
        if (asUtf8)
            w.writeCellUtf8(c);
        else
            w.writeCell(QString::fromUtf8(c));
    }
    w.endRow();
    w.finish();
    return text.toUtf8();
}

/// What reading a file gives: its rows by way of strings, whether both ways of reading agree,
/// and what the check alone says for rows of `columns` cells.
struct Reading {
    QList<QStringList> rows;
    bool read = false;
    bool sameAsBytes = true;
    bool checked = false;
};

Reading readBack(const QString& path, qsizetype columns) {
    Reading out;
    PrintDataHeader header;
    PrintDataFileReader strings(path);
    PrintDataFileReader bytes(path);
    out.read = strings.readHeader(header) && bytes.readHeader(header);
    QStringList cells;
    PrintDataCells utf8;
    bool fits = true;
    while (out.read && strings.next(cells)) {
        out.rows << cells;
        fits = fits && cells.size() == columns;
        QStringList again;
        if (bytes.next(utf8))
            for (const QByteArrayView b : utf8)
                again << QString::fromUtf8(b);
        out.sameAsBytes = out.sameAsBytes && again == cells;
    }
    out.read = out.read && !strings.hasError();
    out.sameAsBytes = out.sameAsBytes && !bytes.next(utf8) && bytes.hasError() == !out.read;
    PrintDataFileReader check(path);
    out.checked = check.readHeader(header) && check.checkRows(columns);
    EXPECT_EQ(out.checked, out.read && fits) << path.toStdString();
    return out;
}

QString fileOf(const QTemporaryDir& dir, const QByteArray& content) {
    static int n = 0;
    const QString path = dir.filePath(QStringLiteral("d%1.xml").arg(++n));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

} // namespace

TEST(PrintDataUtf8, ACellGivenAsUtf8IsWrittenAsItsStringWouldBe) {
    const QList<QByteArray> cells = {
        "plain",      "中国工商银行", "<a & b> \"q\" 'a'", "two\r\nlines\rcr\nlf\ttab",
        "\x01\x1f\x7f", "\xC2\x85 next line", "\xEF\xBF\xBE\xEF\xBF\xBF end", "😀 U+1F600",
        "\xFF bad",   "cut \xE4\xB8", "\xC0\xAF overlong", "\xED\xA0\x80 surrogate",
        "\xF4\x90\x80\x80 past", QByteArray("nul\0in", 6), "",
    };
    for (const QByteArray& c : cells)
        EXPECT_EQ(written({c}, true), written({c}, false)) << c.toHex().toStdString();
    // A grid's own cell comes as its string's UTF-8, half a surrogate pair included.
    const QString lone = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
    QString viaUtf8;
    QString viaString;
    PrintDataWriter bytes(&viaUtf8, {});
    PrintDataWriter string(&viaString, {});
    GridSource::appendUtf8Of(lone, bytes.beginCellUtf8());
    bytes.endCellUtf8();
    string.writeCell(lone);
    bytes.finish();
    string.finish();
    EXPECT_EQ(viaUtf8, viaString);
}

TEST(PrintDataUtf8, TheCheckRefusesWhatTheReadingRefusesAndRowsReadWholeAcrossItsBuffer) {
    QTemporaryDir dir;
    const QByteArray row = "<R><C>1</C><C>a</C></R>";
    const struct {
        const char* why;
        QByteArray content;
        bool good;
    } cases[] = {
        {"rows of their own layout",
         "<PrintData a='x'>\r\n<R ><C >1</C ><C/></R >\r\n<R><C>&#x41;&#66;&lt;&quot;\r\n</C>"
         "<C>x\ry</C></R></PrintData>",
         true},
        {"a row short of a cell", "<PrintData><R><C>1</C></R></PrintData>", false},
        {"an empty row", "<PrintData><R/>" + row + "</PrintData>", false},
        {"not UTF-8", "<PrintData><R><C>1</C><C>\xFF</C></R></PrintData>", false},
        {"a surrogate", "<PrintData><R><C>1</C><C>\xED\xA0\x80</C></R></PrintData>", false},
        {"a control character", "<PrintData><R><C>1</C><C>\x01</C></R></PrintData>", false},
        {"a reference to nothing", "<PrintData><R><C>&#0;</C><C/></R></PrintData>", false},
        {"a reference cut off", "<PrintData><R><C>&amp</C><C/></R></PrintData>", false},
        {"a row cut off", "<PrintData>" + row + "<R><C>1</C><C>a</C></PrintData>", false},
        {"a close of the wrong row", "<PrintData><R><C>1</C><C>a</C></RR></PrintData>", false},
        {"cut off", "<PrintData>" + row, false},
    };
    for (const auto& c : cases) {
        const Reading r = readBack(fileOf(dir, c.content), 2);
        EXPECT_EQ(r.checked, c.good) << c.why;
        EXPECT_TRUE(r.sameAsBytes) << c.why;
    }
    const Reading layout = readBack(fileOf(dir, cases[0].content), 2);
    EXPECT_EQ(layout.rows, QList<QStringList>({{"1", ""}, {"AB<\"\n", "x\ny"}}));

    // Rows of every length around the reader's buffer, a cell longer than it, and references
    // wherever a buffer ends.
    QList<QStringList> rows;
    for (int i = 0; i < 3000; ++i)
        rows << QStringList{QString(i % 97, u'账') + QStringLiteral("&<%1>").arg(i),
                            QString::number(i)};
    rows << QStringList{QString(300000, u'x') + u'\r', QStringLiteral("末")};
    const QString longTitle = QString(100000, u'题') + QStringLiteral("\"&<\n\t>");
    const QString path = dir.filePath("long.xml");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        PrintDataWriter w(static_cast<QIODevice*>(&f), {longTitle, "001", "u", "用户", "d"});
        for (const QStringList& r : rows)
            w.writeRow(r);
        ASSERT_TRUE(w.finish());
    }
    PrintDataFileReader reader(path);
    PrintDataHeader header;
    ASSERT_TRUE(reader.readHeader(header));
    EXPECT_EQ(header.title, longTitle) << "a value longer than the buffer, white space kept";
    EXPECT_EQ(header.userName, "用户");
    const Reading r = readBack(path, 2);
    EXPECT_TRUE(r.checked);
    EXPECT_TRUE(r.sameAsBytes);
    EXPECT_TRUE(r.rows == rows);
}
