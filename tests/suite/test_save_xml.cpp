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
