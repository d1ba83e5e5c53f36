#include "platform/xml/XslPattern.h"

#include <gtest/gtest.h>

using platform::xml::xslPatternToXPath;

// Every path form the program uses, with its XPath 1.0 translation.
TEST(XslPattern, TranslatesEveryPathForm) {
    const struct {
        const char* pattern;
        const char* xpath;
    } cases[] = {
        {"DATABASE", "DATABASE"},
        {"/DATABASE/TABLE", "/DATABASE/TABLE"},
        {"/DATABASE/TABLE[3]/INDEX", "/DATABASE/TABLE[4]/INDEX"},
        {"DATABASESTRUCTURES/DATABASEGROUP[0]", "DATABASESTRUCTURES/DATABASEGROUP[1]"},
        {"DATABASESTRUCTURES/DATABASEGROUP[2]/DATABASECONNECTION[10]",
         "DATABASESTRUCTURES/DATABASEGROUP[3]/DATABASECONNECTION[11]"},
        {"QUERIES/DATABASE[12]/TABLE[ 0 ]", "QUERIES/DATABASE[13]/TABLE[1]"},
        {"DATABASE/TABLE[@Report $eq$ 1]", "DATABASE/TABLE[@Report = 1]"},
        {"DATABASE/TABLE/TRIGGER[@Report $eq$ 1]", "DATABASE/TABLE/TRIGGER[@Report = 1]"},
        {"DATABASE/TABLE[@Name $eq$ 'a[1]$eq$b']", "DATABASE/TABLE[@Name = 'a[1]$eq$b']"},
        {"A[@x $ne$ 2 $and$ @y $gt$ 3]", "A[@x != 2 and @y > 3]"},
        {"A[@x$eq$\"1\"][0]", "A[@x=\"1\"][1]"},
        {"A[B[0]]", "A[B[1]]"},
        {"A[last()]", "A[last()]"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(xslPatternToXPath(QString::fromUtf8(c.pattern)), QString::fromUtf8(c.xpath)) << c.pattern;
}
