#include "core/ObjectMarks.h"

#include "core/XmlNode.h"

#include <QString>

namespace ObjectMarks {

namespace {

void mark(XmlNode object) {
    static const QString report = QStringLiteral("Report"), migrate = QStringLiteral("Migrate");
    if (!object.hasAttribute(report)) object.setAttribute(report, QStringLiteral("1"));
    if (!object.hasAttribute(migrate)) object.setAttribute(migrate, QStringLiteral("0"));
}

}  // namespace

void MarkAsImported(XmlNode database) {
    if (!database) return;
    for (XmlNode object : database.childElements()) {
        const QString kind = object.nodeName();
        if (kind == QLatin1String("VIEW") || kind == QLatin1String("STOREDPROCEDURE")) {
            mark(object);
        } else if (kind == QLatin1String("TABLE")) {
            mark(object);
            for (XmlNode child : object.childElements()) {
                const QString childKind = child.nodeName();
                if (childKind == QLatin1String("INDEX") || childKind == QLatin1String("FOREIGNKEY") ||
                    childKind == QLatin1String("TRIGGER"))
                    mark(child);
            }
        }
    }
}

}  // namespace ObjectMarks
