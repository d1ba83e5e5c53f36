#include "migration/cMigrate.h"

#include "core/FileUtil.h"
#include "core/bGlobal.h"
#include "core/cXML.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <QRegularExpression>

using namespace bGlobal;
using ddl::Target;

namespace {

const QString kCRLF = QStringLiteral("\r\n");

// True when an element's Migrate attribute is the number 1.
bool IsMarked(const XmlNode& node) {
    if (!node.hasAttribute(QStringLiteral("Migrate"))) return false;
    bool ok = false;
    const double value = node.attribute(QStringLiteral("Migrate")).trimmed().toDouble(&ok);
    return ok && value == 1.0;
}

QString KeyOf(Target target) {
    switch (target) {
    case Target::Access: return QStringLiteral("ACCESS");
    case Target::SqlServer: return QStringLiteral("SQLSERVER");
    case Target::SqlServer65: return QStringLiteral("SQLSERVER65");
    case Target::Oracle: return QStringLiteral("ORACLE");
    case Target::Db2: return QStringLiteral("IBMDB2");
    case Target::None: break;
    }
    return QString();
}

// The connection string as it may be shown: password values replaced.
QString WithoutPasswords(const QString& connectionString) {
    static const QRegularExpression password(QStringLiteral("((?:^|;)\\s*(?:PWD|Password)\\s*=)(\\{[^}]*\\}|[^;]*)"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString shown = connectionString;
    shown.replace(password, QStringLiteral("\\1****"));
    return shown;
}

// The whole number in text; blank counts as 0. False when it is not a number.
bool WholeNumber(const QString& text, long& value) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        value = 0;
        return true;
    }
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok) return false;
    value = long(d);
    return true;
}

// A map attribute that switches something on: the number 1.
bool IsSet(const QString& flag) {
    long value = 0;
    return !flag.trimmed().isEmpty() && WholeNumber(flag, value) && value == 1;
}

}  // namespace

QString cMigrate::Separator() { return kCRLF + QStringLiteral("Go") + kCRLF; }

cMigrate::cMigrate() {
    Trap(QStringLiteral("cMigrate.Class_Initialize"), [&] {
        LoadDataTypeMap();
        lObjectsMigrated = 0;
    });
}

cMigrate::~cMigrate() = default;

void cMigrate::ExecuteImmediately(bool bTempExecute) {
    bExecuteImmediately = bTempExecute;
    sStatusWorking = bTempExecute ? QStringLiteral("Migrating") : QStringLiteral("Generating");
    sStatusDone = bTempExecute ? QStringLiteral("Migrated") : QStringLiteral("Generated");
}

// ---- loading -----------------------------------------------------------------------------

bool cMigrate::LoadDataTypeMap() {
    m_map.clear();
    m_mapLoaded = false;
    const QString path = AppPath() + QStringLiteral("/DataTypes.mxd");
    try {
        const QString plain = DecryptText(ReadTextFile(path), PassPhrase(1));
        if (IsFailureCode(plain)) return false;
        cXML doc;
        if (!doc.LoadXMLContent(plain)) return false;
        const XmlNode lists = doc.FindNode(QStringLiteral("MIGRATION/DATATYPES"));
        if (!lists) return false;
        for (const XmlNode& entry : lists.childElements()) {
            m_map[entry.nodeName().toUpper()].append({entry.text(), entry.attribute(QStringLiteral("LengthAllowed")),
                                                      entry.attribute(QStringLiteral("ScaleAllowed")),
                                                      entry.attribute(QStringLiteral("MaxLength")),
                                                      entry.attribute(QStringLiteral("MinLength"))});
        }
        m_mapLoaded = true;
        return true;
    } catch (const std::exception& e) {
        const auto [number, description] = Describe(e);
        if (MigrationError) MigrationError(qint32(number), description, QStringLiteral("XML"), path);
        return false;
    }
}

bool cMigrate::LoadStructureXML() {
    oSourceDoc = std::make_unique<cXML>();
    if (oSourceDoc->LoadXMLContent(sSourceXMLContent)) return true;
    if (MigrationError)
        MigrationError(platform::err::InvalidArgument, QStringLiteral("The structure document could not be read."),
                       QStringLiteral("XML"), QStringLiteral("XML Content for source"));
    return false;
}

bool cMigrate::OpenTargetConnection() {
    oTargetConnection = std::make_unique<platform::ado::Connection>();
    try {
        oTargetConnection->Open(sTargetConnString, QString(), QString());
        return true;
    } catch (const std::exception& e) {
        const auto [number, description] = Describe(e);
        if (MigrationError)
            MigrationError(qint32(number), QStringLiteral("Error connecting to database check whether your server is active"),
                           QStringLiteral("Connection"), WithoutPasswords(sTargetConnString));
        return false;
    }
}

// ---- the data-type map -----------------------------------------------------------------------

QString cMigrate::MapDataType(const QString& sSourceType, const QString& sSourceDB, const QString& sTargetDB,
                              const QString& sLength, const QString& sScale, QString* sNarrowed) {
    if (sNarrowed) sNarrowed->clear();
    const auto source = m_map.constFind(sSourceDB.toUpper());
    if (source == m_map.constEnd()) return QString();
    const QString wanted = sSourceType.toUpper();
    qsizetype position = -1;
    for (qsizetype i = 0; i < source->size(); ++i)
        if ((*source)[i].text.toUpper() == wanted) {
            position = i;
            break;
        }
    const auto target = m_map.constFind(sTargetDB.toUpper());
    if (position < 0 || target == m_map.constEnd() || position >= target->size()) return QString();
    const MapEntry& entry = (*target)[position];
    QString result = entry.text;
    QStringList narrowed;
    const auto change = [&](const char* what, long from, long to) {
        narrowed << QLatin1String(what) + QLatin1Char(' ') + QString::number(from) + QStringLiteral(" became ") + QString::number(to);
    };

    // An exact numeric type: the column's precision (its length) and scale, when it
    // has a scale. A precision over MaxLength is cut to it, and the scale gives way to
    // the integer digits, so that every whole number the column holds still fits; the
    // scale never exceeds the precision.
    long scale = 0, precision = 0, maxPrecision = 0;
    if (IsSet(entry.scaleAllowed) && !sScale.trimmed().isEmpty() && WholeNumber(sScale, scale) && scale >= 0 &&
        WholeNumber(sLength, precision) && precision > 0 && WholeNumber(entry.maxLength, maxPrecision)) {
        long newPrecision = precision, newScale = std::min(scale, precision);
        if (maxPrecision > 0 && precision > maxPrecision) {
            newPrecision = maxPrecision;
            newScale = std::max(0L, maxPrecision - (precision - newScale));
        }
        if (newPrecision != precision) change("precision", precision, newPrecision);
        if (newScale != scale) change("scale", scale, newScale);
        if (sNarrowed) *sNarrowed = narrowed.join(QStringLiteral(" and "));
        return result + QLatin1Char('(') + QString::number(newPrecision) + QLatin1Char(',') + QString::number(newScale) +
               QLatin1Char(')');
    }
    if (IsSet(entry.lengthAllowed)) {
        long maxLength = 0, length = 0;
        // A map entry or column length that is not a number leaves the type unmatched.
        if (!WholeNumber(entry.maxLength, maxLength) || !WholeNumber(sLength, length)) return QString();
        if (length > 0) {
            const long value = std::min(length, maxLength);
            if (value > 0) {
                result += QLatin1Char('(') + QString::number(value) + QLatin1Char(')');
                if (value < length) change("length", length, value);
            }
        }
    }
    if (sNarrowed) *sNarrowed = narrowed.join(QStringLiteral(" and "));
    return result;
}

// ---- tables ----------------------------------------------------------------------------------

bool cMigrate::GenerateAccessTables(const QString& sSourceDB) { return GenerateTables(Target::Access, sSourceDB, true); }
bool cMigrate::GenerateSQLServerTables(const QString& sSourceDB) { return GenerateTables(Target::SqlServer, sSourceDB, true); }
bool cMigrate::GenerateSQLServer65Tables(const QString& sSourceDB) {
    return GenerateTables(Target::SqlServer65, sSourceDB, true);
}
bool cMigrate::GenerateOracleTables(const QString& sSourceDB) { return GenerateTables(Target::Oracle, sSourceDB, false); }
bool cMigrate::GenerateDB2Tables(const QString& sSourceDB) { return GenerateTables(Target::Db2, sSourceDB, false); }

void cMigrate::RaiseWhile(const QString& name, const QString& type, const QString& status) {
    if (WhileMigrating) WhileMigrating(name, type, status);
}

bool cMigrate::GenerateTables(Target target, const QString& sSourceDB, bool stopOnFailure) {
    const QString key = KeyOf(target);
    sTargetDBType = key;
    m_connected = OpenTargetConnection();
    const bool loaded = LoadStructureXML();
    if (stopOnFailure && (!m_connected || !loaded)) return false;
    if (!loaded) return false;

    const QString message = (target == Target::Access || target == Target::Oracle) ? QStringLiteral("Datatype could not be matched")
                                                                                   : QStringLiteral("Datatype couldnot be matched");
    bool result = true;
    const XmlNode database = oSourceDoc->FindNode(QStringLiteral("DATABASE"));
    if (!database) return result;
    for (const XmlNode& table : database.childElements()) {
        if (table.nodeName() != QLatin1String("TABLE") || !IsMarked(table)) continue;
        const QString name = table.attribute(QStringLiteral("Name"));
        RaiseWhile(name, QStringLiteral("Table"), sStatusWorking);

        QStringList columns;
        struct Narrowed {
            QString column, sourceType, targetType, narrowing;
        };
        QList<Narrowed> narrowed;
        for (const XmlNode& column : table.childElements()) {
            if (column.nodeName() != QLatin1String("COLUMN")) continue;
            const QString columnName = column.attribute(QStringLiteral("Name"));
            const QString datatype = column.attribute(QStringLiteral("Datatype"));
            const QString length = column.attribute(QStringLiteral("Length"));
            const QString scale = column.attribute(QStringLiteral("Scale"));
            QString narrowing;
            const QString type = MapDataType(datatype, sSourceDB, key, length, scale, &narrowing);
            if (type.isEmpty() && MigrationDataTypeError)
                MigrationDataTypeError(message, sSourceDB, key, datatype, name + QLatin1Char('.') + columnName);
            if (!narrowing.isEmpty())
                narrowed.append({name + QLatin1Char('.') + columnName,
                                 datatype + QLatin1Char('(') + length.trimmed() +
                                     (scale.trimmed().isEmpty() ? QString() : QLatin1Char(',') + scale.trimmed()) + QLatin1Char(')'),
                                 type, narrowing});
            const bool notNullable = column.attribute(QStringLiteral("Null_Allowed")).toUpper() == QLatin1String("FALSE");
            const bool keyColumn = !column.attribute(QStringLiteral("Primary_Key")).isEmpty();
            bool notNull = false;
            switch (target) {
            case Target::Oracle: break;
            case Target::Db2: notNull = notNullable; break;
            default: notNull = notNullable && !keyColumn; break;
            }
            columns << ddl::ColumnName(target, columnName) + QLatin1Char(' ') + type +
                           (notNull ? QStringLiteral(" NOT NULL") : QString());
        }
        const QString statement =
            QStringLiteral("Create Table ") + ddl::TableName(target, name) + QLatin1Char('(') + columns.join(QLatin1Char(',')) + QLatin1Char(')');
        if (!Run(statement, name)) result = false;
        else if (MigrationDataTypeNarrowed)
            for (const Narrowed& n : narrowed) MigrationDataTypeNarrowed(n.column, n.sourceType, n.targetType, n.narrowing, key, statement);
        RaiseWhile(name, QStringLiteral("Table"), sStatusDone);
        ++lObjectsMigrated;
        AddToScript(statement);
    }
    GenerateIndexes(target);
    GenerateForeignKeys(target);
    return result;
}

// ---- primary keys and indexes ------------------------------------------------------------------

namespace {
bool IsPrimaryKeyIndex(const XmlNode& index) {
    auto squeezed = [](QString s) { return s.remove(QLatin1Char(' ')).toLower(); };
    return squeezed(index.attribute(QStringLiteral("Description"))).contains(QLatin1String("primarykey")) ||
           squeezed(index.attribute(QStringLiteral("Name"))).contains(QLatin1String("primarykey"));
}

// A migrated table whose columns name a primary key that the catalogue gave no index
// for (SQLite's INTEGER PRIMARY KEY, for one): a new, unattached INDEX element for
// that key, so the key is created with the table. Empty when the table needs none.
XmlNode ImpliedPrimaryKey(cXML& doc, const XmlNode& table) {
    QStringList columns;
    QString keyName;
    for (const XmlNode& child : table.childElements()) {
        if (child.nodeName() == QLatin1String("INDEX") && IsPrimaryKeyIndex(child)) return XmlNode();
        if (child.nodeName() == QLatin1String("COLUMN") && !child.attribute(QStringLiteral("Primary_Key")).isEmpty()) {
            columns << child.attribute(QStringLiteral("Name"));
            keyName = child.attribute(QStringLiteral("Primary_Key"));
        }
    }
    if (columns.isEmpty()) return XmlNode();
    XmlNode index = doc.CreateElement(QStringLiteral("INDEX"));
    index.setAttribute(QStringLiteral("Name"), keyName);
    index.setAttribute(QStringLiteral("Column_Name"), columns.join(QLatin1Char(',')));
    index.setAttribute(QStringLiteral("Description"), QStringLiteral("Primary Key"));
    index.setAttribute(QStringLiteral("Table_Name"), table.attribute(QStringLiteral("Name")));
    index.setAttribute(QStringLiteral("Migrate"), QStringLiteral("1"));
    return index;
}
}  // namespace

namespace {

// The items of a ","-separated list of the structure document, trimmed.
QStringList ListItems(const QString& list) {
    QStringList items;
    for (const QString& item : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!item.trimmed().isEmpty()) items << item.trimmed();
    return items;
}

// Whether the target's CREATE INDEX takes DESC after a column.
bool TakesDescending(Target target) { return target != Target::SqlServer65 && target != Target::None; }

// The key columns of an index in the target's statement, each descending one with
// DESC where the statement can say so ('descending' false: never); appends to
// dropped what the target cannot express of the source's index: its method, its
// descending columns (where they mix with ascending ones), its included columns, its
// predicate.
QString IndexColumns(Target target, const XmlNode& index, bool descending, QStringList& dropped) {
    const QStringList down = ListItems(index.attribute(QStringLiteral("Descending")));
    QStringList columns, notDown;
    for (const QString& column : ListItems(index.attribute(QStringLiteral("Column_Name")))) {
        QString written = ddl::ColumnName(target, column);
        if (down.contains(column)) {
            if (descending) written += QStringLiteral(" DESC");
            else notDown << column;
        }
        columns << written;
    }
    const QString method = index.attribute(QStringLiteral("Method")).trimmed();
    if (!method.isEmpty()) dropped << QStringLiteral("USING ") + method;
    // An index whose columns all descend is the ascending one read backwards: only a
    // mix of directions is lost without DESC.
    if (!notDown.isEmpty() && notDown.size() < columns.size()) dropped << notDown.join(QLatin1Char(',')) + QStringLiteral(" DESC");
    const QString include = index.attribute(QStringLiteral("Include")).trimmed();
    if (!include.isEmpty()) dropped << QStringLiteral("INCLUDE (") + include + QLatin1Char(')');
    const QString where = index.attribute(QStringLiteral("Where")).trimmed();
    if (!where.isEmpty()) dropped << QStringLiteral("WHERE ") + where;
    return columns.join(QLatin1Char(','));
}

}  // namespace

void cMigrate::GenerateIndexes(Target target) {
    XmlNodeList indexes;
    for (XmlNode table : oSourceDoc->GetNodes(QStringLiteral("DATABASE/TABLE"))) {
        if (IsMarked(table))
            if (XmlNode implied = ImpliedPrimaryKey(*oSourceDoc, table)) table.appendChild(implied);
        for (const XmlNode& child : table.childElements())
            if (child.nodeName() == QLatin1String("INDEX")) indexes << child;
    }
    for (const XmlNode& index : indexes) {
        if (!IsMarked(index)) continue;
        const QString name = index.attribute(QStringLiteral("Name"));
        RaiseWhile(name, QStringLiteral("Index"), sStatusWorking);
        const QString newName = NewObjectName(QStringLiteral("IX_"));
        const QString description = index.attribute(QStringLiteral("Description"));
        QString table = index.attribute(QStringLiteral("Table_Name"));
        if (table.isEmpty()) table = index.parentNode().attribute(QStringLiteral("Name"));

        const bool primaryKey = IsPrimaryKeyIndex(index);
        // None of the targets has index methods, included columns or partial indexes:
        // such an index is created over the whole table with its key columns, and
        // what was left out is told.
        QStringList dropped;
        const QString columns = IndexColumns(target, index, !primaryKey && TakesDescending(target), dropped);
        QString statement;
        if (primaryKey) {
            const bool bracketed = target == Target::SqlServer || target == Target::Access;
            statement = QStringLiteral("Alter table ") + (bracketed ? ddl::Bracketed(ddl::JoinedName(table)) : ddl::TableName(target, table)) +
                        QStringLiteral(" ADD CONSTRAINT ") + (bracketed ? ddl::DoubleQuoted(newName) : newName) +
                        QStringLiteral(" PRIMARY KEY (") + columns + QLatin1Char(')');
        } else {
            QString indexName;
            switch (target) {
            case Target::Access: indexName = ddl::Bracketed(newName); break;
            case Target::SqlServer65: indexName = newName; break;
            default: indexName = ddl::DoubleQuoted(newName.toUpper()); break;
            }
            // The catalogue readers write the word as "Unique": any case counts.
            statement = QStringLiteral("Create ") +
                        (description.contains(QLatin1String("unique"), Qt::CaseInsensitive) ? QStringLiteral("UNIQUE ") : QString()) +
                        QStringLiteral(" INDEX ") + indexName + QStringLiteral(" on ") + ddl::TableName(target, table) +
                        QLatin1Char('(') + columns + QLatin1Char(')');
        }
        if (Run(statement, name) && !dropped.isEmpty() && MigrationRuleNotCarried)
            MigrationRuleNotCarried(name, dropped.join(QStringLiteral(" and ")), KeyOf(target), statement);
        AddToScript(statement);
        RaiseWhile(name, QStringLiteral("Index"), sStatusDone);
        ++lObjectsMigrated;
    }
}

// ---- foreign keys -------------------------------------------------------------------------------

namespace {

// A referential action as the catalogues write it; "" for no action, the product's
// default (NO ACTION, a rule code, nothing).
QString RuleWord(const QString& rule) {
    const QString word = rule.simplified().toUpper();
    for (const char* action : {"CASCADE", "SET NULL", "SET DEFAULT", "RESTRICT"})
        if (word == QLatin1String(action)) return word;
    return QString();
}

// The actions the target's foreign-key statement takes after ON UPDATE or ON DELETE.
bool TakesRule(Target target, bool onDelete, const QString& word) {
    switch (target) {
    case Target::Access:
    case Target::SqlServer: return word == QLatin1String("CASCADE");
    case Target::Oracle: return onDelete && (word == QLatin1String("CASCADE") || word == QLatin1String("SET NULL"));
    case Target::Db2:
        return word == QLatin1String("RESTRICT") ||
               (onDelete && (word == QLatin1String("CASCADE") || word == QLatin1String("SET NULL")));
    default: return false;
    }
}

// Appends to clause each rule the target can write and to dropped each one it cannot.
// RESTRICT needs no words where the dialect has none for it: a key without a rule
// refuses the change as well.
void ReferentialActions(Target target, const QString& updateRule, const QString& deleteRule, QString& clause,
                        QStringList& dropped) {
    for (const bool onDelete : {false, true}) {
        const QString word = RuleWord(onDelete ? deleteRule : updateRule);
        if (word.isEmpty()) continue;
        const QString action = (onDelete ? QStringLiteral("ON DELETE ") : QStringLiteral("ON UPDATE ")) + word;
        if (TakesRule(target, onDelete, word)) clause += QLatin1Char(' ') + action;
        else if (word != QLatin1String("RESTRICT")) dropped << action;
    }
}

}  // namespace

void cMigrate::GenerateForeignKeys(Target target) {
    // A foreign key over several columns is written as one element per column pair,
    // each with the key's name, tables and rules: they make one constraint.
    struct ForeignKey {
        QString name, foreignKeyTable, primaryKeyTable, updateRule, deleteRule, deferrable;
        QStringList related, referenced;
    };
    QList<ForeignKey> keys;
    QHash<QString, qsizetype> byIdentity;
    for (const XmlNode& element : oSourceDoc->GetNodes(QStringLiteral("DATABASE/TABLE/FOREIGNKEY"))) {
        if (!IsMarked(element)) continue;
        const QString name = element.attribute(QStringLiteral("Name"));
        const QString fkTable = element.attribute(QStringLiteral("ForeignKeyTable"));
        const QString pkTable = element.attribute(QStringLiteral("PrimaryKeyTable"));
        const QString identity = name + QChar(0) + fkTable + QChar(0) + pkTable;
        auto found = byIdentity.constFind(identity);
        if (found == byIdentity.constEnd()) {
            found = byIdentity.insert(identity, keys.size());
            keys.append({name, fkTable, pkTable, element.attribute(QStringLiteral("UpdateRule")),
                         element.attribute(QStringLiteral("DeleteRule")),
                         element.attribute(QStringLiteral("Deferrable")).simplified().toUpper(), {}, {}});
        }
        keys[*found].related << element.attribute(QStringLiteral("RelatedColumn"));
        keys[*found].referenced << element.attribute(QStringLiteral("PrimaryKeyColumn"));
    }

    for (const ForeignKey& key : keys) {
        RaiseWhile(key.name, QStringLiteral("Foreign Key"), sStatusWorking);
        QString newName = NewObjectName(QStringLiteral("FK_"));
        if (target != Target::SqlServer65) newName = ddl::DoubleQuoted(newName);
        QString actions;
        QStringList dropped;
        ReferentialActions(target, key.updateRule, key.deleteRule, actions, dropped);
        // Only Oracle's keys can wait for the end of the transaction.
        if (key.deferrable == QLatin1String("INITIALLY DEFERRED") || key.deferrable == QLatin1String("INITIALLY IMMEDIATE")) {
            const QString deferrable = QStringLiteral("DEFERRABLE ") + key.deferrable;
            if (target == Target::Oracle) actions += QLatin1Char(' ') + deferrable;
            else dropped << deferrable;
        }
        const QString statement = QStringLiteral("Alter table ") + ddl::TableName(target, key.foreignKeyTable) +
                                  QStringLiteral(" ADD CONSTRAINT ") + newName + QStringLiteral(" FOREIGN KEY (") +
                                  ddl::ColumnList(target, key.related.join(QLatin1Char(','))) + QStringLiteral(") References ") +
                                  ddl::TableName(target, key.primaryKeyTable) + QLatin1Char('(') +
                                  ddl::ColumnList(target, key.referenced.join(QLatin1Char(','))) + QLatin1Char(')') + actions;
        if (Run(statement, key.name) && !dropped.isEmpty() && MigrationRuleNotCarried)
            MigrationRuleNotCarried(key.name, dropped.join(QStringLiteral(" and ")), KeyOf(target), statement);
        AddToScript(statement);
        RaiseWhile(key.name, QStringLiteral("Foreign Key"), sStatusDone);
        ++lObjectsMigrated;
    }
}

// ---- statements and the script -----------------------------------------------------------------

bool cMigrate::Run(const QString& statement, const QString& objectName) {
    if (!bExecuteImmediately) return true;
    try {
        if (!oTargetConnection || !m_connected)
            throw platform::RuntimeError(platform::ado::adErrClosed,
                                         QStringLiteral("Operation is not allowed when the object is closed."));
        oTargetConnection->Execute(statement);
        return true;
    } catch (const std::exception& e) {
        const auto [number, description] = Describe(e);
        if (MigrationError) MigrationError(qint32(number), description, objectName, statement);
        return false;
    }
}

void cMigrate::AddToScript(const QString& statement) { sAllQueries += statement + Separator(); }

QString cMigrate::NewObjectName(const QString& prefix) {
    for (;;) {
        // Fifteen digits, as the random part has always been written.
        const quint64 digits = QRandomGenerator::global()->bounded(Q_UINT64_C(100000000000000), Q_UINT64_C(1000000000000000));
        const QString name = prefix + QString::number(digits);
        if (!m_usedNames.contains(name)) {
            m_usedNames.insert(name);
            return name;
        }
    }
}

bool cMigrate::ExecuteAll(const QString& sExecuteQuery) {
    // Only whole lines reading "Go" separate statements.
    static const QRegularExpression separator(QStringLiteral("(?:^|\\r?\\n)Go[ \\t]*(?:\\r?\\n|$)"));
    if (!oTargetConnection || !m_connected) return false;
    for (const QString& piece : sExecuteQuery.split(separator)) {
        if (piece.trimmed().isEmpty()) continue;
        try {
            oTargetConnection->Execute(piece);
        } catch (const std::exception&) {
            return false;
        }
    }
    return true;
}
