#include "SaveXml.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

using namespace tarvo::suite;

TEST(SaveXml, ReadsRootAndColumnsInOrder) {
    QString err;
    const auto rec = parseSaveXml("<Bank><cBCode>01</cBCode><cAccName></cAccName>"
                                  "<cBName>a &amp; b</cBName></Bank>",
                                  err);
    ASSERT_TRUE(rec) << err.toStdString();
    EXPECT_EQ(rec->root, "Bank");
    ASSERT_EQ(rec->fields.size(), 3);
    EXPECT_EQ(rec->fields[0], qMakePair(QString("cBCode"), QString("01")));
    EXPECT_EQ(rec->fields[1].second, "");
    EXPECT_EQ(rec->fields[2].second, "a & b");
}

TEST(SaveXml, AcceptsADeclarationAndWhitespaceBetweenElements) {
    QString err;
    const auto rec = parseSaveXml("<?xml version=\"1.0\"?>\n<Bank>\n  <cBCode> 01 </cBCode>\n"
                                  "</Bank>\n",
                                  err);
    ASSERT_TRUE(rec) << err.toStdString();
    EXPECT_EQ(rec->fields[0].second, " 01 ") << "values are kept untrimmed";
}

TEST(SaveXml, HostileOrMalformedInputIsRefusedCleanly) {
    const QString big = "<Bank><cBName>" + QString(1024 * 1024, QChar(u'a')) + "</cBName></Bank>";
    const QString cases[] = {
        "",
        "<Bank><cBCode>01</cBCode>",
        "<Bank><cBCode>01</cBName></Bank>",
        "<Bank><cBCode>01</cBCode></Bank><Bank/>",
        "<!DOCTYPE Bank [<!ENTITY x \"boom\">]><Bank><cBCode>&x;</cBCode></Bank>",
        "<!DOCTYPE lol [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
        "<Bank><cBCode>&b;</cBCode></Bank>",
        "<Bank><cBCode>&nope;</cBCode></Bank>",
        "<Bank><cBCode><b>1</b></cBCode></Bank>",
        "<Bank a=\"1\"><cBCode>1</cBCode></Bank>",
        "<Bank>text<cBCode>1</cBCode></Bank>",
        "<Bank><cBCode>1</cBCode><CBCODE>2</CBCODE></Bank>",
        "<Bank><?pi x?><cBCode>1</cBCode></Bank>",
        big,
    };
    for (const QString& xml : cases) {
        QString err;
        EXPECT_FALSE(parseSaveXml(xml, err)) << xml.left(80).toStdString();
        EXPECT_FALSE(err.isEmpty());
    }
}

TEST(SaveXml, TextsInThePlainFormReadAsAnyXmlReaderReadsThem) {
    const struct {
        QString xml;
        QString value; ///< of the only column
    } read[] = {
        {"<Bank><cBName>&lt;甲&gt; &amp; &quot;乙&quot; &apos;丙&apos;</cBName></Bank>",
         "<甲> & \"乙\" '丙'"},
        {"<Bank><cBName>a > b</cBName></Bank>", "a > b"},
        {"<Bank><cBName>&#x4E2D;&#25991;</cBName></Bank>", "中文"},
        {"<Bank><cBName>\xF0\x9F\x8F\xA6 银行</cBName></Bank>", "\xF0\x9F\x8F\xA6 银行"},
        {"<Bank><cBName/></Bank>", ""},
        {"<Bank><cBName>x]y</cBName></Bank>", "x]y"},
    };
    for (const auto& c : read) {
        QString err;
        const auto rec = parseSaveXml(c.xml, err);
        const bool one = rec && rec->fields.size() == 1;
        EXPECT_TRUE(one) << c.xml.toStdString() << ": " << err.toStdString();
        if (one) {
            EXPECT_EQ(rec->fields[0].second, c.value) << c.xml.toStdString();
        }
    }
    const QString refused[] = {
        "<Bank><cBName>1</CBNAME></Bank>",
        "<Bank><cBName>1</cBName></BANK>",
        "<Bank><cBName>1</cBName></Bank>x",
        "<Bank><cBName>a ]]> b</cBName></Bank>",
        "<Bank><cBName>a &amp b</cBName></Bank>",
        "<Bank><cBName>a\x01b</cBName></Bank>",
        "<Bank><cBName>1</cBName><cbname>2</cbname></Bank>",
    };
    for (const QString& xml : refused) {
        QString err;
        EXPECT_FALSE(parseSaveXml(xml, err)) << xml.toStdString();
    }
}

namespace {

/// Save XML as the programs write it, with pieces that lie on either side of the plain form's
/// border mixed in: its reading by hand must agree with the general parser on each.
QString randomSaveXml(std::mt19937& random) {
    static const QString roots[] = {"Bank", "AA_Bank", "b1"};
    static const QString columns[] = {"cBCode", "CBCODE", "cBName", "x_1", "_y", "a-b", "1x"};
    static const QString pieces[] = {
        "01", "中国银行", " ", "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&", "&amp", "&#65;",
        "&#x4E2D;", "<", ">", "]", "]]>", "\t", "\n", "\r\n", QString(QChar(0x01)),
        QStringLiteral("\U0001F3E6"), QString(QChar(0xD800)), QString(QChar(0xE000)),
        QString(QChar(0xFFFD)), "<b/>", "<!-- c -->", "<![CDATA[x]]>"};
    const auto pick = [&](const auto& from) {
        return from[std::uniform_int_distribution<size_t>(0, std::size(from) - 1)(random)];
    };
    const QString root = pick(roots);
    QString xml = "<" + root + ">";
    for (int c = std::uniform_int_distribution<>(0, 4)(random); c > 0; --c) {
        const QString column = pick(columns);
        QString value;
        for (int p = std::uniform_int_distribution<>(0, 5)(random); p > 0; --p)
            value += pick(pieces);
        xml += value.isEmpty() && random() % 2 ? "<" + column + "/>"
                                               : "<" + column + ">" + value + "</" + column + ">";
    }
    xml += "</" + root + ">";
    // A character dropped, doubled or let in: the hand-written reading is most likely wrong
    // about a text that is almost, but not quite, in its form.
    if (random() % 3 == 0 && !xml.isEmpty()) {
        const qsizetype at = std::uniform_int_distribution<qsizetype>(0, xml.size() - 1)(random);
        switch (random() % 3) {
        case 0:
            xml.remove(at, 1);
            break;
        case 1:
            xml.insert(at, xml[at]);
            break;
        default:
            xml.insert(at, pick(pieces));
        }
    }
    return xml;
}

} // namespace

TEST(SaveXml, TheReadingByHandAgreesWithTheGeneralParser) {
    std::mt19937 random(20261209);
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        const QString xml = randomSaveXml(random);
        SCOPED_TRACE(xml.toStdString());
        QString error;
        QString parserError;
        const auto read = parseSaveXml(xml, error);
        const auto parsed = parseSaveXmlByParser(xml, parserError);
        EXPECT_EQ(read.has_value(), parsed.has_value()) << error.toStdString();
        if (!read || !parsed)
            continue;
        ++accepted;
        EXPECT_EQ(read->root, parsed->root);
        EXPECT_EQ(read->fields, parsed->fields);
    }
    EXPECT_GT(accepted, 2000) << "too few of the texts were save XML to compare the readings on";
}
