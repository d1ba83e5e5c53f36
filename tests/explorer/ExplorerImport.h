#pragma once
// The main window with real connections: imports of SQLite files and PostgreSQL
// databases on the test server (type "Others", read through the schema rowsets) as
// the wizard's Finish leaves them.

#include "ExplorerFixture.h"
#include "ado/support/TestDatabases.h"
#include "import/cADODB.h"

#include <QDir>

namespace explorertest {

struct WithImport : Fixture {
    frmDatabaseExplorer* w = nullptr;

    void SetUp() override {
        Fixture::SetUp();
        testdb::UseTestOdbc();
        w = &OpenWindow();
        host->prompts.clear();
    }

    // Adds connection 'name' to the first group and imports it; the connection is
    // current and focused afterwards.
    void Import(const QString& connectionString, const QString& name) {
        bGlobal::gGroupIndex = 0;
        bGlobal::gDatabaseName = name;
        bGlobal::gDatabaseType = bGlobal::dbOthers;
        bGlobal::gServerName = QStringLiteral("server");
        w->AddNewDBConnection(connectionString);
        cADODB reader;
        reader.SetConnection(connectionString);
        ASSERT_TRUE(reader.ADOConnect());
        ASSERT_TRUE(reader.GenerateXML());
        bGlobal::SaveTempFile();
        w->PopulateLHXML();
        w->FocusConnection();
        ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
        ASSERT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    }

    // The TABLE names of the current structure document, sorted.
    static QStringList Tables() {
        QStringList names;
        if (!bGlobal::oStructureXML) return names;
        for (const XmlNode& t : bGlobal::oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE")))
            names << t.attribute(QStringLiteral("Name"));
        names.sort();
        return names;
    }

    // The Name attributes of the TABLE entries under connection c of group 0 in the
    // tree document, sorted.
    static QStringList TreeTables(int c) {
        QStringList names;
        for (const XmlNode& t : bGlobal::oLHXML->GetNodes(
                 QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[%1]/TABLES/TABLE").arg(c)))
            names << t.attribute(QStringLiteral("Name"));
        names.sort();
        return names;
    }

    static XmlNode Connection(int c) {
        return bGlobal::oLHXML->FindNode(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[%1]").arg(c));
    }

    static int ConnectionCount() {
        return int(bGlobal::oLHXML->GetNodes(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION")).size());
    }

    int SaveDialogs() {
        int n = 0;
        for (const auto& p : host->prompts) n += p.kind == QLatin1String("save");
        return n;
    }
};

}  // namespace explorertest
