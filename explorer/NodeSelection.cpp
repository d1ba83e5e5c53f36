#include "explorer/NodeSelection.h"

#include "core/TreeSearch.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/TreeDocument.h"
#include "platform/Error.h"

#include <cmath>
#include <memory>

using namespace bGlobal;

namespace NodeSelection {

namespace {

const QString kReport = QStringLiteral("Report");
const QString kScale = QStringLiteral("Scale");  // an exact numeric column's scale, beside Length

[[noreturn]] void typeMismatch() { throw platform::RuntimeError(platform::err::TypeMismatch, QStringLiteral("Type mismatch")); }

// A Report value read as a whole number, rounded as a decimal number would be; a
// value that is no number is a type mismatch.
int reportNumber(const QString& value) {
    bool ok = false;
    const double number = value.trimmed().toDouble(&ok);
    if (!ok) typeMismatch();
    return int(std::nearbyint(number));
}

bool isBlank(const QString& value) { return value.trimmed().isEmpty(); }


// A list of tables where some are partitioned or partitions: a list column for each
// partitioning fact, blank on the tables without it. objects holds each row's first
// element in the structure (null where it has none).
void AddPartitionColumns(ListContent& list, const QList<XmlNode>& objects) {
    static const struct {
        const char* attribute;
        const char* caption;
    } facts[] = {{"PartitionKey", "Partition Key"}, {"PartitionOf", "Partition Of"}, {"PartitionBound", "Partition Bound"}};
    QList<XmlNode> tables;
    bool any = false;
    for (qsizetype i = 0; i < list.rows.size(); ++i) {
        XmlNode table;
        if (list.rows[i].path.startsWith(QLatin1String("DATABASE/TABLE["))) table = objects.value(i);
        if (table && table.nodeName() != QLatin1String("TABLE")) table = XmlNode();
        for (const auto& f : facts) any = any || (table && table.hasAttribute(QLatin1String(f.attribute)));
        tables << table;
    }
    if (!any) return;
    for (const auto& f : facts) list.columns.append({QLatin1String(f.attribute), QLatin1String(f.caption)});
    for (qsizetype i = 0; i < list.rows.size(); ++i)
        for (const auto& f : facts) list.rows[i].cells << (tables[i] ? tables[i].attribute(QLatin1String(f.attribute)) : QString());
}

}  // namespace

// ---- node levels and paths ---------------------------------------------------------

QString LHXPath(int level, int g, int c, int t) {
    const QString connection = TreeDocument::ConnectionPath(g, c).prepend(QLatin1Char('/'));
    const QString table = connection + QStringLiteral("/TABLES/TABLE[") + QString::number(t) + QLatin1Char(']');
    switch (level) {
    case 0: return QStringLiteral("/");
    case 1: return QStringLiteral("/DATABASESTRUCTURES");
    case 2: return TreeDocument::GroupPath(g).prepend(QLatin1Char('/'));
    case 3: return connection;
    case 4: return connection + QStringLiteral("/TABLES");
    case 5: return table + QStringLiteral("/INDEXES");
    case 6: return table + QStringLiteral("/TRIGGERS");
    case 7: return table + QStringLiteral("/FOREIGNKEYS");
    case 8: return connection + QStringLiteral("/VIEWS");
    case 9: return connection + QStringLiteral("/STOREDPROCEDURES");
    default: return QString();
    }
}

TagValue DecodeTag(const QString& tag) {
    if (!IsLevelCode(tag)) typeMismatch();
    TagValue value;
    value.level = LevelOf(tag);
    // A code of digits only has no separator.
    bool digitsOnly = true;
    for (QChar ch : tag) digitsOnly = digitsOnly && ch.isDigit();
    if (!digitsOnly) {
        value.hasIndex = true;
        value.index = PositionOf(tag);
    }
    return value;
}

NodeValue DecodeNode(const QString& key, const QString& tag, const QStringList& ancestorTags) {
    NodeValue value;
    value.key = key;
    value.tag = tag;
    value.isCode = IsLevelCode(tag);
    if (value.isCode) {
        const TagValue code = DecodeTag(tag);
        value.level = code.level;
        value.hasIndex = code.hasIndex;
        value.index = code.index;
    }
    // The connection: this node or the nearest node above it with a level-3 code,
    // whose parent holds the group's level-2 code.
    QStringList chain = ancestorTags;
    chain.prepend(tag);
    for (qsizetype i = 0; i < chain.size(); ++i) {
        if (!IsLevelCode(chain[i]) || LevelOf(chain[i]) != 3) continue;
        if (i + 1 < chain.size() && IsLevelCode(chain[i + 1]) && LevelOf(chain[i + 1]) == 2) {
            value.group = PositionOf(chain[i + 1]);
            value.connection = PositionOf(chain[i]);
        }
        break;
    }
    return value;
}

int NodeValue::MenuLevel() const {
    if (tag.isEmpty()) return 0;
    if (!isCode) return 4;
    if (level < 1) return 0;
    return level > 4 ? 4 : level;
}

QString NodeValue::StructurePath() const { return isCode ? GetXPath(qint16(level)) : tag; }

QString ElementNameOf(const QString& xpath) {
    QString step = xpath.mid(xpath.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype bracket = step.indexOf(QLatin1Char('['));
    if (bracket >= 0) step.truncate(bracket);
    return step.toUpper();
}

// ---- the current connection -------------------------------------------------------

bool PositionsOfKey(const QString& sKey, int& g, int& c) {
    const qsizetype bar = sKey.indexOf(QLatin1Char('|'));
    if (bar < 0) return false;
    const QStringList parts = sKey.mid(bar + 1).split(QLatin1Char('|'));
    if (parts.size() < 2) return false;
    bool okG = false, okC = false;
    const int group = parts[0].trimmed().toInt(&okG);
    const int connection = parts[1].trimmed().toInt(&okC);
    if (!okG || !okC) return false;
    g = group;
    c = connection;
    return true;
}

Load MakeCurrent(int g, int c) {
    if (!oLHXML) throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
    const bool current = g == gGroupIndex && c == gConnectionIndex;
    if (!current) {
        gGroupIndex = qint16(g);
        gConnectionIndex = qint16(c);
    }
    const XmlNode connection = oLHXML->HasDocument() ? oLHXML->FindNode(TreeDocument::ConnectionPath(g, c)) : XmlNode();
    if (!connection) return current ? Load::AlreadyCurrent : Load::NoConnection;

    // The connection's own facts, so that what is shown of it (the preview's header)
    // never keeps those of the connection selected before.
    // The names recorded on the connection win over what its connection string says.
    if (connection.hasAttribute(QStringLiteral("ConnectionString")))
        ParseConnectionString(connection.attribute(QStringLiteral("ConnectionString")));
    bool ok = false;
    const qint16 type = connection.attribute(QStringLiteral("DatabaseType")).trimmed().toShort(&ok);
    if (ok) gDatabaseType = type;
    if (connection.hasAttribute(QStringLiteral("ServerName"))) gServerName = connection.attribute(QStringLiteral("ServerName"));
    if (connection.hasAttribute(QStringLiteral("Name"))) gDatabaseName = connection.attribute(QStringLiteral("Name"));
    if (current) return Load::AlreadyCurrent;

    if (connection.hasAttribute(QStringLiteral("TempXMLFileName"))) {
        const QString file = connection.attribute(QStringLiteral("TempXMLFileName"));
        if (!isBlank(file)) {
            FlushTempFiles();
            if (!oStructureXML) oStructureXML = std::make_shared<cXML>();
            if (!oStructureXML->LoadXMLFile(file)) return Load::LoadFailed;
        }
    }
    return Load::Loaded;
}

// ---- the object list ------------------------------------------------------------------

ListContent ChildrenOf(cXML& tree, const QString& sLHXPath, cXML* structure) {
    ListContent out;
    if (!tree.HasDocument() || sLHXPath.isEmpty()) return out;
    const XmlNode parent = tree.FindNode(sLHXPath);
    if (!parent) return out;
    bool first = true;
    QList<XmlNode> objects;  // each row's first element in the structure
    for (const XmlNode& child : parent.childElements()) {
        const QString element = child.nodeName();
        if (element.toLower() == QLatin1String("xml")) continue;
        if (first) out.columns = {{QStringLiteral("Name"), QStringLiteral("Name")}};

        ListRow row;
        XmlNode object;
        row.text = child.attribute(QStringLiteral("Name"));
        row.key = child.attribute(QStringLiteral("Key"));

        if (child.hasAttribute(QStringLiteral("RHXPath"))) {
            const QString rhxpath = child.attribute(QStringLiteral("RHXPath"));
            if (IsLevelCode(rhxpath)) {
                const int level = LevelOf(rhxpath);
                if (level >= 3) row.path = GetXPath(qint16(level));
            } else {
                row.path = rhxpath;
            }
            if (!row.path.isEmpty() && structure && structure->HasDocument()) {
                const XmlNodeList nodes = structure->GetNodes(row.path);
                if (!nodes.isEmpty()) object = nodes.first();
                // The first element there that has a Report attribute gives the mark.
                for (const XmlNode& node : nodes)
                    if (node.hasAttribute(kReport)) {
                        row.report = reportNumber(node.attribute(kReport));
                        break;
                    }
            }
        }

        if (element == QLatin1String("DATABASECONNECTION"))
            row.imageKey = !child.hasAttribute(QStringLiteral("TempXMLFileName")) ||
                                   isBlank(child.attribute(QStringLiteral("TempXMLFileName")))
                               ? QStringLiteral("DATABASECONNECTION_STOPPED")
                               : QStringLiteral("DATABASECONNECTION");
        else
            row.imageKey = element;

        if (child.hasAttribute(QStringLiteral("CreatedOn"))) {
            if (first) out.columns.append({QStringLiteral("CreatedOn"), QStringLiteral("Created On")});
            row.cells << child.attribute(QStringLiteral("CreatedOn"));
        }
        if (child.hasAttribute(QStringLiteral("DatabaseType"))) {
            if (first) out.columns.append({QStringLiteral("DatabaseEngine"), QStringLiteral("Database Engine")});
            bool ok = false;
            const int type = child.attribute(QStringLiteral("DatabaseType")).trimmed().toInt(&ok);
            // A code outside the table (a damaged history) shows no engine name.
            row.cells << (ok && type >= 0 && type < gDBTypeNames.size() ? gDBTypeNames.at(type) : QString());
        }
        out.rows.append(row);
        objects.append(object);
        first = false;
    }
    AddPartitionColumns(out, objects);
    return out;
}

QString CaptionOf(const QString& attributeName) {
    QString caption = attributeName;
    return caption.replace(QLatin1Char('_'), QLatin1Char(' '));
}

QString ScriptText(const QString& stored) {
    QString text = stored;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    text.replace(QStringLiteral("<BR/>"), QStringLiteral("\r\n"));
    return text;
}

ObjectDetails DetailsOf(cXML& structure, const QString& sXPath) {
    ObjectDetails out;
    const QString element = ElementNameOf(sXPath);
    if (element == QLatin1String("TABLE"))
        out.view = DetailView::Columns;
    else if (element == QLatin1String("TRIGGER") || element == QLatin1String("VIEW") ||
             element == QLatin1String("STOREDPROCEDURE"))
        out.view = DetailView::Script;
    else
        out.view = DetailView::Attributes;

    const XmlNode object = structure.HasDocument() ? structure.FindNode(sXPath) : XmlNode();
    switch (out.view) {
    case DetailView::Attributes: {
        if (!object) break;
        out.found = true;
        ListRow row;
        const auto attributes = object.attributes();
        for (qsizetype i = 0; i < attributes.size(); ++i) {
            out.list.columns.append({attributes[i].first, CaptionOf(attributes[i].first)});
            if (i == 0)
                row.text = attributes[i].second;
            else
                row.cells << attributes[i].second;
        }
        out.list.rows.append(row);
        break;
    }
    case DetailView::Columns: {
        // The list's columns are the attributes of every COLUMN, in the order they
        // first appear: an attribute only some columns carry (Identity, Generated)
        // has its own list column, blank on the others.
        const XmlNodeList children = object ? object.childElements() : XmlNodeList();
        QStringList names;
        for (const XmlNode& column : children) {
            if (column.nodeName() != QLatin1String("COLUMN")) continue;
            for (const auto& attribute : column.attributes()) {
                const QString& name = attribute.first;
                if (name.toUpper() == QLatin1String("PRIMARY_KEY") || name == kScale) continue;  // Scale: shown with the length
                if (!names.contains(name)) names << name;
            }
        }
        for (const QString& name : names) out.list.columns.append({name, CaptionOf(name)});
        for (const XmlNode& column : children) {
            if (column.nodeName() != QLatin1String("COLUMN")) continue;
            out.found = true;
            ListRow row;
            for (const auto& [name, value] : column.attributes())
                if (name.toUpper() == QLatin1String("PRIMARY_KEY") && !value.isEmpty()) row.imageKey = QStringLiteral("PRIMARYKEY");
            for (qsizetype i = 0; i < names.size(); ++i) {
                const QString& name = names[i];
                const QString value = column.attribute(name);
                const QString shown = name == QLatin1String("Length") && column.hasAttribute(kScale)
                                          ? value + QLatin1Char(',') + column.attribute(kScale)
                                          : value;
                if (i == 0)
                    row.text = shown;
                else
                    row.cells << shown;
            }
            out.list.rows.append(row);
        }
        break;
    }
    case DetailView::Script: {
        if (!object) break;
        for (const XmlNode& child : object.childElements()) {
            if (child.nodeName() != QLatin1String("SQLSCRIPT")) continue;
            out.found = true;
            out.script = ScriptText(child.text());
            break;
        }
        break;
    }
    }
    return out;
}

// ---- report marks --------------------------------------------------------------------

bool ReportMark(cXML* structure, const QString& path) {
    if (!structure || !structure->HasDocument() || path.isEmpty()) return true;
    const XmlNode node = structure->FindNode(path);
    if (!node || !node.hasAttribute(kReport)) return true;
    return reportNumber(node.attribute(kReport)) != 0;
}

void SetReport(const XmlNodeList& nodes, int iReport) {
    for (XmlNode node : nodes) {
        if (node.isElement() && node.hasAttribute(kReport)) node.setAttribute(kReport, QString::number(iReport));
        SetReport(node.childNodes(), iReport);
    }
}

}  // namespace NodeSelection
