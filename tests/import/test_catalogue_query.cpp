#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/CatalogueQuery.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace catalogue;

namespace {
// A small catalogue at type code 1: every way an entry can be written.
const char* kCatalogue = R"(<QUERIES><DATABASE/>
  <DATABASE>
    <TABLE><TYPE>ado</TYPE><QUERY>select name from t</QUERY><CONDITION/></TABLE>
    <TABLE><TYPE>ado</TYPE><QUERY>select * from c</QUERY><CONDITION/><COLUMNLIST><COLUMN>a</COLUMN></COLUMNLIST></TABLE>
    <TABLE><TYPE>SQL</TYPE><QUERY>select k from pk</QUERY><CONDITION>tab = 'MORVXXX' and x = 'MORVXXX'</CONDITION></TABLE>
    <TABLE><TYPE>SQL</TYPE><QUERY>select v from views</QUERY><CONDITION>owner = 'MORVXXX'</CONDITION></TABLE>
    <TABLE/>
    <TABLE><TYPE>SQL</TYPE><QUERY>select i from idx</QUERY><CONDITION/></TABLE>
    <TABLE><TYPE>SP</TYPE><QUERY>sp_procs</QUERY><CONDITION/></TABLE>
    <TABLE><TYPE>SP</TYPE><QUERY>sp_helptext</QUERY><CONDITION>'MORVPPP'</CONDITION></TABLE>
  </DATABASE></QUERIES>)";

struct Catalogue : ::testing::Test {
    platform::ui::ScopedScriptedHost host;
    void SetUp() override {
        bGlobal::oQueriesXML = std::make_shared<cXML>();
        ASSERT_TRUE(bGlobal::oQueriesXML->LoadXMLContent(QString::fromUtf8(kCatalogue)));
    }
    void TearDown() override { bGlobal::oQueriesXML.reset(); }
};
}  // namespace

TEST_F(Catalogue, BuildsCommandsByKind) {
    const struct {
        int kind;
        const char* name;
        const char* command;
    } cases[] = {
        {Tables, "", "select name from t Where "},           // the tables kind always adds its separator
        {Columns, "x", "select * from c"},                   // empty condition: the query alone
        {PrimaryKeys, "MORVXXX", "select k from pk Where tab = 'MORVXXX' and x = 'MORVXXX'"},  // no recursion
        {PrimaryKeys, "O'Brien", "select k from pk Where tab = 'O''Brien' and x = 'O''Brien'"},
        {PrimaryKeys, "x'; drop table t; --", "select k from pk Where tab = 'x''; drop table t; --' and x = 'x''; drop table t; --'"},
        {Views, "ignored", "select v from views WHERE owner = 'MORVXXX'"},  // no placeholder for the view list
        {Procedures, "", "sp_procs "},                       // SP: query, blank, condition
        {ProcedureText, "p'1", "sp_helptext 'p''1'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildCommand(Lookup(1, c.kind), c.kind, QString::fromUtf8(c.name)), QString::fromUtf8(c.command)) << c.kind;
}

TEST_F(Catalogue, LookupAndMissingParts) {
    EXPECT_FALSE(Lookup(2, Tables).exists());   // no DATABASE entry for the type
    EXPECT_FALSE(Lookup(1, 9).exists());        // no entry for the kind
    EXPECT_TRUE(Lookup(1, ViewColumns).exists());
    EXPECT_FALSE(Lookup(1, ViewColumns).hasType());
    EXPECT_EQ(Lookup(1, Tables).type(), QStringLiteral("ado"));
    EXPECT_EQ(Lookup(1, Columns).column(0), QStringLiteral("a"));
    EXPECT_THROW(Lookup(1, Columns).column(1), platform::RuntimeError);
    EXPECT_THROW(Lookup(1, ViewColumns).query(), platform::RuntimeError);
}
