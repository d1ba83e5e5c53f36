// Imports as OTHERS of real MariaDB databases through the MariaDB ODBC driver: every
// fact the structure document holds is compared with what information_schema says
// of the same database.

#include "ado/support/TestDatabases.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/cADODB.h"
#include "platform/ado/Ado.h"
#include "support/ImportSupport.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QMap>
#include <gtest/gtest.h>

using namespace bGlobal;
using namespace importtest;

namespace {

// The rows of a query on information_schema about db ('?' stands for its name), each
// row's values as text joined by "|".
QStringList rows(const testdb::MyDatabase& db, QString query) {
    query.replace(QLatin1Char('?'), QLatin1Char('\'') + db.name() + QLatin1Char('\''));
    platform::ado::Connection c;
    c.Open(db.connectionString());
    QStringList out;
    for (const platform::ado::RecordsetPtr rs = c.Execute(query); !rs->IsEOF(); rs->MoveNext()) {
        QStringList values;
        for (int i = 0; i < rs->FieldCount(); ++i) values << rs->Fields(i).toString();
        out << values.join(QLatin1Char('|'));
    }
    c.Close();
    return out;
}

struct MariadbImport : ImportTest {};

QString fixture(const char* name) {
    QFile file(QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/import/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read the fixture");
    return QString::fromUtf8(file.readAll());
}

// The document's attribute values of every element under 'path', each as the given
// attributes joined by "|".
QStringList documented(const QString& path, const QStringList& attributes) {
    QStringList out;
    for (const XmlNode& node : oStructureXML->GetNodes(path)) {
        QStringList values;
        for (const QString& a : attributes) values << node.attribute(a);
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

// A list sorted, one entry a line, for comparing and printing.
std::string sorted(QStringList list) {
    list.sort();
    return list.join(QLatin1Char('\n')).toStdString();
}


// The columns of every table as "table|column|type's first word|Length|Ordinal_Position|
// Null_Allowed|Column_Default|Primary_Key|Scale".
std::string documentedColumns() {
    QStringList out;
    for (const XmlNode& table : oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE")))
        for (const XmlNode& c : table.childElements()) {
            if (c.nodeName() != QLatin1String("COLUMN")) continue;
            QStringList values = {table.attribute(QStringLiteral("Name")), c.attribute(QStringLiteral("Name")),
                                  c.attribute(QStringLiteral("Datatype")).section(QLatin1Char(' '), 0, 0)};
            for (const char* a : {"Length", "Ordinal_Position", "Null_Allowed", "Column_Default", "Primary_Key", "Scale"})
                values << c.attribute(QLatin1String(a));
            out << values.join(QLatin1Char('|'));
        }
    return sorted(out);
}

// Every table, column, key, index, foreign key and view of the document beside what
// information_schema says of the database; nothing of another database.
void ExpectDocumentAsInformationSchema(const testdb::MyDatabase& db) {
    EXPECT_EQ(sorted(documented(QStringLiteral("DATABASE/TABLE"), {QStringLiteral("Name")})),
              sorted(rows(db, QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES "
                                            "WHERE TABLE_SCHEMA = ? AND TABLE_TYPE = 'BASE TABLE'"))));
    // A column without a default shows as NULL there; a generated column's
    // expression stands where the document shows a default.
    EXPECT_EQ(documentedColumns(),
              sorted(rows(db, QStringLiteral(
                  "SELECT c.TABLE_NAME, c.COLUMN_NAME, UPPER(c.DATA_TYPE), "
                  "  COALESCE(c.CHARACTER_MAXIMUM_LENGTH, c.DATETIME_PRECISION, c.NUMERIC_PRECISION, 0), c.ORDINAL_POSITION, "
                  "  IF(c.IS_NULLABLE = 'YES', 'True', 'False'), "
                  "  CASE WHEN c.EXTRA LIKE '%GENERATED' "
                  "       THEN CONCAT('GENERATED ALWAYS AS (', c.GENERATION_EXPRESSION, ') ', SUBSTRING_INDEX(c.EXTRA, ' ', 1)) "
                  "       WHEN c.COLUMN_DEFAULT IS NULL OR c.COLUMN_DEFAULT = 'NULL' THEN '' ELSE c.COLUMN_DEFAULT END, "
                  "  IF(k.COLUMN_NAME IS NULL, '', k.CONSTRAINT_NAME), "
                  "  IF(c.DATA_TYPE IN ('decimal', 'numeric'), c.NUMERIC_SCALE, '') "
                  "FROM information_schema.COLUMNS c "
                  "JOIN information_schema.TABLES t ON t.TABLE_SCHEMA = ? "
                  "  AND CAST(t.TABLE_NAME AS BINARY) = CAST(c.TABLE_NAME AS BINARY) "
                  "  AND t.TABLE_TYPE = 'BASE TABLE' "
                  "LEFT JOIN information_schema.KEY_COLUMN_USAGE k ON k.TABLE_SCHEMA = ? "
                  "  AND CAST(k.TABLE_NAME AS BINARY) = CAST(c.TABLE_NAME AS BINARY) "
                  "  AND CAST(k.COLUMN_NAME AS BINARY) = CAST(c.COLUMN_NAME AS BINARY) AND k.CONSTRAINT_NAME = 'PRIMARY' "
                  "WHERE c.TABLE_SCHEMA = ?"))));
    EXPECT_EQ(sorted(documented(QStringLiteral("DATABASE/TABLE/INDEX"),
                                {QStringLiteral("Table_Name"), QStringLiteral("Name"), QStringLiteral("Column_Name"),
                                 QStringLiteral("Description")})),
              sorted(rows(db, QStringLiteral(
                  "SELECT TABLE_NAME, INDEX_NAME, GROUP_CONCAT(COLUMN_NAME ORDER BY SEQ_IN_INDEX SEPARATOR ','), "
                  "  CONCAT_WS(',', IF(MAX(NON_UNIQUE) = 0, 'Unique', NULL), IF(INDEX_NAME = 'PRIMARY', 'Primary Key', NULL), "
                  "            IF(MAX(INDEX_TYPE) IN ('FULLTEXT', 'SPATIAL'), MAX(INDEX_TYPE), NULL)) "
                  "FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = ? GROUP BY CAST(TABLE_NAME AS BINARY), INDEX_NAME"))));
    EXPECT_EQ(sorted(documented(QStringLiteral("DATABASE/TABLE/FOREIGNKEY"),
                                {QStringLiteral("Name"), QStringLiteral("RelatedColumn"), QStringLiteral("PrimaryKeyTable"),
                                 QStringLiteral("ForeignKeyTable"), QStringLiteral("UpdateRule"), QStringLiteral("DeleteRule"),
                                 QStringLiteral("PrimaryKeyColumn")})),
              sorted(rows(db, QStringLiteral(
                  "SELECT k.CONSTRAINT_NAME, k.COLUMN_NAME, k.REFERENCED_TABLE_NAME, k.TABLE_NAME, r.UPDATE_RULE, "
                  "  r.DELETE_RULE, k.REFERENCED_COLUMN_NAME "
                  "FROM information_schema.KEY_COLUMN_USAGE k JOIN information_schema.REFERENTIAL_CONSTRAINTS r "
                  "  ON r.CONSTRAINT_SCHEMA = ? "
                  "  AND CAST(r.TABLE_NAME AS BINARY) = CAST(k.TABLE_NAME AS BINARY) "
                  "  AND r.CONSTRAINT_NAME = k.CONSTRAINT_NAME "
                  "WHERE k.TABLE_SCHEMA = ?"))));
    QStringList views;
    for (const XmlNode& view : oStructureXML->GetNodes(QStringLiteral("DATABASE/VIEW"))) {
        QStringList values = {view.attribute(QStringLiteral("Name")), view.attribute(QStringLiteral("Updatable"))};
        for (const XmlNode& child : view.childElements())
            if (child.nodeName() == QLatin1String("SQLSCRIPT")) values << child.text();
        views << values.join(QLatin1Char('|'));
    }
    EXPECT_EQ(sorted(views), sorted(rows(db, QStringLiteral(
                                 "SELECT TABLE_NAME, IF(IS_UPDATABLE = 'YES', 'True', 'False'), VIEW_DEFINITION "
                                 "FROM information_schema.VIEWS WHERE TABLE_SCHEMA = ?"))));
}

struct Expect {
    const char* path;  // under DATABASE
    const char* attribute;
    const char* value;
};

// The check clause each column shows: that of the named check in information_schema
// (of the column's table), and none on every other column.
struct CheckOn {
    const char* table;
    const char* column;
    const char* check;
};

}  // namespace

// Imports of a database holding what the driver's catalogue functions misreport, and
// of a small rental shop's schema, each documented object for object as
// information_schema describes it, beside a second database with tables of the same
// names that the document leaves out.
TEST_F(MariadbImport, OthersImportDocumentsTheDatabaseAsInformationSchema) {
    MORVALEX_REQUIRE_TEST_MY();
    const struct {
        const char* fixture;
        const char* tables;
        std::vector<Expect> expects;
        std::vector<CheckOn> checks;
    } cases[] = {
        {"fidelity-mariadb.sql", "Mixed kinds mixed parent ranges tick`s",
         {{"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'id']", "Null_Allowed", "False"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'id']", "Datatype", "INT UNSIGNED"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'stamp']", "Null_Allowed", "False"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'body']", "Length", "4294967295"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'data']", "Length", "4294967295"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'doc']", "Length", "4294967295"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'at']", "Length", "6"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'span']", "Length", "2"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'plain']", "Length", "0"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'mid']", "Length", "7"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'flags']", "Length", "64"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'price']", "Scale", "2"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'mood']", "Datatype", "ENUM"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'mood']", "Column_Default", "'calm'"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'tags']", "Datatype", "SET"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'yr']", "Datatype", "YEAR"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'place']", "Datatype", "POINT"},
          {"TABLE[@Name $eq$ 'kinds']/COLUMN[@Name $eq$ 'total']", "Column_Default",
           "GENERATED ALWAYS AS (`price` * `qty`) STORED"},
          {"TABLE[@Name $eq$ 'kinds']/INDEX[@Name $eq$ 'ft_body']", "Description", "FULLTEXT"},
          {"TABLE[@Name $eq$ 'kinds']/INDEX[@Name $eq$ 'sp_place']", "Description", "SPATIAL"},
          {"TABLE[@Name $eq$ 'parent']/FOREIGNKEY[@Name $eq$ 'fk_parent']", "DeleteRule", "SET NULL"},
          {"TABLE[@Name $eq$ 'parent']/FOREIGNKEY[@Name $eq$ 'fk_parent']", "UpdateRule", "CASCADE"},
          {"TABLE[@Name $eq$ 'tick`s']/INDEX[@Name $eq$ 'PRIMARY']", "Column_Name", "ünï,b"},
          {"TABLE[@Name $eq$ 'Mixed']/COLUMN", "Name", "Key"},
          {"TABLE[@Name $eq$ 'mixed']/COLUMN", "Name", "key"}},
         {{"kinds", "qty", "qty"}, {"kinds", "price", "price_positive"}, {"kinds", "doc", "doc"},
          {"mixed", "odd name#1", "odd name#1"}, {"ranges", "qty", "qty"}, {"tick`s", "we`ird", "odd"}}},
        {"rental-mariadb.sql", "actor category film film_actor film_category inventory language store",
         {{"TABLE[@Name $eq$ 'film_actor']/INDEX[@Name $eq$ 'PRIMARY']", "Column_Name", "actor_id,film_id"},
          {"TABLE[@Name $eq$ 'film_actor']/COLUMN[@Name $eq$ 'film_id']", "Primary_Key", "PRIMARY"},
          {"TABLE[@Name $eq$ 'film']/INDEX[@Name $eq$ 'idx_title_description']", "Column_Name", "title,description"},
          {"TABLE[@Name $eq$ 'film']/COLUMN[@Name $eq$ 'rental_rate']", "Column_Default", "4.99"},
          {"TABLE[@Name $eq$ 'store']/FOREIGNKEY", "DeleteRule", "SET NULL"},
          {"TABLE[@Name $eq$ 'film_category']/FOREIGNKEY[@RelatedColumn $eq$ 'category_id']", "Name", "fk_inventory_shelf"}},
         {}},
    };
    // Tables of the same names in another database, with columns, keys and checks of
    // their own.
    const testdb::MyDatabase other(QStringLiteral(
        "CREATE TABLE parent (pid INT PRIMARY KEY, note TEXT CHECK (note <> ''), UNIQUE KEY other_note (note(10)));"
        "CREATE TABLE actor (aid INT PRIMARY KEY, parent_pid INT, FOREIGN KEY (parent_pid) REFERENCES parent (pid));"
        "CREATE VIEW other_view AS SELECT aid FROM actor;"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const testdb::MyDatabase db(fixture(c.fixture));
        NewTreeDocument();
        ASSERT_TRUE(RunImport(db.connectionString(), dbOthers, QStringLiteral("mariadb")));
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
        EXPECT_EQ(documented(QStringLiteral("DATABASE/TABLE"), {QStringLiteral("Name")}).join(QLatin1Char(' ')),
                  QString::fromUtf8(c.tables));
        ExpectDocumentAsInformationSchema(db);
        for (const Expect& x : c.expects) {
            const XmlNode node = oStructureXML->FindNode(QStringLiteral("DATABASE/") + QString::fromUtf8(x.path));
            ASSERT_TRUE(node) << x.path;
            EXPECT_EQ(node.attribute(QString::fromUtf8(x.attribute)).toStdString(), x.value) << x.path << " @" << x.attribute;
        }
        QMap<QString, QString> clauses;  // "table|column" -> the clause expected
        for (const CheckOn& k : c.checks) {
            const QStringList clause =
                rows(db, QStringLiteral("SELECT CHECK_CLAUSE FROM information_schema.CHECK_CONSTRAINTS "
                                       "WHERE CONSTRAINT_SCHEMA = ? AND TABLE_NAME = '%1' AND CONSTRAINT_NAME = '%2'")
                            .arg(QString::fromUtf8(k.table), QString::fromUtf8(k.check)));
            ASSERT_EQ(clause.size(), 1) << k.check;
            clauses[QString::fromUtf8(k.table) + QLatin1Char('|') + QString::fromUtf8(k.column)] = clause.first();
        }
        for (const XmlNode& table : oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE")))
            for (const XmlNode& column : table.childElements()) {
                if (column.nodeName() != QLatin1String("COLUMN")) continue;
                const QString key =
                    table.attribute(QStringLiteral("Name")) + QLatin1Char('|') + column.attribute(QStringLiteral("Name"));
                EXPECT_EQ(column.attribute(QStringLiteral("Check_Constraint")).toStdString(), clauses.value(key).toStdString())
                    << qPrintable(key);
            }
    }
}
