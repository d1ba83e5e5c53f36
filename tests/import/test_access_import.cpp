// Access imports through cADODB as the wizard runs them, on copies of real Access
// files: the structure and tree documents against golden files and against the
// mdbtools programs, the Access type names, cancelling, and files that cannot be read.

#include "adox/AccessFiles.h"
#include "ado/support/TestDatabases.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/cADODB.h"
#include "platform/adox/Adox.h"
#include "support/ImportSupport.h"
#include "support/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace bGlobal;
using namespace importtest;
using accesstest::AccessFiles;

namespace {

QString jet(const QString& path) { return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path; }

int count(const QString& path) { return int(oStructureXML->GetNodes(path).size()); }

QString attribute(const QString& path, const char* name) {
    const XmlNode node = oStructureXML->FindNode(path);
    return node ? node.attribute(QLatin1String(name)) : QStringLiteral("<no node>");
}

struct AccessImport : ::testing::Test {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    AccessFiles files;
    void SetUp() override {
        testdb::UseTestOdbc();
        testsupport::StartProgram();
        NewTreeDocument();
    }
};

}  // namespace

TEST_F(AccessImport, NwindMatchesGoldenAndTheMdbtoolsPrograms) {
    const QString path = files.copy(QStringLiteral("nwind.mdb"));
    ASSERT_TRUE(RunImport(jet(path), dbAccessXP, QStringLiteral("nwind")));
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    EXPECT_FALSE(gErrorOccurred);
    ExpectGolden(NormalizedStructure(), QStringLiteral("access-nwind.golden"));
    ExpectGolden(NormalizedTree(), QStringLiteral("access-nwind-tree.golden"));

    // The tables mdb-tables lists, in its order, the one with a non-ASCII name too.
    const QString tables = accesstest::RunMdbTool(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), path});
    MORVALEX_REQUIRE(!tables.isNull(), "the mdbtools programs are not installed (scripts/install-deps)");
    QStringList names;
    for (const XmlNode& t : oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE"))) names << t.attribute(QStringLiteral("Name"));
    EXPECT_EQ(names, tables.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    EXPECT_EQ(names.size(), 9);
    EXPECT_TRUE(names.contains(QStringLiteral("Umsätze")));
    EXPECT_FALSE(attribute(QStringLiteral("DATABASE/TABLE[0]"), "CreatedOn").isEmpty());

    // Columns with Access's type names, lengths, null flags, keys and properties.
    const struct {
        const char *table, *column, *attributeName, *value;
    } columns[] = {
        {"Orders", "OrderID", "Datatype", "AutoNumber"},
        {"Orders", "OrderID", "Null_Allowed", "False"},
        {"Orders", "OrderID", "Primary_Key", "PrimaryKey"},
        {"Orders", "OrderID", "Length", "10"},
        {"Orders", "OrderID", "Serial_Number", "1"},
        {"Orders", "OrderID", "Description", "Unique order number."},
        {"Orders", "CustomerID", "Datatype", "Text"},
        {"Orders", "CustomerID", "Length", "5"},
        // Text columns: whether they take Null, not whether they take an empty text
        // (Allow Zero Length is No for all of nwind's).
        {"Orders", "CustomerID", "Null_Allowed", "True"},
        {"Products", "ProductName", "Null_Allowed", "False"},  // required
        {"Employees", "Notes", "Null_Allowed", "True"},
        {"Orders", "CustomerID", "Primary_Key", ""},
        {"Orders", "ShipCountry", "Serial_Number", "14"},
        {"Order Details", "OrderID", "Primary_Key", "PrimaryKey"},
        {"Order Details", "ProductID", "Primary_Key", "PrimaryKey"},
        {"Order Details", "Quantity", "Datatype", "Integer"},
        {"Order Details", "Quantity", "Column_Default", "1"},
        {"Order Details", "Quantity", "Check_Constraint", ">0"},
        {"Order Details", "Discount", "Datatype", "Single"},
        {"Order Details", "UnitPrice", "Datatype", "Currency"},
        {"Order Details", "UnitPrice", "Null_Allowed", "False"},
        {"Products", "Discontinued", "Datatype", "Yes/No"},
        {"Products", "Discontinued", "Null_Allowed", "False"},
        {"Products", "SupplierID", "Null_Allowed", "True"},
        {"Employees", "BirthDate", "Datatype", "Date"},
        {"Employees", "Notes", "Datatype", "Memo"},
        {"Employees", "Notes", "Length", "0"},
        {"Employees", "Photo", "Datatype", "OLE Object"},
        {"Employees", "Photo", "Null_Allowed", "True"},
    };
    for (const auto& c : columns) {
        SCOPED_TRACE(std::string(c.table) + "." + c.column + " " + c.attributeName);
        EXPECT_EQ(attribute(QStringLiteral("DATABASE/TABLE[@Name='%1']/COLUMN[@Name='%2']").arg(QLatin1String(c.table), QLatin1String(c.column)),
                            c.attributeName),
                  QString::fromUtf8(c.value));
    }

    // Indexes and relationships from the file's own data; the relationships sit with
    // the table they refer to.
    EXPECT_EQ(count(QStringLiteral("DATABASE/TABLE[@Name='Orders']/INDEX")), 6);
    EXPECT_EQ(attribute(QStringLiteral("DATABASE/TABLE[@Name='Order Details']/INDEX[@Name='PrimaryKey']"), "Column_Name"),
              QStringLiteral("OrderID,ProductID"));
    EXPECT_EQ(attribute(QStringLiteral("DATABASE/TABLE[@Name='Categories']/INDEX[@Name='CategoryName']"), "Description"),
              QStringLiteral("Unique"));
    EXPECT_EQ(count(QStringLiteral("DATABASE/TABLE/FOREIGNKEY")), 7);
    const QString key = QStringLiteral("DATABASE/TABLE[@Name='Customers']/FOREIGNKEY[@Name='CustomersOrders']");
    EXPECT_EQ(attribute(key, "ForeignKeyTable"), QStringLiteral("Orders"));
    EXPECT_EQ(attribute(key, "RelatedColumn"), QStringLiteral("CustomerID"));
    EXPECT_EQ(attribute(key, "UpdateRule"), QStringLiteral("CASCADE"));
    EXPECT_EQ(attribute(key, "DeleteRule"), QStringLiteral("NO ACTION"));

    // The saved queries as views; their text on one line but for the carriage returns.
    EXPECT_EQ(count(QStringLiteral("DATABASE/VIEW")), 22);
    const QString script = oStructureXML->FindNode(QStringLiteral("DATABASE/VIEW[@Name='Order Subtotals']/SQLSCRIPT")).text();
    EXPECT_EQ(script, QStringLiteral("SELECT DISTINCTROW [Order Details].OrderID, Sum(CCur([UnitPrice]*[Quantity]*(1-[Discount])/100)*100) "
                                     "AS Subtotal\r FROM [Order Details]\r GROUP BY [Order Details].OrderID;"));
    QStringList viewAttributes;
    for (const auto& [name, value] : oStructureXML->FindNode(QStringLiteral("DATABASE/VIEW[0]")).attributes()) viewAttributes << name;
    EXPECT_EQ(viewAttributes, (QStringList{QStringLiteral("Name"), QStringLiteral("CreatedOn"), QStringLiteral("Report"),
                                           QStringLiteral("Migrate")}));
}

TEST_F(AccessImport, GetAccessDataTypeNamesEveryType) {
    cADODB reader;
    const struct {
        int type, length;
        bool fixed, autoIncrement, hyperlink;
        const char* name;
    } cases[] = {
        {3, 10, false, true, false, "AutoNumber"},   {3, 10, false, false, false, "Long Integer"},
        {2, 5, false, false, false, "Integer"},      {4, 7, false, false, false, "Single"},
        {5, 15, false, false, false, "Double"},      {6, 19, false, false, false, "Currency"},
        {7, 0, false, false, false, "Date"},         {11, 0, false, false, false, "Yes/No"},
        {17, 3, false, false, false, "Byte"},        {72, 16, false, false, false, "GUID"},
        {128, 50, false, false, false, "Binary"},    {131, 18, false, false, false, "Decimal"},
        {202, 50, false, false, false, "Text"},      {202, 254, false, false, false, "Text"},
        {202, 255, false, false, false, "Long Text"}, {130, 300, false, false, false, "Long Text"},
        {129, 10, false, false, false, "Text"},      {200, 10, true, false, false, "Memo"},
        {201, 0, false, false, false, "Memo"},       {203, 0, false, false, false, "Memo"},
        {203, 0, false, false, true, "HyperLink"},   {201, 0, false, false, true, "HyperLink"},
        {205, 0, false, false, false, "OLE Object"}, {20, 19, false, false, false, ""},
        {0, 0, false, false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(reader.GetAccessDataType(c.type, c.length, c.fixed, c.autoIncrement, c.hyperlink), QString::fromUtf8(c.name));
    }
}

TEST_F(AccessImport, ADatabaseWithoutSavedQueriesGetsNoViewsFolder) {
    ASSERT_TRUE(RunImport(jet(files.copy(QStringLiteral("DateTestDatabase.mdb"))), dbAccess2000, QStringLiteral("dates")));
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    const QString connection = QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[0]");
    EXPECT_TRUE(oLHXML->GetNodes(connection + QStringLiteral("/VIEWS")).isEmpty());
    EXPECT_EQ(oLHXML->GetNodes(connection + QStringLiteral("/TABLES/TABLE")).size(), 1);
    EXPECT_EQ(count(QStringLiteral("DATABASE/VIEW")), 0);
    EXPECT_EQ(attribute(QStringLiteral("DATABASE/TABLE[0]/COLUMN[@Name='ShortTextCol']"), "Datatype"), QStringLiteral("Long Text"));
    EXPECT_EQ(attribute(QStringLiteral("DATABASE/TABLE[0]/COLUMN[@Name='ShortTextCol']"), "Length"), QStringLiteral("255"));
    EXPECT_EQ(attribute(QStringLiteral("DATABASE/TABLE[0]/COLUMN[@Name='ShortTextCol']"), "Null_Allowed"), QStringLiteral("True"));
    EXPECT_EQ(attribute(QStringLiteral("DATABASE/TABLE[0]/COLUMN[@Name='LongTextCol']"), "Datatype"), QStringLiteral("Memo"));
}

TEST_F(AccessImport, CancelDuringTheThirdTableKeepsTheTablesBeforeIt) {
    int tables = 0;
    EXPECT_FALSE(RunImport(jet(files.copy(QStringLiteral("nwind.mdb"))), dbAccess97, QStringLiteral("nwind"),
                           [&](const QString&, const QString& type, int) {
                               if (type == QLatin1String("Table")) ++tables;
                               return tables == 3 && type == QLatin1String("primary key")
                                      && oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE[2]/COLUMN")).size() == 2;
                           }));
    EXPECT_EQ(count(QStringLiteral("DATABASE/TABLE")), 3);
    EXPECT_EQ(count(QStringLiteral("DATABASE/TABLE[0]/COLUMN")), 5);
    EXPECT_EQ(count(QStringLiteral("DATABASE/TABLE[1]/COLUMN")), 14);
    EXPECT_FALSE(oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE[1]/INDEX")).isEmpty());
    EXPECT_EQ(count(QStringLiteral("DATABASE/TABLE[2]/COLUMN")), 2);
    EXPECT_TRUE(oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE[2]/*[name() != 'COLUMN']")).isEmpty());
    EXPECT_EQ(count(QStringLiteral("DATABASE/VIEW")), 0);
    EXPECT_EQ(oLHXML->GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[0]/TABLES/TABLE")).size(), 3);
}

TEST_F(AccessImport, FilesThatCannotBeReadShowTheReasonAndChangeNothing) {
    const QString nwind = files.copy(QStringLiteral("nwind.mdb"));
    QFile source(nwind);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    const auto write = [this](const char* name, const QByteArray& data) {
        QFile f(files.path(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return f.fileName();
    };
    const QString text = write("notes.mdb", "not a database\n");
    const QString empty = write("empty.mdb", QByteArray());
    const QString truncated = write("truncated.mdb", bytes.left(bytes.size() / 3));
    const QString locked = write("locked.mdb", platform::adox::WithStoredPassword(bytes, QStringLiteral("s3cret")));
    const struct {
        const char* name;
        QString connectionString;
        QString message;
    } cases[] = {
        {"a text file renamed .mdb", jet(text), QStringLiteral("Unrecognized database format '%1'.").arg(text)},
        {"an empty file", jet(empty), QStringLiteral("Unrecognized database format '%1'.").arg(empty)},
        {"a truncated copy", jet(truncated), QStringLiteral("Unrecognized database format '%1'.").arg(truncated)},
        {"a password not given", jet(locked), QStringLiteral("Not a valid password.")},
        {"a wrong password",
         QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=guess;Data Source=") + locked,
         QStringLiteral("Not a valid password.")},
    };
    const QString tree = oLHXML->GetXMLContent();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host->prompts.clear();
        EXPECT_FALSE(RunImport(c.connectionString, dbAccessXP, QStringLiteral("bad")));
        EXPECT_EQ(host->messages(), QStringList{c.message});
        EXPECT_EQ(oLHXML->GetXMLContent(), tree);
    }
    EXPECT_FALSE(gErrorOccurred);

    // The right password opens it.
    host->prompts.clear();
    EXPECT_TRUE(RunImport(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=s3cret;Data Source=") + locked,
                          dbAccessXP, QStringLiteral("locked")));
    EXPECT_EQ(count(QStringLiteral("DATABASE/TABLE")), 9);
}
