// Files made to hurt the import: each is refused, or read within bounds, quickly and with a
// reason the clerk can act on.
#include "PeakMemory.h"
#include "SuiteContext.h"
#include "TableReader.h"
#include "ZipParts.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tarvo::suite;

namespace {

using Rows = QVector<QStringList>;

constexpr qint64 MB = 1024 * 1024;

QByteArray sheetHead(const QByteArray& prolog = {}) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + prolog +
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
           "<sheetData>";
}

const QByteArray kSheetTail = "</sheetData></worksheet>";

QByteArray sheet(const QByteArray& rows, const QByteArray& prolog = {}) {
    return sheetHead(prolog) + rows + kSheetTail;
}

const QByteArray kSst = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";

QByteArray inlineCell(const QByteArray& ref, const QByteArray& text) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

struct Reading {
    bool read = false;
    Rows rows;
    QString error;
    qint64 growth = -1;
    qint64 ms = -1;
};

/// The file read as the import reads it, with the memory the reading took at its peak.
Reading readFile(const QString& path) {
    Reading r;
    const PeakMemory peak;
    QElapsedTimer clock;
    clock.start();
    TableReader reader;
    r.read = reader.Read(path, r.rows, r.error);
    r.ms = clock.elapsed();
    r.growth = peak.growth();
    return r;
}

void expectGrowthBelow(const Reading& r, qint64 bound, const char* what) {
    if (PeakMemory::measurable()) {
        ASSERT_GE(r.growth, 0) << "the kernel does not report the peak";
        EXPECT_LT(r.growth, bound) << what << ": " << r.growth / MB << " MB";
    }
}

struct HostileTables : ::testing::Test {
    QTemporaryDir dir;

    QString xlsx(const QString& name,
                 std::vector<std::pair<QString, std::function<QByteArray()>>> parts) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeZipParts(path, parts));
        return path;
    }
    QString xlsx(const QString& name, const std::vector<RepeatedPart>& parts) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeRepeatedZipParts(path, parts));
        return path;
    }
    QString xlsxSheet(const QString& name, const QByteArray& xml) {
        return xlsx(name, {{"xl/worksheets/sheet1.xml", once(xml)}});
    }
    /// A file of count pieces, each the same bytes, after a head.
    QString repeated(const QString& name, const QByteArray& head, const QByteArray& piece,
                     qint64 count) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(head);
        for (qint64 i = 0; i < count; ++i)
            f.write(piece);
        return f.fileName();
    }
};

TEST_F(HostileTables, OnlyColumnsWithACaptionAreKeptHoweverFarRightACellStands) {
    // One cell per row in the sheet's last column, XFD: read padded, each row was 16,384 cells.
    QByteArray farRight;
    QByteArray underCaptions =
        "<row r=\"1\">" + inlineCell("A1", "编码") + inlineCell("B1", "名称") + "</row>";
    for (int r = 1; r <= 3000; ++r) {
        const QByteArray n = QByteArray::number(r);
        farRight += "<row r=\"" + n + "\">" + inlineCell("XFD" + n, "x" + n) + "</row>";
        if (r > 1)
            underCaptions += "<row r=\"" + n + "\">" + inlineCell("A" + n, n) +
                             inlineCell("XFD" + n, "stray") + "</row>";
    }
    const Reading far = readFile(xlsxSheet("xfd.xlsx", sheet(farRight)));
    ASSERT_TRUE(far.read) << far.error.toStdString();
    ASSERT_EQ(far.rows.size(), 3000);
    EXPECT_EQ(far.rows[0], QStringList{"x1"});
    EXPECT_EQ(far.rows[2999], QStringList{"x3000"});
    expectGrowthBelow(far, 48 * MB, "a column of cells in XFD");

    const Reading under = readFile(xlsxSheet("stray.xlsx", sheet(underCaptions)));
    ASSERT_TRUE(under.read) << under.error.toStdString();
    EXPECT_EQ(under.rows[0], (QStringList{"编码", "名称"}));
    EXPECT_EQ(under.rows[2999], QStringList{"3000"});
    expectGrowthBelow(under, 48 * MB, "stray cells in XFD");

    // The same in a CSV: 20 KB of commas under two captions, and one line of them alone.
    const Reading commas =
        readFile(repeated("commas.csv", "编码,名称\r\n", QByteArray(199, ',') + "\r\n", 100));
    ASSERT_TRUE(commas.read) << commas.error.toStdString();
    EXPECT_EQ(commas.rows.size(), 101);
    EXPECT_EQ(commas.rows[100], (QStringList{"", ""}));
    expectGrowthBelow(commas, 16 * MB, "a CSV of commas");
    const Reading line = readFile(repeated("line.csv", {}, ",", 20000));
    ASSERT_TRUE(line.read) << line.error.toStdString();
    EXPECT_EQ(line.rows, Rows{{}});
}

TEST_F(HostileTables, TooLargeFilesAreRefusedAsSuchWithTheLimitTheyPassed) {
    // One line of 250 MB: refused at the first cell longer than any text of an archive.
    const Reading line = readFile(repeated("line.csv", {}, QByteArray(MB, 'x'), 250));
    EXPECT_FALSE(line.read);
    EXPECT_TRUE(line.error.contains(u"太大") && line.error.contains(u"32767"))
        << line.error.toStdString();
    expectGrowthBelow(line, 32 * MB, "a one-line CSV of 250 MB");

    // More cells than can be imported at once: 3 × 1.1 million (a row counts as one).
    const Reading cells = readFile(repeated("cells.csv", "a,b\n", "1,2\n", 1'100'000));
    EXPECT_FALSE(cells.read);
    EXPECT_TRUE(cells.error.contains(u"太大") && cells.error.contains(u"3000000"))
        << cells.error.toStdString();
    expectGrowthBelow(cells, 400 * MB, "3 million cells");

    // A zip bomb: a few hundred kilobytes that inflate to 300 MB.
    int pieces = 0;
    const QString bomb =
        xlsx("bomb.xlsx", {{"xl/worksheets/sheet1.xml", [&pieces] {
                                return pieces++ < 300 ? QByteArray(MB, ' ') : QByteArray();
                            }}});
    EXPECT_LT(QFileInfo(bomb).size(), 2 * MB);
    const Reading inflated = readFile(bomb);
    EXPECT_FALSE(inflated.read);
    EXPECT_TRUE(inflated.error.contains(u"太大") && inflated.error.contains(u"256 MB"))
        << inflated.error.toStdString();
    expectGrowthBelow(inflated, 32 * MB, "a zip bomb");
}

TEST_F(HostileTables, BrokenOrHostileXmlInAnyPartFailsTheWorkbookWithTheReason) {
    const QByteArray laughs =
        "<!DOCTYPE sst [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d "
        "\"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>";
    const QByteArray sst =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    const QByteArray fromShared = sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>");
    const struct {
        const char* name;
        std::vector<std::pair<QString, std::function<QByteArray()>>> parts;
        std::vector<const char16_t*> reason;
    } cases[] = {
        {"entity in sheet",
         {{"xl/worksheets/sheet1.xml",
           once(sheet("<row r=\"1\">" + inlineCell("A1", "&e;") + "</row>",
                      "<!DOCTYPE worksheet [<!ENTITY e \"expanded\">]>"))}},
         {u"sheet1.xml", u"DOCTYPE"}},
        {"billion laughs in shared strings",
         {{"xl/sharedStrings.xml",
           once("<?xml version=\"1.0\"?>" + laughs + sst + "<si><t>&d;</t></si></sst>")},
          {"xl/worksheets/sheet1.xml", once(fromShared)}},
         {u"sharedStrings.xml", u"DOCTYPE"}},
        {"broken shared strings",
         {{"xl/sharedStrings.xml", once(sst + "<si><t>编码</si></sst>")},
          {"xl/worksheets/sheet1.xml", once(fromShared)}},
         {u"sharedStrings.xml", u"XML"}},
        {"broken styles",
         {{"xl/styles.xml", once("<styleSheet><cellXfs><xf numFmtId=\"14\"></cellXfs>")},
          {"xl/worksheets/sheet1.xml", once(fromShared)}},
         {u"styles.xml", u"XML"}},
        {"broken workbook",
         {{"xl/workbook.xml", once("<workbook><sheets><sheet r:id=\"rId1\"/></workbook>")},
          {"xl/worksheets/sheet1.xml", once(fromShared)}},
         {u"workbook.xml", u"XML"}},
        {"truncated sheet",
         {{"xl/worksheets/sheet1.xml",
           once(sheet("<row r=\"1\">" + inlineCell("A1", "x")).chopped(30))}},
         {u"sheet1.xml", u"XML"}},
        {"escaped NUL",
         {{"xl/sharedStrings.xml", once(sst + "<si><t>a_x0000_b</t></si></sst>")},
          {"xl/worksheets/sheet1.xml", once(fromShared)}},
         {u"U+0000", u"_x0000_"}},
        {"escaped lone surrogate",
         {{"xl/worksheets/sheet1.xml",
           once(sheet("<row r=\"1\">" + inlineCell("A1", "a_xD800_") + "</row>"))}},
         {u"U+D800", u"_xD800_"}},
    };
    for (const auto& c : cases) {
        const Reading r = readFile(xlsx(QString::fromLatin1(c.name) + ".xlsx", c.parts));
        EXPECT_FALSE(r.read) << c.name;
        EXPECT_TRUE(r.rows.isEmpty()) << c.name;
        for (const char16_t* part : c.reason)
            EXPECT_TRUE(r.error.contains(QString::fromUtf16(part)))
                << c.name << ": " << r.error.toStdString();
    }

    // What the escapes rightly carry: a pair of surrogates, and an escaped escape.
    const Reading escapes = readFile(
        xlsxSheet("escapes.xlsx", sheet("<row r=\"1\">" + inlineCell("A1", "_xD83D__xDE00_") +
                                        inlineCell("B1", "_x005F_x0041_") + "</row>")));
    ASSERT_TRUE(escapes.read) << escapes.error.toStdString();
    EXPECT_EQ(escapes.rows, (Rows{{QString::fromUtf8("\xF0\x9F\x98\x80"), "_x0041_"}}));
}

TEST_F(HostileTables, ATextLongerThanACellIsRefusedBeforeItIsHeld) {
    // Each a workbook of a few hundred kilobytes with 250 MB of one thing in a part, just below
    // the size a part may inflate to. Held whole, each took half a gigabyte or more.
    const QByteArray mb(MB, 'x');
    const qint64 pieces = 250;
    const QByteArray captions = "<row r=\"1\">" + inlineCell("A1", "编码") + "</row>";
    const QByteArray row2 = "<row r=\"2\"><c r=\"A2\"><v>1</v></c>";
    QByteArray nested;
    while (nested.size() < MB)
        nested += "<r>";
    QByteArray declarations;
    while (declarations.size() < MB)
        declarations += "<!ENTITY a \"" + QByteArray(100, 'a') + "\">";
    const struct {
        const char* name;
        std::vector<RepeatedPart> parts;
        std::vector<const char16_t*> reason;
    } cases[] = {
        {"inline string in a column without a caption",
         {{"xl/worksheets/sheet1.xml",
           sheetHead() + captions + row2 + "<c r=\"XFD2\" t=\"inlineStr\"><is><t>", mb, pieces,
           "</t></is></c></row>" + kSheetTail}},
         {u"第 2 行 XFD 列", u"32767"}},
        {"shared string",
         {{"xl/sharedStrings.xml", kSst + "<si><t>编码</t></si><si><t>", mb, pieces,
           "</t></si></sst>"},
          {"xl/worksheets/sheet1.xml",
           {},
           {},
           0,
           sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>" + row2 +
                 "</row><row r=\"3\"><c r=\"C3\" t=\"s\"><v>1</v></c></row>")}},
         {u"第 3 行 C 列", u"32767"}},
        {"number",
         {{"xl/worksheets/sheet1.xml", sheetHead() + captions + "<row r=\"2\"><c r=\"B2\"><v>",
           QByteArray(MB, '1'), pieces, "</v></c></row>" + kSheetTail}},
         {u"第 2 行 B 列"}},
        {"attribute",
         {{"xl/worksheets/sheet1.xml", sheetHead() + captions + row2 + "<c r=\"B2\" x=\"", mb,
           pieces, "\"/></row>" + kSheetTail}},
         {u"sheet1.xml", u"属性"}},
        {"comment",
         {{"xl/worksheets/sheet1.xml", sheetHead() + captions + "<!--", mb, pieces,
           "-->" + kSheetTail}},
         {u"sheet1.xml", u"32767"}},
        {"nesting",
         {{"xl/worksheets/sheet1.xml",
           sheetHead() + captions + row2 + "<c r=\"B2\" t=\"inlineStr\"><is>", nested, pieces,
           "</is></c></row>" + kSheetTail}},
         {u"sheet1.xml", u"嵌套", u"64"}},
        {"document type",
         {{"xl/sharedStrings.xml", "<?xml version=\"1.0\"?><!DOCTYPE sst [", declarations, pieces,
           "]>" + kSst + "<si><t>&a;</t></si></sst>"},
          {"xl/worksheets/sheet1.xml", {}, {}, 0, sheet(captions)}},
         {u"sharedStrings.xml"}},
    };
    for (const auto& c : cases) {
        const QString path = xlsx(QString::fromLatin1(c.name) + ".xlsx", c.parts);
        EXPECT_LT(QFileInfo(path).size(), 2 * MB) << c.name;
        const Reading r = readFile(path);
        EXPECT_FALSE(r.read) << c.name;
        EXPECT_TRUE(r.rows.isEmpty()) << c.name;
        for (const char16_t* part : c.reason)
            EXPECT_TRUE(r.error.contains(QString::fromUtf16(part)))
                << c.name << ": " << r.error.toStdString();
        expectGrowthBelow(r, 16 * MB, c.name);
        EXPECT_LT(r.ms, 2000) << c.name;
    }
}

TEST_F(HostileTables, ACellAtTheCapIsReadAndOneCharacterMoreIsRefusedByItsPlace) {
    constexpr qint64 cap = 32767;
    const QByteArray captions = "<row r=\"1\">" + inlineCell("A1", "编码") +
                                inlineCell("B1", "名称") + "</row><row r=\"2\">" +
                                inlineCell("A2", "1");
    // A character in each spelling a writer gives it, the longest an escape of seven bytes.
    const struct {
        QByteArray spelling;
        QChar character;
    } spellings[] = {{"x", u'x'}, {"中", u'中'}, {"&amp;", u'&'}, {"_x000D_", u'\r'}};
    for (const auto& [spelling, character] : spellings) {
        for (const qint64 n : {cap, cap + 1}) {
            const std::string what = spelling.toStdString() + " × " + std::to_string(n);
            const Reading inlined = readFile(xlsx(
                "inline.xlsx", {{"xl/worksheets/sheet1.xml",
                                 sheetHead() + captions + "<c r=\"B2\" t=\"inlineStr\"><is><t>",
                                 spelling, n, "</t></is></c></row>" + kSheetTail}}));
            const Reading shared = readFile(
                xlsx("shared.xlsx",
                     {{"xl/sharedStrings.xml", kSst + "<si><t>", spelling, n, "</t></si></sst>"},
                      {"xl/worksheets/sheet1.xml",
                       {},
                       {},
                       0,
                       sheet(captions + "<c r=\"B2\" t=\"s\"><v>0</v></c></row>")}}));
            for (const Reading& r : {inlined, shared}) {
                if (n == cap) {
                    EXPECT_TRUE(r.read) << what << ": " << r.error.toStdString();
                    EXPECT_EQ(r.rows.value(1).value(1), QString(cap, character)) << what;
                } else {
                    EXPECT_FALSE(r.read) << what;
                    EXPECT_TRUE(r.error.contains(u"第 2 行 B 列") && r.error.contains(u"32767"))
                        << what << ": " << r.error.toStdString();
                }
            }
            QFile::remove(dir.filePath("inline.xlsx"));
            QFile::remove(dir.filePath("shared.xlsx"));
        }
    }

    // An attribute, though no cell's text, is held to the same length.
    for (const qint64 n : {cap, cap + 1}) {
        const Reading r =
            readFile(xlsx(QStringLiteral("attribute%1.xlsx").arg(n),
                          {{"xl/worksheets/sheet1.xml", sheetHead() + captions + "<c r=\"B2\" x=\"",
                            "x", n, "\"><v>2</v></c></row>" + kSheetTail}}));
        EXPECT_EQ(r.read, n == cap) << n << ": " << r.error.toStdString();
        if (n > cap) {
            EXPECT_TRUE(r.error.contains(u"属性")) << r.error.toStdString();
        }
    }

    // A shared string too long, which no cell uses, is named by its place among them.
    const Reading unused = readFile(
        xlsx("unused.xlsx",
             {{"xl/sharedStrings.xml", kSst + "<si><t>编码</t></si><si><t>a</t></si><si><t>", "x",
               cap + 1, "</t></si></sst>"},
              {"xl/worksheets/sheet1.xml",
               {},
               {},
               0,
               sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>")}}));
    EXPECT_FALSE(unused.read);
    EXPECT_TRUE(unused.error.contains(u"第 3 个共享字符串")) << unused.error.toStdString();

    // A CSV names the cell the same way.
    for (const qint64 n : {cap, cap + 1}) {
        const Reading r =
            readFile(repeated(QStringLiteral("cap%1.csv").arg(n), "编码,名称\r\n1,", "x", n));
        EXPECT_EQ(r.read, n == cap) << n;
        if (n > cap) {
            EXPECT_TRUE(r.error.contains(u"第 2 行 B 列")) << r.error.toStdString();
        }
    }

    // And in the session's language.
    ASSERT_TRUE(setSessionLanguage("en-US"));
    const auto restore = qScopeGuard([] { setSessionLanguage("zh-CN"); });
    const Reading english = readFile(
        xlsx("english.xlsx", {{"xl/worksheets/sheet1.xml",
                               sheetHead() + captions + "<c r=\"AB2\" t=\"inlineStr\"><is><t>", "x",
                               cap + 1, "</t></is></c></row>" + kSheetTail}}));
    EXPECT_EQ(english.error,
              "The file is too large: the cell in row 2, column AB has more than 32767 characters");
}

} // namespace
