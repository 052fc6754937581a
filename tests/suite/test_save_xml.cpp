#include "SaveXml.h"

#include <gtest/gtest.h>

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
        ASSERT_TRUE(rec) << c.xml.toStdString() << ": " << err.toStdString();
        ASSERT_EQ(rec->fields.size(), 1) << c.xml.toStdString();
        EXPECT_EQ(rec->fields[0].second, c.value) << c.xml.toStdString();
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
