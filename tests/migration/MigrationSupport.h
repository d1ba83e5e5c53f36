#pragma once
// Helpers for the migration tests: a started program in a private folder, data-type
// maps written as the program reads them, and scripts split into statements.

#include "support/TestSupport.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(QStringLiteral("; ")).toStdString() << ']'; }

namespace migrationtest {

// A map whose SQLSERVER65 list names PostgreSQL types, so the SQL Server 6.5 dialect
// runs on the PostgreSQL test server; OTHERS holds the SQLite reader's type names.
// The other keys carry each product's own names for the same types.
extern const char* const kTestMap;

// Enciphers map text with pass phrase 1 into the application folder's DataTypes.mxd.
void WriteDataTypeMap(const QString& xml);
// Puts the map the program ships in the application folder; returns its plain text.
QString UseShippedDataTypeMap();

// The statements of a script (AllQueries), the digits of generated names replaced by
// "#" ("IX_#", "FK_#").
QStringList Statements(const QString& script);

// A started program (private folders, globals, query catalogue) with a scripted host
// and the test map. Errors that reach the error reporter are collected in errors.
class MigrationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    testsupport::AppFolder app;
    platform::ui::ScopedScriptedHost host;
    QStringList errors;
};

}  // namespace migrationtest
