#pragma once
// What the migration wizard does apart from its controls: marking the chosen objects
// in the structure document, choosing the generator by the destination's database
// type, and keeping the list of created objects and the error log from which the
// summary is made. One object per migration. Window thread only.

#include <QString>
#include <QStringList>
#include <functional>

class cMigrate;
class cXML;

class MigrationSession {
public:
    // Clears every Migrate mark of the document, then sets Migrate="1" on the element
    // at each path (positions from 0) that has a Migrate attribute. The chosen names,
    // in order, become the list of objects to be created.
    void MarkObjects(cXML& structure, const QStringList& paths, const QStringList& names);

    // Every table, index and foreign key of a structure document, in document order:
    // its path (positions from 0) and its name.
    static void AllObjects(cXML& structure, QStringList& paths, QStringList& names);

    // The engine key the data-type map knows a source of this database type code by:
    // the engine code, or "OTHERS" for a connection string of one's own and a
    // structure file.
    static QString SourceKey(int databaseType);
    // The target key for a destination type code; "" when nothing can be generated
    // for it.
    static QString TargetKey(int databaseType);
    // What to tell a user who chooses a destination of that type code (named
    // typeName) that nothing can be created in; "" for a destination that can receive
    // objects.
    static QString CannotReceive(int databaseType, const QString& typeName);

    // Connects the generator's events to this session, configures it and runs the
    // generator for the destination's type. A destination type without a generator
    // migrates nothing and is logged. onProgress runs after every progress event.
    void Run(cMigrate& generator, const QString& destinationConnString, const QString& structureXML, int destinationType,
             const QString& sourceKey, const QString& destinationTypeName, const std::function<void(const QString&)>& onProgress);

    // The generator's notifications.
    void ObjectFailed(const QString& objectName, const QString& description, const QString& query);
    void DataTypeFailed(const QString& objectName, const QString& description, const QString& sourceDB,
                        const QString& targetDB, const QString& sourceType);
    // A column created with a narrower type than its source's: its table stays among
    // the created objects, and the log says what was cut.
    void DataTypeNarrowed(const QString& objectName, const QString& sourceType, const QString& targetType,
                          const QString& narrowing, const QString& targetDB, const QString& query);
    // A foreign key created without the rules named: it stays among the created
    // objects, and the log says what it lacks.
    void RuleNotCarried(const QString& objectName, const QString& rules, const QString& targetDB, const QString& query);

    // "Database objects selected have been migrated successfully.", "Database objects
    // transferred with errors." or "None of batabase objects were migrated.".
    QString ResultLine() const;
    // The created objects, " have been created in ", the destination, a blank line and
    // the error log.
    QString Summary(const QString& destinationName) const;

    const QStringList& MigratedObjects() const { return m_migrated; }
    const QString& Errors() const { return m_errors; }
    qint32 ObjectsMigrated() const { return m_objectsMigrated; }

private:
    void AppendEntry(const QString& entry);

    QStringList m_migrated;
    QString m_errors;
    qint32 m_objectsMigrated = 0;
};
