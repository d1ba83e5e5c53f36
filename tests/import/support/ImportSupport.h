#pragma once
// Helpers for the import tests: a tree document to import into, one import run, the
// structure and tree documents as stable text, golden files and test databases.

#include "ado/support/TestDatabases.h"
#include "platform/ui/ScriptedHost.h"
#include "support/TestSupport.h"

#include <QString>
#include <functional>
#include <gtest/gtest.h>

namespace importtest {

// A tree document with one group holding two connections (positions 0 and 1).
void NewTreeDocument();

// Decides from each WhileImporting event (object name, object type, 1-based event
// number) whether to cancel.
using CancelWhen = std::function<bool(const QString& name, const QString& type, int eventNumber)>;

// Connects and imports as the wizard does; the result of GenerateXML (false also when
// the connection failed).
bool RunImport(const QString& connectionString, int databaseType, const QString& databaseName, CancelWhen cancelWhen = {});

// The structure document indented, with the import's date, time and user blanked.
QString NormalizedStructure();
// The tree entries of connection 0 of group 0 (or of the connection at gConnectionIndex).
QString NormalizedTree();

// Compares text with tests/data/import/<name>; MORVALEX_UPDATE_GOLDEN=1 rewrites it.
void ExpectGolden(const QString& text, const QString& name);

// A fresh SQLite file made from a SQL file; its ODBC connection string.
QString SqliteDatabase(const QString& sqlFile);
// A fresh PostgreSQL database on the test server made from a SQL file; "" when the
// test server is not running.
QString PostgresDatabase(const QString& sqlFile);
// A connection string for the test server with a wrong password; "" without a server.
QString PostgresWrongPassword();
// Drops the databases made by SqliteDatabase and PostgresDatabase; every test that
// makes one calls it when it ends (before the program's statics go away).
void DropDatabases();

// The fixture of an import test: a program folder of its own, a scripted host, the
// tests' ODBC registry, a started program and a fresh tree document; the databases it
// made are dropped at the end.
struct ImportTest : ::testing::Test {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    void SetUp() override {
        testdb::UseTestOdbc();
        testsupport::StartProgram();
        NewTreeDocument();
    }
    void TearDown() override { DropDatabases(); }
};

}  // namespace importtest
