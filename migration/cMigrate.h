#pragma once
// The DDL generator of the migration wizard. One object carries out one migration:
// it is given the target's connection string, the text of a structure document whose
// chosen objects carry Migrate="1" and the target's engine key; one Generate...Tables
// call then opens its own connection to the target, creates the marked tables in the
// target's dialect (column types through the data-type map DataTypes.mxd), then the
// marked primary keys and indexes, then the marked foreign keys with the referential
// actions the target's dialect can express. With
// ExecuteImmediately each statement runs on the target as soon as it is built; every
// statement is added to the script AllQueries, followed by a separator line "Go".
//
// Progress and failures are reported through the four event members below, which
// the caller sets before calling a generator; they are called synchronously on the
// calling thread. Nothing here shows a dialog.
//
// Names the generator gives the new keys, indexes and foreign keys ("IX_" or "FK_"
// followed by digits) are unique within one object.

#include "migration/DdlNames.h"
#include "platform/ado/Ado.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>

class cXML;

class cMigrate {
public:
    // ---- events ------------------------------------------------------------------------
    // Before (MigrationStatus "Migrating"/"Generating") and after ("Migrated"/
    // "Generated") every table ("Table"), index ("Index") and foreign key ("Foreign Key").
    std::function<void(const QString& ObjectName, const QString& ObjectType, const QString& MigrationStatus)> WhileMigrating;
    // A statement the target refused, a connection that did not open ("Connection"),
    // a structure text that could not be read ("XML").
    std::function<void(qint32 ErrorNumber, const QString& ErrorDescription, const QString& ObjectName,
                       const QString& QueryExecuted)>
        MigrationError;
    // A column whose type has no entry for the target. ObjectName is "table.column".
    std::function<void(const QString& sDescription, const QString& SourceDBType, const QString& TargetDBType,
                       const QString& SourceDataType, const QString& ObjectName)>
        MigrationDataTypeError;
    // A column created with a narrower type than its source's: a length, precision or
    // scale cut to what the target's type takes. ObjectName is "table.column";
    // SourceDataType the source's type with its length or precision and scale;
    // Narrowing what was cut ("length 500 became 255", joined by " and ");
    // QueryExecuted the statement that created the table.
    std::function<void(const QString& ObjectName, const QString& SourceDataType, const QString& TargetDataType,
                       const QString& Narrowing, const QString& TargetDBType, const QString& QueryExecuted)>
        MigrationDataTypeNarrowed;
    // A foreign key or an index created without what the target's statements cannot
    // express of the source's: a referential action or deferrability of a key; an
    // index's method, descending columns, included columns or predicate (the index is
    // then made over the whole table). Rules names them ("ON DELETE CASCADE",
    // "DEFERRABLE INITIALLY DEFERRED", "USING gin", "a DESC", "INCLUDE (b)", "WHERE
    // c > 0", joined by " and "); QueryExecuted is the statement that created it.
    std::function<void(const QString& ObjectName, const QString& Rules, const QString& TargetDBType,
                       const QString& QueryExecuted)>
        MigrationRuleNotCarried;

    // Loads the data-type map from AppPath()/DataTypes.mxd.
    cMigrate();
    ~cMigrate();
    cMigrate(const cMigrate&) = delete;
    cMigrate& operator=(const cMigrate&) = delete;

    // ---- generators: sSourceDB is the source's engine key (or "OTHERS") ----------------
    bool GenerateAccessTables(const QString& sSourceDB);
    bool GenerateSQLServerTables(const QString& sSourceDB);
    bool GenerateOracleTables(const QString& sSourceDB);
    bool GenerateDB2Tables(const QString& sSourceDB);
    bool GenerateSQLServer65Tables(const QString& sSourceDB);

    void SetConnectionString(const QString& sConnString) { sTargetConnString = sConnString; }
    void SetDBXMLContent(const QString& sXMLContent) { sSourceXMLContent = sXMLContent; }
    void SetTargetDBType(const QString& sDBType) { sTargetDBType = sDBType; }

    qint32 ObjectsMigrated() const { return lObjectsMigrated; }
    QString AllQueries() const { return sAllQueries; }
    void ExecuteImmediately(bool bTempExecute);
    bool ExecuteImmediately() const { return bExecuteImmediately; }
    // Runs a script as AllQueries writes it: the statements between the separator
    // lines, in order, on the connection the last generator opened. False at the first
    // statement that fails.
    bool ExecuteAll(const QString& sExecuteQuery);

    // The target type for a source type, with the column's length appended where the
    // map allows one, or its precision (sLength) and scale where the map allows them
    // and the column has a scale; "" when the map has none. Column length from sLength
    // ("" = 0), scale from sScale ("" = none). A precision over the type's largest is
    // cut to it and the scale shrinks so that the integer digits stay. sNarrowed, when
    // given, receives what was cut ("length 500 became 255", "precision 40 became 31
    // and scale 35 became 26"), "" when nothing was.
    QString MapDataType(const QString& sSourceType, const QString& sSourceDB, const QString& sTargetDB,
                        const QString& sLength = QString(), const QString& sScale = QString(), QString* sNarrowed = nullptr);
    // True when the data-type map was read and deciphered.
    bool DataTypeMapLoaded() const { return m_mapLoaded; }

    // The separator every statement of the script is followed by.
    static QString Separator();

private:
    struct MapEntry {
        QString text;
        QString lengthAllowed;
        QString scaleAllowed;
        QString maxLength;
        QString minLength;
    };

    bool OpenTargetConnection();
    bool LoadDataTypeMap();
    bool LoadStructureXML();
    // The common table walk. stopOnFailure: a connection or structure that does not
    // load ends the generator before anything is generated.
    bool GenerateTables(ddl::Target target, const QString& sSourceDB, bool stopOnFailure);
    void GenerateIndexes(ddl::Target target);
    void GenerateForeignKeys(ddl::Target target);
    // Runs the statement when ExecuteImmediately is set; a failure goes to MigrationError
    // with objectName and the statement, and returns false.
    bool Run(const QString& statement, const QString& objectName);
    void AddToScript(const QString& statement);
    // "IX_" or "FK_" followed by digits, never given out twice by this object.
    QString NewObjectName(const QString& prefix);
    void RaiseWhile(const QString& name, const QString& type, const QString& status);

    QString sAllQueries;
    QString sStatusWorking;
    QString sStatusDone;
    bool bExecuteImmediately = false;
    qint32 lObjectsMigrated = 0;
    std::unique_ptr<platform::ado::Connection> oTargetConnection;
    bool m_connected = false;
    QString sTargetDBType;
    std::unique_ptr<cXML> oSourceDoc;
    QString sTargetConnString;
    QString sSourceXMLContent;

    // The data-type map: each engine key's list, in document order.
    QHash<QString, QList<MapEntry>> m_map;
    bool m_mapLoaded = false;
    QSet<QString> m_usedNames;
};
