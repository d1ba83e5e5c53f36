#include "MigrationSupport.h"

#include "ado/support/TestDatabases.h"
#include "core/bGlobal.h"
#include "migration/cMigrate.h"

#include <QRegularExpression>

using namespace bGlobal;

namespace migrationtest {

const char* const kTestMap = R"(<MIGRATION><DATATYPES>
  <OTHERS>integer</OTHERS><ACCESS>LONG</ACCESS><SQLSERVER>int</SQLSERVER><SQLSERVER65>integer</SQLSERVER65><ORACLE>NUMBER(10)</ORACLE><IBMDB2>INTEGER</IBMDB2>
  <OTHERS>varchar</OTHERS><ACCESS LengthAllowed="1" MaxLength="255">TEXT</ACCESS><SQLSERVER LengthAllowed="1" MaxLength="8000">varchar</SQLSERVER><SQLSERVER65 LengthAllowed="1" MaxLength="10485760">varchar</SQLSERVER65><ORACLE LengthAllowed="1" MaxLength="4000">VARCHAR2</ORACLE><IBMDB2 LengthAllowed="1" MaxLength="32672">VARCHAR</IBMDB2>
  <OTHERS>numeric</OTHERS><ACCESS>DECIMAL</ACCESS><SQLSERVER>numeric</SQLSERVER><SQLSERVER65>numeric</SQLSERVER65><ORACLE>NUMBER</ORACLE><IBMDB2>DECIMAL</IBMDB2>
  <OTHERS>date</OTHERS><ACCESS>DATETIME</ACCESS><SQLSERVER>datetime</SQLSERVER><SQLSERVER65>date</SQLSERVER65><ORACLE>DATE</ORACLE><IBMDB2>DATE</IBMDB2>
  <OTHERS>text</OTHERS><ACCESS>MEMO</ACCESS><SQLSERVER>text</SQLSERVER><SQLSERVER65>text</SQLSERVER65><ORACLE>CLOB</ORACLE><IBMDB2>CLOB</IBMDB2>
</DATATYPES></MIGRATION>)";

void WriteDataTypeMap(const QString& xml) {
    testsupport::WriteFile(AppPath() + QStringLiteral("/DataTypes.mxd"), EncryptText(xml, PassPhrase(1)));
}

QString UseShippedDataTypeMap() {
    const QString shipped = testsupport::ReadFile(QStringLiteral(MORVALEX_RESOURCE_DIR "/DataTypes.mxd"));
    testsupport::WriteFile(AppPath() + QStringLiteral("/DataTypes.mxd"), shipped);
    return DecryptText(shipped, PassPhrase(1));
}

QStringList Statements(const QString& script) {
    static const QRegularExpression digits(QStringLiteral("\\b(IX|FK)_\\d+"));
    QStringList out;
    for (QString statement : script.split(cMigrate::Separator(), Qt::SkipEmptyParts))
        out << statement.replace(digits, QStringLiteral("\\1_#"));
    return out;
}

void MigrationTest::SetUp() {
    testdb::UseTestOdbc();
    testsupport::StartProgram();
    SetErrorDialog([this](long number, const QString& description, const QString& source) {
        errors << QStringLiteral("%1 %2: %3").arg(source).arg(number).arg(description);
    });
    WriteDataTypeMap(QString::fromUtf8(kTestMap));
}

void MigrationTest::TearDown() { EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString(); }

}  // namespace migrationtest
