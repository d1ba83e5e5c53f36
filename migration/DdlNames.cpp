#include "migration/DdlNames.h"

#include <QStringList>

namespace ddl {

Target TargetFromKey(const QString& key) {
    const QString k = key.trimmed().toUpper();
    if (k == QLatin1String("ACCESS")) return Target::Access;
    if (k == QLatin1String("SQLSERVER")) return Target::SqlServer;
    if (k == QLatin1String("SQLSERVER65")) return Target::SqlServer65;
    if (k == QLatin1String("ORACLE")) return Target::Oracle;
    if (k == QLatin1String("IBMDB2")) return Target::Db2;
    return Target::None;
}

bool IsPlainIdentifier(const QString& name) {
    if (name.isEmpty()) return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
        const bool digit = c >= u'0' && c <= u'9';
        if (!(letter || (i > 0 && digit))) return false;
    }
    return true;
}

QString Bracketed(const QString& name) {
    QString inner = name;
    inner.replace(QLatin1Char(']'), QLatin1String("]]"));
    return QLatin1Char('[') + inner + QLatin1Char(']');
}

QString DoubleQuoted(const QString& name) {
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString BareOrQuoted(const QString& name) { return IsPlainIdentifier(name) ? name : DoubleQuoted(name); }

QString TableName(Target target, const QString& name) {
    switch (target) {
    case Target::Access: return Bracketed(name);
    case Target::SqlServer: return DoubleQuoted(name);
    default: return BareOrQuoted(name);
    }
}

QString ColumnName(Target target, const QString& name) {
    return target == Target::Access ? Bracketed(name) : BareOrQuoted(name);
}

QString ColumnList(Target target, const QString& list) {
    QStringList out;
    for (const QString& part : list.split(QLatin1Char(','))) {
        const QString name = part.trimmed();
        if (IsPlainIdentifier(name)) out << name;
        else out << (target == Target::Access ? Bracketed(name) : DoubleQuoted(name));
    }
    return out.join(QLatin1Char(','));
}

}  // namespace ddl
