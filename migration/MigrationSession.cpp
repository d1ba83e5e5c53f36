#include "migration/MigrationSession.h"

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "migration/cMigrate.h"

using namespace bGlobal;

namespace {
const QString kCRLF = QStringLiteral("\r\n");
}

void MigrationSession::MarkObjects(cXML& structure, const QStringList& paths, const QStringList& names) {
    // An earlier migration of this run left its marks: only this choice counts.
    for (const char* kind : {"DATABASE/TABLE", "DATABASE/TABLE/INDEX", "DATABASE/TABLE/FOREIGNKEY"})
        for (XmlNode node : structure.GetNodes(QLatin1String(kind)))
            if (node.hasAttribute(QStringLiteral("Migrate"))) node.setAttribute(QStringLiteral("Migrate"), QStringLiteral("0"));
    for (const QString& path : paths) {
        XmlNode node = structure.FindNode(path);
        if (node && node.hasAttribute(QStringLiteral("Migrate"))) node.setAttribute(QStringLiteral("Migrate"), QStringLiteral("1"));
    }
    m_migrated = names;
}

void MigrationSession::AllObjects(cXML& structure, QStringList& paths, QStringList& names) {
    int t = 0;
    for (const XmlNode& table : structure.GetNodes(QStringLiteral("DATABASE/TABLE"))) {
        const QString path = QStringLiteral("DATABASE/TABLE[%1]").arg(t++);
        paths << path;
        names << table.attribute(QStringLiteral("Name"));
        int i = 0, f = 0;
        for (const XmlNode& child : table.childElements()) {
            if (child.nodeName() == QLatin1String("INDEX")) paths << path + QStringLiteral("/INDEX[%1]").arg(i++);
            else if (child.nodeName() == QLatin1String("FOREIGNKEY")) paths << path + QStringLiteral("/FOREIGNKEY[%1]").arg(f++);
            else continue;
            names << child.attribute(QStringLiteral("Name"));
        }
    }
}

QString MigrationSession::SourceKey(int databaseType) {
    if (databaseType > 0 && databaseType < gDBEngineCodes.size() && !gDBEngineCodes[databaseType].isEmpty())
        return gDBEngineCodes[databaseType];
    return QStringLiteral("OTHERS");
}

QString MigrationSession::TargetKey(int databaseType) {
    switch (databaseType) {
    case dbSQLServer2000:
    case dbSQLServer70: return QStringLiteral("SQLSERVER");
    case dbSQLServer65: return QStringLiteral("SQLSERVER65");
    case dbOracle9i:
    case dbOracle8i:
    case dbOracle7:
    case dbPersonalOracle: return QStringLiteral("ORACLE");
    case dbAccessXP:
    case dbAccess2000:
    case dbAccess97: return QStringLiteral("ACCESS");
    case dbIBMDB2: return QStringLiteral("IBMDB2");
    default: return QString();
    }
}

QString MigrationSession::CannotReceive(int databaseType, const QString& typeName) {
    if (!TargetKey(databaseType).isEmpty()) return QString();
    return QStringLiteral("Morvalex cannot create database objects in a destination of type ") + typeName + QLatin1Char('.');
}

void MigrationSession::Run(cMigrate& generator, const QString& destinationConnString, const QString& structureXML,
                           int destinationType, const QString& sourceKey, const QString& destinationTypeName,
                           const std::function<void(const QString&)>& onProgress) {
    m_errors.clear();
    generator.WhileMigrating = [&](const QString& name, const QString&, const QString& status) {
        if (onProgress) onProgress(name + QStringLiteral(" is ") + status);
    };
    generator.MigrationError = [this](qint32, const QString& description, const QString& name, const QString& query) {
        ObjectFailed(name, description, query);
    };
    generator.MigrationDataTypeError = [this](const QString& description, const QString& sourceDB, const QString& targetDB,
                                              const QString& sourceType, const QString& name) {
        DataTypeFailed(name, description, sourceDB, targetDB, sourceType);
    };
    generator.MigrationDataTypeNarrowed = [this](const QString& name, const QString& sourceType, const QString& targetType,
                                                 const QString& narrowing, const QString& targetDB, const QString& query) {
        DataTypeNarrowed(name, sourceType, targetType, narrowing, targetDB, query);
    };
    generator.MigrationRuleNotCarried = [this](const QString& name, const QString& rules, const QString& targetDB,
                                               const QString& query) { RuleNotCarried(name, rules, targetDB, query); };
    generator.SetConnectionString(destinationConnString);
    generator.SetDBXMLContent(structureXML);
    generator.ExecuteImmediately(true);

    const QString key = TargetKey(destinationType);
    generator.SetTargetDBType(key);
    if (key == QLatin1String("SQLSERVER")) generator.GenerateSQLServerTables(sourceKey);
    else if (key == QLatin1String("SQLSERVER65")) generator.GenerateSQLServer65Tables(sourceKey);
    else if (key == QLatin1String("ORACLE")) generator.GenerateOracleTables(sourceKey);
    else if (key == QLatin1String("ACCESS")) generator.GenerateAccessTables(sourceKey);
    else if (key == QLatin1String("IBMDB2")) generator.GenerateDB2Tables(sourceKey);
    else {
        m_migrated.clear();
        AppendEntry(QStringLiteral("Nothing was migrated: ") + CannotReceive(destinationType, destinationTypeName));
    }
    m_objectsMigrated = generator.ObjectsMigrated();
    // Nothing processed (the destination refused the connection, say): nothing created.
    if (m_objectsMigrated == 0) m_migrated.clear();
    generator.WhileMigrating = nullptr;
    generator.MigrationError = nullptr;
    generator.MigrationDataTypeError = nullptr;
    generator.MigrationDataTypeNarrowed = nullptr;
    generator.MigrationRuleNotCarried = nullptr;
}

void MigrationSession::AppendEntry(const QString& entry) {
    if (!m_errors.isEmpty()) m_errors += kCRLF;
    m_errors += entry;
}

void MigrationSession::ObjectFailed(const QString& objectName, const QString& description, const QString& query) {
    m_migrated.removeAll(objectName);
    AppendEntry(objectName + QStringLiteral(" failed to copy") + kCRLF + QStringLiteral("Error Description: ") + description +
                kCRLF + QStringLiteral("Query Failed: ") + query);
}

void MigrationSession::DataTypeFailed(const QString& objectName, const QString& description, const QString& sourceDB,
                                      const QString& targetDB, const QString& sourceType) {
    AppendEntry(objectName + QStringLiteral(" failed to copy") + kCRLF + QStringLiteral("Error Description: ") + description +
                kCRLF + QStringLiteral("Source Database: ") + sourceDB + kCRLF + QStringLiteral("Target Database: ") + targetDB +
                kCRLF + QStringLiteral("Source Datatype: ") + sourceType);
}

void MigrationSession::DataTypeNarrowed(const QString& objectName, const QString& sourceType, const QString& targetType,
                                        const QString& narrowing, const QString& targetDB, const QString& query) {
    AppendEntry(objectName + QStringLiteral(" was created as ") + targetType + QStringLiteral(": ") + narrowing + kCRLF +
                QStringLiteral("Error Description: The target database's type is narrower than the source's ") + sourceType +
                kCRLF + QStringLiteral("Target Database: ") + targetDB + kCRLF + QStringLiteral("Query Executed: ") + query);
}

void MigrationSession::RuleNotCarried(const QString& objectName, const QString& rules, const QString& targetDB,
                                      const QString& query) {
    AppendEntry(objectName + QStringLiteral(" was created without ") + rules + kCRLF +
                QStringLiteral("Error Description: The target database cannot express this rule") + kCRLF +
                QStringLiteral("Target Database: ") + targetDB + kCRLF + QStringLiteral("Query Executed: ") + query);
}

QString MigrationSession::ResultLine() const {
    if (m_errors.isEmpty()) return QStringLiteral("Database objects selected have been migrated successfully.");
    if (!m_migrated.isEmpty()) return QStringLiteral("Database objects transferred with errors.");
    return QStringLiteral("None of batabase objects were migrated.");
}

QString MigrationSession::Summary(const QString& destinationName) const {
    QString text;
    const QString names = m_migrated.join(QStringLiteral(", "));
    if (!names.trimmed().isEmpty())
        text = names + QStringLiteral(" have been created in ") + destinationName + kCRLF + kCRLF;
    return text + m_errors;
}
