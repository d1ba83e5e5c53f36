// The Access catalogue against real Access files (Jet 3, Jet 4, ACE 12), checked
// against what the mdbtools programs read from the same files, and the checks that
// keep files libmdb cannot read away from it.

#include "adox/AccessFiles.h"
#include "platform/Error.h"
#include "platform/adox/Adox.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <unistd.h>

using namespace platform::adox;
using accesstest::AccessFiles;
using accesstest::RunMdbTool;

QT_BEGIN_NAMESPACE
// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const Table* findTable(const Catalog& c, const QString& name) {
    for (const Table& t : c.Tables())
        if (t.Name == name) return &t;
    return nullptr;
}

QStringList userTables(const Catalog& c) {
    QStringList out;
    for (const Table& t : c.Tables())
        if (t.Type == QLatin1String("TABLE")) out << t.Name;
    return out;
}

// The type as mdb-schema's Access output names it.
QString schemaTypeName(const Column& c) {
    switch (c.Type) {
    case 2: return QStringLiteral("Integer");
    case 3: return QStringLiteral("Long Integer");
    case 4: return QStringLiteral("Single");
    case 5: return QStringLiteral("Double");
    case 6: return QStringLiteral("Currency");
    case 7: return QStringLiteral("DateTime");
    case 11: return QStringLiteral("Boolean");
    case 17: return QStringLiteral("Byte");
    case 72: return QStringLiteral("Replication ID");
    case 131: return QStringLiteral("Numeric");
    case 202: return QStringLiteral("Text (%1)").arg(c.DefinedSize);
    case 203: return QStringLiteral("Memo/Hyperlink (255)");
    case 205: return QStringLiteral("OLE (255)");
    default: return QStringLiteral("?");
    }
}

// "table|column|type[ NOT NULL]" for every column, from the catalogue and from
// mdb-schema's Access output.
QStringList catalogueColumns(const Catalog& c) {
    QStringList out;
    for (const Table& t : c.Tables()) {
        if (t.Type != QLatin1String("TABLE")) continue;
        for (const Column& col : t.Columns)
            out << t.Name + QLatin1Char('|') + col.Name + QLatin1Char('|') + schemaTypeName(col)
                       + (col.Property(QStringLiteral("Nullable")).toBool() ? QString() : QStringLiteral(" NOT NULL"));
    }
    return out;
}

QStringList schemaColumns(const QString& schema) {
    static const QRegularExpression create(QStringLiteral("^CREATE TABLE \\[(.+)\\]$"));
    static const QRegularExpression column(QStringLiteral("^\\s*\\[(.+)\\]\\s+(.+?),?\\s*$"));
    QStringList out;
    QString table;
    for (const QString& line : schema.split(QLatin1Char('\n'))) {
        if (const auto m = create.match(line); m.hasMatch()) {
            table = m.captured(1);
        } else if (const auto c = column.match(line); c.hasMatch() && !table.isEmpty()) {
            out << table + QLatin1Char('|') + c.captured(1) + QLatin1Char('|') + c.captured(2);
        }
    }
    return out;
}

// Indexes as "table|name|UNIQUE?|columns" and primary keys as "table|PRIMARY|columns".
QSet<QString> catalogueIndexes(const Catalog& c) {
    QSet<QString> out;
    for (const Table& t : c.Tables()) {
        if (t.Type != QLatin1String("TABLE")) continue;
        for (const Index& i : t.Indexes)
            out << (i.PrimaryKey ? t.Name + QStringLiteral("|PRIMARY|") + i.Columns.join(QLatin1Char(','))
                                 : t.Name + QLatin1Char('|') + i.Name + (i.Unique ? QStringLiteral("|UNIQUE|") : QStringLiteral("||"))
                                       + i.Columns.join(QLatin1Char(',')));
    }
    return out;
}

QStringList backquoted(const QString& list) {
    QStringList out;
    for (const QString& part : list.split(QLatin1Char(','))) out << part.trimmed().remove(QLatin1Char('`'));
    return out;
}

QSet<QString> schemaIndexes(const QString& schema) {
    static const QRegularExpression index(QStringLiteral("^ALTER TABLE `(.+)` ADD (UNIQUE )?INDEX `(.+)` \\((.+)\\);$"));
    static const QRegularExpression primary(QStringLiteral("^ALTER TABLE `(.+)` ADD PRIMARY KEY \\((.+)\\);$"));
    QSet<QString> out;
    for (const QString& line : schema.split(QLatin1Char('\n'))) {
        if (const auto m = index.match(line); m.hasMatch()) {
            out << m.captured(1) + QLatin1Char('|') + m.captured(3) + (m.captured(2).isEmpty() ? QStringLiteral("||") : QStringLiteral("|UNIQUE|"))
                       + backquoted(m.captured(4)).join(QLatin1Char(','));
        } else if (const auto p = primary.match(line); p.hasMatch()) {
            out << p.captured(1) + QStringLiteral("|PRIMARY|") + backquoted(p.captured(2)).join(QLatin1Char(','));
        }
    }
    return out;
}

// Relationships as "table(columns)->related(columns) rules".
QSet<QString> catalogueKeys(const Catalog& c) {
    QSet<QString> out;
    for (const Key& k : c.Keys()) {
        out << QStringLiteral("%1(%2)->%3(%4)%5%6")
                   .arg(k.Table, k.Columns.join(QLatin1Char(',')), k.RelatedTable, k.RelatedColumns.join(QLatin1Char(',')),
                        k.UpdateRule == QLatin1String("CASCADE") ? QStringLiteral(" ON UPDATE CASCADE") : QString(),
                        k.DeleteRule == QLatin1String("CASCADE") ? QStringLiteral(" ON DELETE CASCADE") : QString());
    }
    return out;
}

QSet<QString> schemaKeys(const QString& schema) {
    static const QRegularExpression key(
        QStringLiteral("^ALTER TABLE `(.+)` ADD CONSTRAINT `.+` FOREIGN KEY \\((.+)\\) REFERENCES `(.+)`\\((.+)\\)(.*);$"));
    QSet<QString> out;
    for (const QString& line : schema.split(QLatin1Char('\n')))
        if (const auto m = key.match(line); m.hasMatch())
            out << QStringLiteral("%1(%2)->%3(%4)%5")
                       .arg(m.captured(1), backquoted(m.captured(2)).join(QLatin1Char(',')), m.captured(3),
                            backquoted(m.captured(4)).join(QLatin1Char(',')), m.captured(5));
    return out;
}

struct AccessFile {
    const char* name;
    const char* version;
    int userTables;
};
const AccessFile kFiles[] = {{"nwind.mdb", "JET3", 9}, {"DateTestDatabase.mdb", "JET4", 1}, {"ASampleDatabase.accdb", "ACE12", 1}};

}  // namespace

// ---- the catalogue against the mdbtools programs ----------------------------------------------

TEST(AccessCatalog, TablesColumnsIndexesAndKeysMatchTheMdbtoolsPrograms) {
    for (const AccessFile& f : kFiles) {
        SCOPED_TRACE(f.name);
        AccessFiles files;
        const QString path = files.copy(QString::fromUtf8(f.name));
        ASSERT_FALSE(path.isEmpty()) << "missing test file tests/data/access/" << f.name;
        const QString tables = RunMdbTool(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), path});
        MORVALEX_REQUIRE(!tables.isNull(), "the mdbtools programs are not installed (scripts/install-deps)");

        Catalog catalog;
        catalog.Open(path);
        EXPECT_EQ(catalog.Version(), QLatin1String(f.version));
        EXPECT_EQ(userTables(catalog).size(), f.userTables);
        EXPECT_EQ(userTables(catalog), tables.split(QLatin1Char('\n'), Qt::SkipEmptyParts));

        const QString schema = RunMdbTool(QStringLiteral("mdb-schema"), {path});
        EXPECT_EQ(catalogueColumns(catalog), schemaColumns(schema));
        const QString mysql = RunMdbTool(QStringLiteral("mdb-schema"),
                                         {QStringLiteral("--indexes"), QStringLiteral("--relations"), path, QStringLiteral("mysql")});
        EXPECT_EQ(catalogueIndexes(catalog), schemaIndexes(mysql));
        EXPECT_EQ(catalogueKeys(catalog), schemaKeys(mysql));
    }
}

TEST(AccessCatalog, SavedSelectQueriesAreViewsWithTheirSql) {
    AccessFiles files;
    const QString path = files.copy(QStringLiteral("nwind.mdb"));
    const QString list = RunMdbTool(QStringLiteral("mdb-queries"), {QStringLiteral("-L"), QStringLiteral("-1"), path});
    MORVALEX_REQUIRE(!list.isNull(), "the mdbtools programs are not installed (scripts/install-deps)");
    Catalog catalog;
    catalog.Open(path);
    QStringList names;
    for (const View& v : catalog.Views()) names << v.Name;
    EXPECT_EQ(names, list.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    ASSERT_EQ(names.size(), 22);

    // mdb-queries gives a flat text without joins and aliases: its WHERE clause and
    // its source tables must be in ours.
    static const QRegularExpression where(QStringLiteral(" WHERE (.+?)( ORDER BY .*)?\\s*$"));
    static const QRegularExpression from(QStringLiteral(" FROM (.+?)( WHERE | ORDER BY |\\s*$)"));
    for (const View& v : catalog.Views()) {
        SCOPED_TRACE(v.Name.toStdString());
        EXPECT_TRUE(findTable(catalog, v.Name) && findTable(catalog, v.Name)->Type == QLatin1String("VIEW"));
        const QString theirs = RunMdbTool(QStringLiteral("mdb-queries"), {path, v.Name}).trimmed();
        // Some of its texts are empty ("SELECT DISTINCT  FROM [],[]", "SELECT  FROM "):
        // nothing to compare there.
        const bool comparable = theirs.startsWith(QLatin1String("SELECT")) && !theirs.contains(QLatin1String("[]"))
                                && !theirs.contains(QLatin1String("SELECT  FROM"));
        if (comparable) {
            QString selectLine;
            for (const QString& line : v.Command.split(QStringLiteral("\r\n")))
                if (line.startsWith(QLatin1String("SELECT "))) selectLine = line;
            for (const char* word : {" DISTINCT ", " DISTINCTROW ", " TOP "})
                if (theirs.section(QLatin1Char(','), 0, 0).contains(QLatin1String(word))) {
                    EXPECT_TRUE(selectLine.contains(QLatin1String(word))) << word << " in " << v.Command.toStdString();
                }
            if (const auto m = where.match(theirs); m.hasMatch()) {
                EXPECT_TRUE(v.Command.contains(QStringLiteral("\r\nWHERE ") + m.captured(1))) << v.Command.toStdString();
            }
            if (const auto m = from.match(theirs); m.hasMatch()) {
                for (QString table : m.captured(1).split(QLatin1Char(','))) {
                    table = table.trimmed().remove(QLatin1Char('[')).remove(QLatin1Char(']'));
                    EXPECT_TRUE(v.Command.section(QStringLiteral("\r\nFROM "), 1).contains(table)) << table.toStdString();
                }
            }
        }
    }
    const View* crosstab = nullptr;
    for (const View& v : catalog.Views())
        if (v.Name == QLatin1String("Quarterly Orders by Product")) crosstab = &v;
    ASSERT_TRUE(crosstab);
    EXPECT_TRUE(crosstab->Command.startsWith(QLatin1String("TRANSFORM Sum(")));
    EXPECT_TRUE(crosstab->Command.contains(QLatin1String("\r\nPIVOT \"Qtr \" & DatePart(\"q\",[OrderDate],1,0) In (")));
}

TEST(AccessCatalog, ColumnPropertiesComeFromThePropertyBlocks) {
    AccessFiles files;
    Catalog nwind, dates;
    nwind.Open(files.copy(QStringLiteral("nwind.mdb")));
    dates.Open(files.copy(QStringLiteral("DateTestDatabase.mdb")));
    const struct {
        const Catalog& catalog;
        const char *table, *column, *property;
        QVariant value;
    } cases[] = {
        {nwind, "Orders", "OrderID", "AutoIncrement", true},
        {nwind, "Orders", "CustomerID", "AutoIncrement", false},
        {nwind, "Orders", "OrderID", "Description", QStringLiteral("Unique order number.")},
        {nwind, "Products", "Discontinued", "Default", QStringLiteral("=No")},
        {nwind, "Products", "Discontinued", "Nullable", false},  // a Yes/No column has no Null
        {nwind, "Products", "ProductName", "Nullable", false},   // required
        {nwind, "Products", "SupplierID", "Nullable", true},
        {nwind, "Order Details", "Discount", "Jet OLEDB:Column Validation Rule", QStringLiteral("Between 0 And 1")},
        {nwind, "Employees", "BirthDate", "Jet OLEDB:Column Validation Rule", QStringLiteral("<Date()")},
        {nwind, "Employees", "Notes", "Jet OLEDB:Hyperlink", false},
        {nwind, "Customers", "CustomerID", "Jet OLEDB:Allow Zero Length", false},
        {nwind, "Customers", "CustomerID", "Fixed Length", false},
        {nwind, "Orders", "OrderDate", "Fixed Length", true},
        {dates, "DateTest", "ShortTextCol", "Jet OLEDB:Allow Zero Length", true},
        // What the file does not hold stays Null.
        {nwind, "Orders", "OrderDate", "Description", QVariant()},
        {nwind, "Orders", "OrderDate", "Default", QVariant()},
        {nwind, "Orders", "OrderDate", "Jet OLEDB:Hyperlink", QVariant()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + "." + c.column + " " + c.property);
        const Table* t = findTable(c.catalog, QString::fromUtf8(c.table));
        ASSERT_TRUE(t);
        const Column* col = nullptr;
        for (const Column& x : t->Columns)
            if (x.Name == QLatin1String(c.column)) col = &x;
        ASSERT_TRUE(col);
        const QVariant v = col->Property(QLatin1String(c.property));
        EXPECT_EQ(v.isNull(), c.value.isNull());
        if (!c.value.isNull()) {
            EXPECT_EQ(v.toString(), c.value.toString());
        }
    }
    // Sizes: text in characters in every format, numbers by their precision.
    const Table* test = findTable(dates, QStringLiteral("DateTest"));
    ASSERT_TRUE(test);
    EXPECT_EQ(test->Columns[5].Name, QStringLiteral("ShortTextCol"));
    EXPECT_EQ(test->Columns[5].DefinedSize, 255);
    EXPECT_EQ(test->Columns[4].Type, 203);
    EXPECT_EQ(test->Columns[4].DefinedSize, 0);
    EXPECT_EQ(findTable(nwind, QStringLiteral("Customers"))->Columns[0].DefinedSize, 5);
    EXPECT_EQ(findTable(nwind, QStringLiteral("Orders"))->Columns[0].Precision, 10);
}

// ---- files libmdb must not see ---------------------------------------------------------------------

TEST(AccessFileCheck, FilesThatAreNoReadableAccessDatabaseAreRefused) {
    AccessFiles files;
    const QString nwind = files.copy(QStringLiteral("nwind.mdb"));
    QFile original(nwind);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    const auto write = [&files](const char* name, const QByteArray& data) {
        QFile f(files.path(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return f.fileName();
    };
    const struct {
        const char* name;
        QString path;
        long number;
    } cases[] = {
        {"a text file renamed .mdb", write("notes.mdb", "These are my notes, not a database.\n"), jetErrUnrecognizedFormat},
        {"an empty file", write("empty.mdb", QByteArray()), jetErrUnrecognizedFormat},
        {"half of nwind.mdb", write("half.mdb", bytes.left(bytes.size() / 2 + 1000)), jetErrUnrecognizedFormat},
        {"nwind.mdb's first pages only", write("pages.mdb", bytes.left(3 * 2048)), jetErrUnrecognizedFormat},
        {"nwind.mdb's first ten pages", write("ten.mdb", bytes.left(10 * 2048)), jetErrUnrecognizedFormat},
        {"half of nwind.mdb cut at a page boundary", write("cut.mdb", bytes.left(bytes.size() / 2 / 2048 * 2048)),
         jetErrUnrecognizedFormat},
        {"a header of an unknown version", write("future.mdb", QByteArray(bytes).replace(0x14, 1, "\x09")), jetErrUnrecognizedFormat},
        {"a missing file", files.path(QStringLiteral("gone.mdb")), jetErrFileNotFound},
        {"a folder", files.path(QString()), jetErrFileNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            Catalog catalog;
            catalog.Open(c.path);
            ADD_FAILURE() << "opened";
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number(), c.number) << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(c.path)) << e.description().toStdString();
        }
    }
}

TEST(AccessFileCheck, APasswordMustBeGivenAndRight) {
    AccessFiles files;
    for (const char* name : {"nwind.mdb", "DateTestDatabase.mdb", "ASampleDatabase.accdb"}) {
        SCOPED_TRACE(name);
        const QString path = files.copy(QLatin1String(name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const QByteArray header = f.read(0x100);
        EXPECT_EQ(StoredPassword(header), QString());  // the test files have none
        EXPECT_NO_THROW(CheckDatabaseFile(path));

        const QByteArray locked = WithStoredPassword(header, QStringLiteral("Brötchen7"));
        EXPECT_EQ(StoredPassword(locked), QStringLiteral("Brötchen7"));
        f.seek(0);
        f.write(locked);
        f.close();
        for (const QString& given : {QString(), QStringLiteral("wrong"), QStringLiteral("brötchen7")}) {
            try {
                CheckDatabaseFile(path, given);
                ADD_FAILURE() << "accepted the password '" << given.toStdString() << "'";
            } catch (const platform::RuntimeError& e) {
                EXPECT_EQ(e.number(), jetErrInvalidPassword);
                EXPECT_EQ(e.description(), QStringLiteral("Not a valid password."));
            }
        }
        Catalog catalog;
        catalog.ActiveConnection(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=Brötchen7;Data Source=")
                                 + path);
        EXPECT_FALSE(userTables(catalog).isEmpty());
    }
}

TEST(AccessFileCheck, AFileWithoutReadPermissionIsRefused) {
    AccessFiles files;
    const QString path = files.copy(QStringLiteral("DateTestDatabase.mdb"));
    ASSERT_FALSE(path.isEmpty());
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    // Root reads every file: the check runs in a child that gives up root first.
    EXPECT_EXIT(
        {
            if (geteuid() == 0) {
                QFile::setPermissions(files.path(QString()), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                                 | QFileDevice::ExeGroup | QFileDevice::ExeOther);
                if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
            }
            try {
                CheckDatabaseFile(path);
            } catch (const platform::RuntimeError& e) {
                _exit(e.number() == jetErrCannotOpen && e.description().contains(QLatin1String("permission")) ? 0 : 3);
            }
            _exit(4);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(AccessFileCheck, ConnectionStringsNameTheFileAndThePassword) {
    const struct {
        const char* text;
        const char* file;
        const char* password;
    } cases[] = {
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source= /data/shop.mdb ", "/data/shop.mdb", ""},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password= s3cret;Data Source=/d/a.mdb", "/d/a.mdb", " s3cret"},
        {"Driver={MDBTools};DBQ={/d/with;semicolon.mdb};PWD=pw", "/d/with;semicolon.mdb", "pw"},
        {"Driver=SQLite3;Database=/d/x.db", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DatabaseFileOf(QString::fromUtf8(c.text)), QString::fromUtf8(c.file));
        EXPECT_EQ(DatabasePasswordOf(QString::fromUtf8(c.text)), QString::fromUtf8(c.password));
    }
}
