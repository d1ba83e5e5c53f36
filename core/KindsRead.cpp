#include "core/KindsRead.h"

#include "core/XmlNode.h"

#include <QStringList>

namespace KindsRead {

bool WasRead(const XmlNode& database, const QString& element) {
    if (!database || !database.hasAttribute(kNotRead)) return true;
    return !database.attribute(kNotRead).split(QLatin1Char(' '), Qt::SkipEmptyParts).contains(element);
}

}  // namespace KindsRead
