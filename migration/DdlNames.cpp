#include "migration/DdlNames.h"

#include <QSet>
#include <QStringList>

namespace ddl {

namespace {

QSet<QString> Words(const char* list) {
    QSet<QString> words;
    for (const QString& word : QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts)) words.insert(word);
    return words;
}

// The words each dialect refuses as a bare name, upper-case. SQL Server's list serves
// 6.5 as well; DB2 gets the standard's words that schemas tend to use as names.
// Access needs none: its statements bracket every name.
const QSet<QString>& ReservedWords(Target target) {
    static const QSet<QString> none;
    static const QSet<QString> sqlServer = Words(
        "ADD ALL ALTER AND ANY AS ASC AUTHORIZATION BACKUP BEGIN BETWEEN BREAK BROWSE BULK BY CASCADE CASE CHECK "
        "CHECKPOINT CLOSE CLUSTERED COALESCE COLLATE COLUMN COMMIT COMPUTE CONSTRAINT CONTAINS CONTAINSTABLE CONTINUE "
        "CONVERT CREATE CROSS CURRENT CURRENT_DATE CURRENT_TIME CURRENT_TIMESTAMP CURRENT_USER CURSOR DATABASE DBCC "
        "DEALLOCATE DECLARE DEFAULT DELETE DENY DESC DISK DISTINCT DISTRIBUTED DOUBLE DROP DUMP ELSE END ERRLVL ESCAPE "
        "EXCEPT EXEC EXECUTE EXISTS EXIT FETCH FILE FILLFACTOR FOR FOREIGN FREETEXT FREETEXTTABLE FROM FULL FUNCTION "
        "GOTO GRANT GROUP HAVING HOLDLOCK IDENTITY IDENTITY_INSERT IDENTITYCOL IF IN INDEX INNER INSERT INTERSECT INTO "
        "IS JOIN KEY KILL LEFT LIKE LINENO LOAD NATIONAL NOCHECK NONCLUSTERED NOT NULL NULLIF OF OFF OFFSETS ON OPEN "
        "OPENDATASOURCE OPENQUERY OPENROWSET OPENXML OPTION OR ORDER OUTER OVER PERCENT PLAN PRECISION PRIMARY PRINT "
        "PROC PROCEDURE PUBLIC RAISERROR READ READTEXT RECONFIGURE REFERENCES REPLICATION RESTORE RESTRICT RETURN "
        "REVOKE RIGHT ROLLBACK ROWCOUNT ROWGUIDCOL RULE SAVE SCHEMA SELECT SESSION_USER SET SETUSER SHUTDOWN SOME "
        "STATISTICS SYSTEM_USER TABLE TEXTSIZE THEN TO TOP TRAN TRANSACTION TRIGGER TRUNCATE TSEQUAL UNION UNIQUE "
        "UPDATE UPDATETEXT USE USER VALUES VARYING VIEW WAITFOR WHEN WHERE WHILE WITH WRITETEXT");
    static const QSet<QString> oracle = Words(
        "ACCESS ADD ALL ALTER AND ANY AS ASC AUDIT BETWEEN BY CHAR CHECK CLUSTER COLUMN COMMENT COMPRESS CONNECT "
        "CREATE CURRENT DATE DECIMAL DEFAULT DELETE DESC DISTINCT DROP ELSE EXCLUSIVE EXISTS FILE FLOAT FOR FROM GRANT "
        "GROUP HAVING IDENTIFIED IMMEDIATE IN INCREMENT INDEX INITIAL INSERT INTEGER INTERSECT INTO IS LEVEL LIKE LOCK "
        "LONG MAXEXTENTS MINUS MLSLABEL MODE MODIFY NOAUDIT NOCOMPRESS NOT NOWAIT NULL NUMBER OF OFFLINE ON ONLINE "
        "OPTION OR ORDER PCTFREE PRIOR PRIVILEGES PUBLIC RAW RENAME RESOURCE REVOKE ROW ROWID ROWNUM ROWS SELECT "
        "SESSION SET SHARE SIZE SMALLINT START SUCCESSFUL SYNONYM SYSDATE TABLE THEN TO TRIGGER UID UNION UNIQUE "
        "UPDATE USER VALIDATE VALUES VARCHAR VARCHAR2 VIEW WHENEVER WHERE WITH");
    static const QSet<QString> db2 = Words(
        "ADD ALL ALTER AND ANY AS ASC BETWEEN BY CASE CAST CHECK COLUMN CONSTRAINT CREATE CROSS CURRENT CURRENT_DATE "
        "CURRENT_TIME CURRENT_TIMESTAMP CURRENT_USER DEFAULT DELETE DESC DISTINCT DROP ELSE END ESCAPE EXCEPT EXISTS "
        "FETCH FOR FOREIGN FROM FULL GRANT GROUP HAVING IN INDEX INNER INSERT INTERSECT INTO IS JOIN KEY LEFT LIKE NOT "
        "NULL OF ON OR ORDER OUTER PRIMARY REFERENCES RIGHT SELECT SESSION_USER SET SOME SYSTEM_USER TABLE THEN TO "
        "UNION UNIQUE UPDATE USER USING VALUES VIEW WHEN WHERE WITH");
    switch (target) {
    case Target::SqlServer:
    case Target::SqlServer65: return sqlServer;
    case Target::Oracle: return oracle;
    case Target::Db2: return db2;
    default: return none;
    }
}

}  // namespace

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

bool IsReservedWord(Target target, const QString& name) { return ReservedWords(target).contains(name.toUpper()); }

QString BareOrQuoted(Target target, const QString& name) {
    return IsPlainIdentifier(name) && !IsReservedWord(target, name) ? name : DoubleQuoted(name);
}

QString JoinedName(const QString& documentName) {
    if (!documentName.contains(QLatin1Char('"'))) return documentName;
    QStringList parts;
    qsizetype k = 0;
    const qsizetype n = documentName.size();
    while (k <= n) {
        QString part;
        if (k < n && documentName[k] == QLatin1Char('"')) {
            ++k;
            for (;; ++k) {
                if (k >= n) return documentName;  // no closing quote: not a quoted part
                if (documentName[k] == QLatin1Char('"')) {
                    if (k + 1 < n && documentName[k + 1] == QLatin1Char('"')) {
                        part += QLatin1Char('"');
                        ++k;
                        continue;
                    }
                    ++k;
                    break;
                }
                part += documentName[k];
            }
            if (k < n && documentName[k] != QLatin1Char('.')) return documentName;
        } else {
            const qsizetype dot = documentName.indexOf(QLatin1Char('.'), k);
            const qsizetype end = dot < 0 ? n : dot;
            part = documentName.mid(k, end - k);
            k = end;
        }
        parts << part;
        ++k;  // past the dot (or the end)
    }
    return parts.join(QLatin1Char('.'));
}

QString TableName(Target target, const QString& documentName) {
    const QString name = JoinedName(documentName);
    switch (target) {
    case Target::Access: return Bracketed(name);
    case Target::SqlServer: return DoubleQuoted(name);
    default: return BareOrQuoted(target, name);
    }
}

QString ColumnName(Target target, const QString& name) {
    return target == Target::Access ? Bracketed(name) : BareOrQuoted(target, name);
}

QString ColumnList(Target target, const QString& list) {
    QStringList out;
    for (const QString& part : list.split(QLatin1Char(','))) out << ColumnName(target, part.trimmed());
    return out.join(QLatin1Char(','));
}

}  // namespace ddl
