#include "explorer/QueryText.h"

#include "platform/Error.h"
#include "platform/ado/Ado.h"

#include <QIODevice>

namespace QueryText {

namespace {
// Rows the PostgreSQL driver reads from its cursor at a time.
constexpr int kFetchRows = 1000;
}  // namespace

QStringList SelectedLines(const QString& text, int selStart, int selLength) {
    const qsizetype length = text.size();
    qsizetype start = qBound(qsizetype(0), qsizetype(selStart), length);
    qsizetype end = selLength > 0 ? qBound(start, qsizetype(selStart) + selLength, length) : length;
    // Back to the start of the first line, forward to the end of the last.
    if (start > 0) {
        const qsizetype lf = text.lastIndexOf(QLatin1Char('\n'), start - 1);
        start = lf < 0 ? 0 : lf + 1;
    }
    if (end < length && text.at(end) != QLatin1Char('\n') &&
        !(text.at(end) == QLatin1Char('\r') && end + 1 < length && text.at(end + 1) == QLatin1Char('\n'))) {
        const qsizetype lf = text.indexOf(QLatin1Char('\n'), end);
        end = lf < 0 ? length : lf;
    }
    QStringList statements;
    for (QString line : text.mid(start, end - start).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (!line.trimmed().isEmpty()) statements << line;
    }
    return statements;
}

QString OpenAllRowsStatement(const QString& nodeText, int databaseType) {
    QString name = nodeText.trimmed();
    if (name.contains(QLatin1Char(' '))) {
        if (databaseType >= 8 && databaseType <= 10)
            name = QLatin1Char('[') + name + QLatin1Char(']');
        else
            name = QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    }
    return QStringLiteral("Select * from ") + name;
}

bool IsDefinition(const QString& statement) {
    const QString lower = statement.toLower();
    return lower.contains(QLatin1String("create")) || lower.contains(QLatin1String("alter")) ||
           lower.contains(QLatin1String("drop"));
}

QString OutcomeMessage(qint32 count) {
    if (count == 0) return QStringLiteral("No rows affected by the query.");
    if (count == kDefinitionCount) return QStringLiteral("Query executed successfully.");
    return QString::number(count) + QStringLiteral(" record(s) affected by the query");
}

QString QueryConnectionString(const QString& connectionString) {
    QString odbc;
    try {
        odbc = platform::ado::TranslateConnectionString(connectionString);
    } catch (const std::exception&) {
        return connectionString;
    }
    QString driver;
    for (const QString& part : odbc.split(QLatin1Char(';'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(QLatin1String("Driver"), Qt::CaseInsensitive) == 0) driver = part.mid(eq + 1);
    }
    if (!driver.contains(QLatin1String("postgres"), Qt::CaseInsensitive) && !driver.contains(QLatin1String("psqlodbc"), Qt::CaseInsensitive))
        return odbc;
    if (odbc.contains(QLatin1String("UseDeclareFetch"), Qt::CaseInsensitive)) return odbc;
    if (!odbc.isEmpty() && !odbc.endsWith(QLatin1Char(';'))) odbc += QLatin1Char(';');
    return odbc + QStringLiteral("UseDeclareFetch=1;Fetch=%1").arg(kFetchRows);
}

namespace {

void put(QIODevice& out, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    if (out.write(bytes) != bytes.size())
        throw platform::RuntimeError(75, QStringLiteral("Path/File access error: ") + out.errorString());
}

}  // namespace

void WriteOutputPage(QIODevice& out, const QStringList& names, const std::function<bool(QVariantList& row)>& nextRow) {
    QString chunk = QStringLiteral("<table border=\"1\" cellspacing=\"1\" cellpadding=\"1\"><tr><td>");
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0) chunk += QStringLiteral("</td>\r\n<td>");
        chunk += QStringLiteral("<B>") + names.at(i).toHtmlEscaped() + QStringLiteral("</B>");
    }
    chunk += QStringLiteral("</td></tr><tr><td>");
    // Rows go out in chunks, so a large rowset never is one string in memory.
    QVariantList row;
    while (nextRow(row)) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0) chunk += QStringLiteral("<td>");
            const QVariant& value = row.at(i);
            if (!value.isNull()) chunk += value.toString().toHtmlEscaped();
            chunk += i + 1 < row.size() ? QStringLiteral("&nbsp;</td>\r\n") : QStringLiteral("&nbsp;</td></tr>\r\n<tr><td>");
        }
        if (chunk.size() > 64 * 1024) {
            put(out, chunk);
            chunk.clear();
        }
    }
    chunk += QStringLiteral("</td></tr></table>");
    put(out, chunk);
}

}  // namespace QueryText
