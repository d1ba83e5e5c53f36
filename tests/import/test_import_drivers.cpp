// Imports as OTHERS through drivers whose engine has no reader of its own: the
// mdbtools driver on an Access file (with and without the file's own catalogue
// beside it) and a MariaDB server with a second database beside the one imported.
// An import through any driver completes; what a driver cannot give is named as
// not read, and only the connection's own database is documented.

#include "ado/support/TestDatabases.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "platform/ado/Ado.h"
#include "support/ImportSupport.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace bGlobal;
using namespace importtest;

namespace {

struct ImportDrivers : ImportTest {};

QStringList names(const QString& path, const QString& attribute = QStringLiteral("Name")) {
    QStringList list;
    for (const XmlNode& node : oStructureXML->GetNodes(path)) list << node.attribute(attribute);
    return list;
}

// The same joined by blanks, as text a failure prints readably.
std::string joined(const QString& path, const QString& attribute = QStringLiteral("Name")) {
    return names(path, attribute).join(QLatin1Char(' ')).toStdString();
}

QString notRead() { return oStructureXML->FindNode(QStringLiteral("DATABASE")).attribute(QStringLiteral("NotRead")); }

// A private copy of the Access sample file.
QString nwindCopy(const QTemporaryDir& dir) {
    const QString copy = dir.filePath(QStringLiteral("nwind.mdb"));
    if (!QFile::copy(QStringLiteral(MORVALEX_FIXTURES_DIR "/access/nwind.mdb"), copy)) return QString();
    return copy;
}

// Text of the first column of every row a statement gives, joined by blanks.
std::string firstColumn(platform::ado::Connection& c, const QString& sql) {
    QStringList values;
    for (const platform::ado::RecordsetPtr rs = c.Execute(sql); !rs->IsEOF(); rs->MoveNext())
        values << rs->Fields(0).toString();
    return values.join(QLatin1Char(' ')).toStdString();
}

}  // namespace

// The mdbtools driver, named in the string (the file's own catalogue gives tables,
// keys and indexes) and through a data source (the driver alone, which has no primary
// keys, indexes or foreign keys to give): either way the import completes with the
// file's tables and its queries as views, and the kinds the driver lacks are named as
// not read.
TEST_F(ImportDrivers, AccessFileThroughTheMdbtoolsDriverCompletes) {
    MORVALEX_REQUIRE(testdb::RegisteredDrivers().contains(QStringLiteral("MDBTools")),
                     "the mdbtools ODBC driver is not installed (scripts/install-deps installs odbc-mdbtools)");
    QTemporaryDir dir;
    const QString file = nwindCopy(dir);
    ASSERT_FALSE(file.isEmpty());
    testdb::AddDataSource(QStringLiteral("nwind_driver_only"), {QStringLiteral("Driver=MDBTools"), QStringLiteral("Database=") + file});
    const struct {
        const char* how;
        QString connectionString;
        const char* notRead;
        bool indexes;
    } cases[] = {
        {"driver named", QStringLiteral("Driver={MDBTools};DBQ=") + file, "STOREDPROCEDURE TRIGGER", true},
        {"data source", QStringLiteral("DSN=nwind_driver_only"), "STOREDPROCEDURE TRIGGER INDEX FOREIGNKEY", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        NewTreeDocument();
        ASSERT_TRUE(RunImport(c.connectionString, dbOthers, QStringLiteral("nwind")));
        const QStringList tables = names(QStringLiteral("DATABASE/TABLE"));
        for (const char* t : {"Customers", "Order Details", "Orders", "Products", "Suppliers"})
            EXPECT_TRUE(tables.contains(QLatin1String(t))) << t;
        EXPECT_EQ(names(QStringLiteral("DATABASE/TABLE[@Name $eq$ 'Customers']/COLUMN")).value(0), QStringLiteral("CustomerID"));
        EXPECT_TRUE(names(QStringLiteral("DATABASE/VIEW")).contains(QStringLiteral("Invoices")));
        EXPECT_EQ(notRead(), QLatin1String(c.notRead));
        EXPECT_EQ(oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE/INDEX")).isEmpty(), !c.indexes);
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    }
}

// A MariaDB server holding a second database with tables of the same names: only the
// connection's database is documented, each table with its own columns, keys,
// indexes and foreign keys, as information_schema lists them.
TEST_F(ImportDrivers, MariadbImportDocumentsTheCurrentDatabaseOnly) {
    MORVALEX_REQUIRE_TEST_MY();
    const testdb::MyDatabase other(QStringLiteral(
        "CREATE TABLE actor (actor_id INT NOT NULL, nickname VARCHAR(20) NOT NULL, PRIMARY KEY (actor_id),"
        " UNIQUE KEY uq_nickname (nickname));"
        "CREATE TABLE film_actor (actor_id INT NOT NULL, film_id INT NOT NULL, PRIMARY KEY (actor_id, film_id),"
        " CONSTRAINT fk_elsewhere FOREIGN KEY (actor_id) REFERENCES actor (actor_id));"
        "CREATE TABLE only_there (x INT);"));
    const testdb::MyDatabase db(QStringLiteral(
        "CREATE TABLE actor (actor_id SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT, first_name VARCHAR(45) NOT NULL,"
        " last_name VARCHAR(45) NOT NULL, PRIMARY KEY (actor_id), KEY idx_actor_last_name (last_name));"
        "CREATE TABLE film (film_id SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT, title VARCHAR(128) NOT NULL,"
        " PRIMARY KEY (film_id));"
        "CREATE TABLE film_actor (actor_id SMALLINT UNSIGNED NOT NULL, film_id SMALLINT UNSIGNED NOT NULL,"
        " PRIMARY KEY (actor_id, film_id), KEY idx_fk_film_id (film_id),"
        " CONSTRAINT fk_film_actor_actor FOREIGN KEY (actor_id) REFERENCES actor (actor_id) ON DELETE RESTRICT ON UPDATE CASCADE,"
        " CONSTRAINT fk_film_actor_film FOREIGN KEY (film_id) REFERENCES film (film_id) ON DELETE RESTRICT ON UPDATE CASCADE);"
        "CREATE VIEW actor_names AS SELECT first_name, last_name FROM actor;"));
    ASSERT_TRUE(RunImport(db.connectionString(), dbOthers, db.name()));
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));

    platform::ado::Connection c;
    c.Open(db.connectionString());
    const QString inThisDatabase = QStringLiteral("table_schema = DATABASE()");
    EXPECT_EQ(joined(QStringLiteral("DATABASE/TABLE")),
              firstColumn(c, QStringLiteral("SELECT table_name FROM information_schema.tables WHERE %1 AND table_type = 'BASE TABLE'"
                                            " ORDER BY table_name").arg(inThisDatabase)));
    EXPECT_EQ(joined(QStringLiteral("DATABASE/VIEW")), "actor_names");
    for (const char* table : {"actor", "film", "film_actor"}) {
        SCOPED_TRACE(table);
        const QString path = QStringLiteral("DATABASE/TABLE[@Name $eq$ '%1']/").arg(QLatin1String(table));
        const QString where = QStringLiteral("%1 AND table_name = '%2'").arg(inThisDatabase, QLatin1String(table));
        EXPECT_EQ(joined(path + QStringLiteral("COLUMN")),
                  firstColumn(c, QStringLiteral("SELECT column_name FROM information_schema.columns WHERE %1 ORDER BY ordinal_position")
                                     .arg(where)));
        EXPECT_EQ(joined(path + QStringLiteral("COLUMN[@Primary_Key $eq$ 'PRIMARY']")),
                  firstColumn(c, QStringLiteral("SELECT column_name FROM information_schema.key_column_usage WHERE %1 AND"
                                                " constraint_name = 'PRIMARY' ORDER BY ordinal_position").arg(where)));
        EXPECT_EQ(joined(path + QStringLiteral("INDEX")),
                  firstColumn(c, QStringLiteral("SELECT DISTINCT index_name FROM information_schema.statistics WHERE %1"
                                                " ORDER BY BINARY index_name").arg(where)));
        EXPECT_EQ(joined(path + QStringLiteral("INDEX[@Name $eq$ 'PRIMARY']"), QStringLiteral("Column_Name")),
                  firstColumn(c, QStringLiteral("SELECT GROUP_CONCAT(column_name ORDER BY seq_in_index) FROM"
                                                " information_schema.statistics WHERE %1 AND index_name = 'PRIMARY'").arg(where)));
        // A table's foreign keys are listed under the table they refer to.
        EXPECT_EQ(joined(path + QStringLiteral("FOREIGNKEY")),
                  firstColumn(c, QStringLiteral("SELECT constraint_name FROM information_schema.referential_constraints WHERE"
                                                " constraint_schema = DATABASE() AND referenced_table_name = '%1'"
                                                " ORDER BY constraint_name").arg(QLatin1String(table))));
    }
    const QString fk = QStringLiteral("DATABASE/TABLE[@Name $eq$ 'actor']/FOREIGNKEY");
    EXPECT_EQ(joined(fk, QStringLiteral("UpdateRule")), "CASCADE");
    EXPECT_EQ(joined(fk, QStringLiteral("DeleteRule")), "RESTRICT");
    EXPECT_EQ(joined(fk, QStringLiteral("ForeignKeyTable")), "film_actor");
}
