#include "platform/xml/XslPattern.h"

namespace platform::xml {

namespace {
struct Operator {
    const char* pattern;
    const char* xpath;
};
constexpr Operator kOperators[] = {
    {"$eq$", "="}, {"$ne$", "!="}, {"$lt$", "<"},   {"$le$", "<="},  {"$gt$", ">"},
    {"$ge$", ">="}, {"$and$", "and"}, {"$or$", "or"}, {"$not$", "not"},
};

// The index of the ']' that closes the '[' at open, skipping quoted text and nested
// brackets; -1 when it is not closed.
qsizetype closingBracket(const QString& s, qsizetype open) {
    int depth = 0;
    QChar quote;
    for (qsizetype i = open; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) quote = c;
        else if (c == QLatin1Char('[')) ++depth;
        else if (c == QLatin1Char(']') && --depth == 0) return i;
    }
    return -1;
}

bool isWholeNumber(const QString& s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (!c.isDigit()) return false;
    return true;
}
}  // namespace

QString xslPatternToXPath(const QString& pattern) {
    QString out;
    out.reserve(pattern.size() + 8);
    QChar quote;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (!quote.isNull()) {
            out += c;
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            out += c;
            continue;
        }
        if (c == QLatin1Char('[')) {
            const qsizetype close = closingBracket(pattern, i);
            if (close > i) {
                const QString inner = pattern.mid(i + 1, close - i - 1).trimmed();
                if (isWholeNumber(inner)) {
                    out += QLatin1Char('[') + QString::number(inner.toLongLong() + 1) + QLatin1Char(']');
                    i = close;
                    continue;
                }
            }
            out += c;
            continue;
        }
        if (c == QLatin1Char('$')) {
            bool matched = false;
            for (const auto& op : kOperators) {
                const QLatin1String p(op.pattern);
                if (pattern.mid(i, p.size()).compare(p, Qt::CaseInsensitive) == 0) {
                    const QLatin1String x(op.xpath);
                    const bool word = QChar(x.front()).isLetter();
                    if (word && !out.isEmpty() && !out.back().isSpace()) out += QLatin1Char(' ');
                    out += x;
                    if (word && i + p.size() < pattern.size() && !pattern[i + p.size()].isSpace())
                        out += QLatin1Char(' ');
                    i += p.size() - 1;
                    matched = true;
                    break;
                }
            }
            if (matched) continue;
        }
        out += c;
    }
    return out;
}

}  // namespace platform::xml
