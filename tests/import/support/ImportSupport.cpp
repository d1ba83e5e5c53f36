#include "support/ImportSupport.h"

#include "ado/support/TestDatabases.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/cADODB.h"
#include "support/TestSupport.h"

#include <QFile>
#include <memory>
#include <vector>
#include <gtest/gtest.h>
#include <libxml/tree.h>

using namespace bGlobal;

namespace importtest {

void NewTreeDocument() {
    oLHXML = std::make_shared<cXML>();
    oLHXML->LoadXMLContent(QStringLiteral(
        "<DATABASESTRUCTURES CreatedOn=\"\" Version=\"4.0\" Name=\"Database Structures\" Key=\"Database Structures\" RHXPath=\"1\">"
        "<DATABASEGROUP Name=\"G\" Key=\"G\" CreatedOn=\"\" RHXPath=\"2.0\" Deleted=\"0\">"
        "<DATABASECONNECTION Name=\"first\" Key=\"first|0|0\" RHXPath=\"3.0\"/>"
        "<DATABASECONNECTION Name=\"second\" Key=\"second|0|1\" RHXPath=\"3.1\"/>"
        "</DATABASEGROUP></DATABASESTRUCTURES>"));
}

bool RunImport(const QString& connectionString, int databaseType, const QString& databaseName, CancelWhen cancelWhen) {
    gDatabaseType = qint16(databaseType);
    gDatabaseName = databaseName;
    gServerName = QStringLiteral("server");
    gConnectionString = connectionString;
    cADODB reader;
    int events = 0;
    reader.WhileImporting = [&](QString& name, QString& type, QString&, qint16&, QString&, bool& cancel) {
        ++events;
        if (cancelWhen && cancelWhen(name, type, events)) cancel = true;
    };
    reader.SetConnection(connectionString);
    if (!reader.ADOConnect()) return false;
    return reader.GenerateXML();
}

namespace {
const QStringList kVolatile = {QStringLiteral("Time"), QStringLiteral("CreatedOn"), QStringLiteral("CreatedBy"),
                               QStringLiteral("LastModified")};

void print(const XmlNode& node, int depth, QString& out) {
    const QString pad(depth * 2, QLatin1Char(' '));
    if (!node.isElement()) {
        out += pad + node.nodeName() + QStringLiteral(": ") + node.text() + QLatin1Char('\n');
        return;
    }
    out += pad + QLatin1Char('<') + node.nodeName();
    for (const auto& [name, value] : node.attributes())
        out += QLatin1Char(' ') + name + QStringLiteral("=\"") + (kVolatile.contains(name) ? QStringLiteral("*") : value) +
               QLatin1Char('"');
    const XmlNodeList children = node.childNodes();
    if (children.isEmpty()) {
        out += QStringLiteral("/>\n");
        return;
    }
    out += QStringLiteral(">\n");
    for (const XmlNode& c : children) print(c, depth + 1, out);
    out += pad + QStringLiteral("</") + node.nodeName() + QStringLiteral(">\n");
}
}  // namespace

QString NormalizedStructure() {
    QString out;
    if (oStructureXML) print(oStructureXML->FindNode(QStringLiteral("DATABASE")), 0, out);
    return out;
}

QString NormalizedTree() {
    QString out;
    print(oLHXML->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[%1]/DATABASECONNECTION[%2]")
                               .arg(gGroupIndex)
                               .arg(gConnectionIndex)),
          0, out);
    return out;
}

void ExpectGolden(const QString& text, const QString& name) {
    testsupport::ExpectGolden(text, QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/import/") + name);
}

}  // namespace importtest

namespace importtest {

namespace {
// Databases made for a test program live until it ends.
std::vector<std::unique_ptr<testdb::SqliteFile>>& sqliteFiles() {
    static std::vector<std::unique_ptr<testdb::SqliteFile>> files;
    return files;
}
std::vector<std::unique_ptr<testdb::PgDatabase>>& pgDatabases() {
    static std::vector<std::unique_ptr<testdb::PgDatabase>> dbs;
    return dbs;
}
}  // namespace

QString SqliteDatabase(const QString& sqlFile) {
    sqliteFiles().push_back(std::make_unique<testdb::SqliteFile>(testsupport::ReadFile(sqlFile)));
    return sqliteFiles().back()->connectionString();
}

QString PostgresDatabase(const QString& sqlFile) {
    testdb::UseTestOdbc();
    if (!testdb::PgConfigured()) return {};
    pgDatabases().push_back(std::make_unique<testdb::PgDatabase>(testsupport::ReadFile(sqlFile)));
    return pgDatabases().back()->connectionString();
}

void DropDatabases() {
    sqliteFiles().clear();
    pgDatabases().clear();
}

QString PostgresWrongPassword() {
    testdb::UseTestOdbc();
    if (!testdb::PgConfigured()) return {};
    return testdb::PgConnectionString(QStringLiteral("postgres"), QStringLiteral("not-the-password"));
}

}  // namespace importtest
