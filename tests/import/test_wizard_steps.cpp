// What the import wizard decides without a window: taking out the connection entry a
// run added, and only that entry; the summary of a structure file read again.

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/WizardSteps.h"

#include <gtest/gtest.h>

#include <functional>

using namespace bGlobal;

namespace {

// A tree document with one group holding the named connections (their Keys).
void treeWith(const QStringList& keys) {
    QString connections;
    for (const QString& key : keys)
        connections += QStringLiteral("<DATABASECONNECTION Key=\"%1\" Name=\"%1\"/>").arg(key);
    oLHXML = std::make_shared<cXML>();
    ASSERT_TRUE(oLHXML->LoadXMLContent(
        QStringLiteral("<DATABASESTRUCTURES><DATABASEGROUP Key=\"g0\" Name=\"Morvalex Group\">%1</DATABASEGROUP></DATABASESTRUCTURES>")
            .arg(connections)));
}

QStringList keys() {
    QStringList found;
    for (const XmlNode& c : oLHXML->GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION")))
        found << c.attribute(QStringLiteral("Key"));
    return found;
}

}  // namespace

TEST(WizardStepsTest, RemovingTheAddedConnectionTakesOutThatEntryOnly) {
    struct Case {
        const char* name;
        // What happens to the tree document between remembering and removing.
        std::function<void()> meanwhile;
        bool keep;  // Finish keeps the entry
        QStringList left;
    } cases[] = {
        {"still there", [] {}, false, {QStringLiteral("a")}},
        {"another entry took its place", [] { treeWith({QStringLiteral("a"), QStringLiteral("c")}); }, false,
         {QStringLiteral("a"), QStringLiteral("c")}},
        {"kept", [] {}, true, {QStringLiteral("a"), QStringLiteral("b")}},
        {"already gone", [] { treeWith({QStringLiteral("a")}); }, false, {QStringLiteral("a")}},
    };
    const auto saved = oLHXML;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        treeWith({QStringLiteral("a"), QStringLiteral("b")});
        wizard::AddedConnection added;
        added.Remember(0, 1);
        c.meanwhile();
        if (c.keep) added.Keep();
        added.Remove();
        EXPECT_EQ(keys(), c.left);
        EXPECT_EQ(wizard::ConnectionCount(0), c.left.size());
        // Removing again changes nothing.
        added.Remove();
        EXPECT_EQ(keys(), c.left);
    }
    oLHXML = saved;
}

// A structure file read again through the wizard says "not read" for the kinds its own
// import did not read, and counts the others, none as "0".
TEST(WizardStepsTest, TheSummaryOfAStructureFileSaysWhatItsImportDidNotRead) {
    const auto savedStructure = oStructureXML;
    const qint16 savedType = gDatabaseType;
    gDatabaseType = dbMorvalexXML;
    oStructureXML = std::make_shared<cXML>();
    ASSERT_TRUE(oStructureXML->LoadXMLContent(QStringLiteral(
        "<DATABASE Name=\"\" DatabaseType=\"12\" NotRead=\"STOREDPROCEDURE TRIGGER\">"
        "<TABLE Name=\"t\"><INDEX Name=\"i\"/></TABLE></DATABASE>")));
    const QString summary = wizard::ImportSummary();
    EXPECT_TRUE(summary.contains(QStringLiteral("Number of Tables: 1\r\nNumber of Views: 0\r\n"
                                                "Number of Stored procedures: not read\r\nNumber of Triggers: not read\r\n"
                                                "Number of Indexes: 1\r\n")))
        << summary.toStdString();
    oStructureXML = savedStructure;
    gDatabaseType = savedType;
}
