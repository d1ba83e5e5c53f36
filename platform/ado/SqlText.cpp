#include "platform/ado/SqlText.h"

#include <QSet>

#include <initializer_list>
#include <optional>

namespace platform::ado::sqltext {

bool Token::isWord(const char* keyword) const {
    return kind == Word && text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

QList<Token> tokenize(const QString& sql) {
    QList<Token> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto quoted = [&](QChar close, Token::Kind kind, bool doubledEscapes) {
        Token t;
        t.kind = kind;
        t.begin = i;
        ++i;
        while (i < n) {
            if (sql[i] == close) {
                if (doubledEscapes && i + 1 < n && sql[i + 1] == close) {
                    t.text += close;
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            t.text += sql[i++];
        }
        t.end = i;
        tokens << t;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n')) ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == QLatin1Char('\'')) {
            quoted(QLatin1Char('\''), Token::String, true);
        } else if (c == QLatin1Char('"')) {
            quoted(QLatin1Char('"'), Token::QuotedName, true);
        } else if (c == QLatin1Char('`')) {
            quoted(QLatin1Char('`'), Token::QuotedName, true);
        } else if (c == QLatin1Char('[')) {
            quoted(QLatin1Char(']'), Token::QuotedName, false);
        } else if (c.isLetter() || c == QLatin1Char('_') || c.unicode() > 127) {
            Token t;
            t.kind = Token::Word;
            t.begin = i;
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == QLatin1Char('_') || sql[i] == QLatin1Char('$')
                             || sql[i].unicode() > 127))
                ++i;
            t.end = i;
            t.text = sql.mid(t.begin, t.end - t.begin);
            tokens << t;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && sql[i + 1].isDigit())) {
            Token t;
            t.kind = Token::Number;
            t.begin = i;
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == QLatin1Char('.'))) ++i;
            t.end = i;
            t.text = sql.mid(t.begin, t.end - t.begin);
            tokens << t;
        } else {
            Token t;
            t.kind = Token::Symbol;
            t.begin = i;
            static const char* const pairs[] = {"<=", ">=", "<>", "!=", "==", "||", "<<", ">>", "->"};
            qsizetype length = 1;
            const QStringView two = QStringView(sql).mid(i, 2);
            for (const char* p : pairs)
                if (two == QLatin1String(p)) length = 2;
            i += length;
            t.end = i;
            t.text = sql.mid(t.begin, length);
            tokens << t;
        }
    }
    return tokens;
}

namespace {

// The index of the ")" that closes the "(" at 'open', or tokens.size().
qsizetype matchingClose(const QList<Token>& tokens, qsizetype open) {
    int depth = 0;
    for (qsizetype k = open; k < tokens.size(); ++k) {
        if (tokens[k].isSymbol('(')) ++depth;
        else if (tokens[k].isSymbol(')') && --depth == 0) return k;
    }
    return tokens.size();
}

// The top-level items between the "(" at 'open' and its ")", as token ranges.
QList<QPair<qsizetype, qsizetype>> items(const QList<Token>& tokens, qsizetype open, qsizetype close) {
    QList<QPair<qsizetype, qsizetype>> list;
    int depth = 0;
    qsizetype start = open + 1;
    for (qsizetype k = open + 1; k < close; ++k) {
        if (tokens[k].isSymbol('(')) ++depth;
        else if (tokens[k].isSymbol(')')) --depth;
        else if (depth == 0 && tokens[k].isSymbol(',')) {
            list << qMakePair(start, k);
            start = k + 1;
        }
    }
    if (start < close) list << qMakePair(start, close);
    return list;
}

// The first name of each item of "(a, b DESC, ...)" at 'open'; 'next' receives the
// position after the ")".
QStringList nameList(const QList<Token>& tokens, qsizetype open, qsizetype* next) {
    QStringList names;
    if (open >= tokens.size() || !tokens[open].isSymbol('(')) {
        *next = open;
        return names;
    }
    const qsizetype close = matchingClose(tokens, open);
    for (const auto& item : items(tokens, open, close))
        if (item.first < item.second && tokens[item.first].isName()) names << tokens[item.first].text;
    *next = close + 1;
    return names;
}

// Skips "name" or "schema.name" at k; returns the name and moves k past it.
QString qualifiedName(const QList<Token>& tokens, qsizetype& k) {
    if (k >= tokens.size() || !(tokens[k].isName() || tokens[k].kind == Token::String)) return QString();
    QString name = tokens[k++].text;
    if (k + 1 < tokens.size() && tokens[k].isSymbol('.') && tokens[k + 1].isName()) {
        name = tokens[k + 1].text;
        k += 2;
    }
    return name;
}

bool startsConstraint(const Token& t) {
    static const char* const words[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "REFERENCES", "FOREIGN",
                                        "NOT", "NULL", "DEFAULT", "COLLATE", "GENERATED", "AS"};
    for (const char* w : words)
        if (t.isWord(w)) return true;
    return false;
}

struct ConstraintScan {
    const QString& sql;
    const QList<Token>& tokens;
    TableDefinition& def;

    // Reads the constraints in tokens [from, to); 'column' is the column they were
    // written on, "" for a table constraint.
    void run(qsizetype from, qsizetype to, const QString& column) {
        QString pendingName;
        QStringList fkColumns;
        qsizetype k = from;
        while (k < to) {
            const Token& t = tokens[k];
            if (t.isWord("CONSTRAINT") && k + 1 < to) {
                pendingName = tokens[k + 1].text;
                k += 2;
            } else if (t.isWord("PRIMARY") && k + 1 < to && tokens[k + 1].isWord("KEY")) {
                k += 2;
                if (column.isEmpty()) {
                    def.primaryKeyColumns = nameList(tokens, k, &k);
                } else {
                    def.primaryKeyColumns = QStringList{column};
                }
                def.primaryKeyName = pendingName;
                pendingName.clear();
            } else if (t.isWord("UNIQUE")) {
                ++k;
                UniqueConstraint u;
                u.name = pendingName;
                u.columns = column.isEmpty() ? nameList(tokens, k, &k) : QStringList{column};
                def.uniques << u;
                pendingName.clear();
            } else if (t.isWord("CHECK") && k + 1 < to && tokens[k + 1].isSymbol('(')) {
                const qsizetype open = k + 1;
                const qsizetype close = qMin(matchingClose(tokens, open), to - 1);
                CheckConstraint c;
                c.name = pendingName;
                c.column = column;
                c.clause = sql.mid(tokens[open].begin, tokens[close].end - tokens[open].begin);
                for (qsizetype j = open + 1; j < close; ++j)
                    if (tokens[j].isName() && !(j + 1 < close && tokens[j + 1].isSymbol('('))) c.identifiers << tokens[j].text;
                def.checks << c;
                pendingName.clear();
                k = close + 1;
            } else if (t.isWord("FOREIGN") && k + 1 < to && tokens[k + 1].isWord("KEY")) {
                k += 2;
                fkColumns = nameList(tokens, k, &k);
            } else if (t.isWord("REFERENCES")) {
                ++k;
                ForeignKey fk;
                fk.name = pendingName;
                pendingName.clear();
                fk.columns = column.isEmpty() ? fkColumns : QStringList{column};
                fkColumns.clear();
                fk.referencedTable = qualifiedName(tokens, k);
                if (k < to && tokens[k].isSymbol('(')) fk.referencedColumns = nameList(tokens, k, &k);
                while (k < to) {
                    const Token& c = tokens[k];
                    if (c.isWord("ON") && k + 2 < to) {
                        const Token& action = tokens[k + 2];
                        k += (action.isWord("SET") || action.isWord("NO")) ? 4 : 3;
                    } else if (c.isWord("MATCH")) {
                        k += 2;
                    } else if (c.isWord("NOT") && k + 1 < to && tokens[k + 1].isWord("DEFERRABLE")) {
                        fk.deferrable = false;
                        k += 2;
                    } else if (c.isWord("DEFERRABLE")) {
                        fk.deferrable = true;
                        ++k;
                    } else if (c.isWord("INITIALLY") && k + 1 < to) {
                        fk.initiallyDeferred = tokens[k + 1].isWord("DEFERRED");
                        k += 2;
                    } else {
                        break;
                    }
                }
                if (!fk.deferrable) fk.initiallyDeferred = false;
                def.foreignKeys << fk;
            } else if (t.isWord("AS") && !column.isEmpty() && k + 1 < to && tokens[k + 1].isSymbol('(')) {
                const qsizetype open = k + 1;
                const qsizetype close = qMin(matchingClose(tokens, open), to - 1);
                GeneratedColumn g;
                g.column = column;
                if (close > open + 1)
                    g.expression = sql.mid(tokens[open + 1].begin, tokens[close - 1].end - tokens[open + 1].begin);
                k = close + 1;
                g.stored = k < to && tokens[k].isWord("STORED");
                def.generated << g;
                pendingName.clear();
            } else if (t.isSymbol('(')) {
                k = matchingClose(tokens, k) + 1;
            } else {
                if (startsConstraint(t)) pendingName.clear();
                ++k;
            }
        }
    }
};

}  // namespace

TableDefinition parseCreateTable(const QString& sql) {
    TableDefinition def;
    const QList<Token> tokens = tokenize(sql);
    qsizetype k = 0;
    if (k >= tokens.size() || !tokens[k].isWord("CREATE")) return def;
    ++k;
    while (k < tokens.size() && (tokens[k].isWord("TEMP") || tokens[k].isWord("TEMPORARY"))) ++k;
    if (k >= tokens.size() || !tokens[k].isWord("TABLE")) return def;
    ++k;
    if (k + 2 < tokens.size() && tokens[k].isWord("IF") && tokens[k + 1].isWord("NOT") && tokens[k + 2].isWord("EXISTS")) k += 3;
    qualifiedName(tokens, k);
    if (k >= tokens.size() || !tokens[k].isSymbol('(')) return def;
    const qsizetype close = matchingClose(tokens, k);

    ConstraintScan scan{sql, tokens, def};
    for (const auto& item : items(tokens, k, close)) {
        if (item.first >= item.second) continue;
        const Token& first = tokens[item.first];
        const bool tableConstraint = first.isWord("CONSTRAINT") || first.isWord("PRIMARY") || first.isWord("UNIQUE")
                                     || first.isWord("CHECK") || first.isWord("FOREIGN");
        if (tableConstraint) scan.run(item.first, item.second, QString());
        else if (first.isName()) scan.run(item.first + 1, item.second, first.text);
    }
    for (qsizetype j = close + 1; j + 1 < tokens.size(); ++j)
        if (tokens[j].isWord("WITHOUT") && tokens[j + 1].isWord("ROWID")) def.withoutRowid = true;
    return def;
}

IndexDefinition parseCreateIndex(const QString& sql) {
    IndexDefinition def;
    const QList<Token> tokens = tokenize(sql);
    qsizetype k = 0;
    while (k < tokens.size() && !tokens[k].isWord("ON")) ++k;
    ++k;
    qualifiedName(tokens, k);
    if (k >= tokens.size() || !tokens[k].isSymbol('(')) return def;
    const qsizetype close = matchingClose(tokens, k);
    for (const auto& item : items(tokens, k, close)) {
        qsizetype last = item.second;  // drop a trailing ASC/DESC and COLLATE name
        if (last > item.first && (tokens[last - 1].isWord("ASC") || tokens[last - 1].isWord("DESC"))) --last;
        if (last - 2 > item.first && tokens[last - 2].isWord("COLLATE")) last -= 2;
        if (last <= item.first) continue;
        if (last - item.first == 1 && tokens[item.first].isName()) def.columns << tokens[item.first].text;
        else def.columns << sql.mid(tokens[item.first].begin, tokens[last - 1].end - tokens[item.first].begin);
    }
    for (qsizetype j = close + 1; j < tokens.size(); ++j) {
        if (tokens[j].isWord("WHERE") && j + 1 < tokens.size()) {
            qsizetype last = tokens.size();
            if (tokens[last - 1].isSymbol(';')) --last;
            if (last > j + 1) def.condition = sql.mid(tokens[j + 1].begin, tokens[last - 1].end - tokens[j + 1].begin);
            break;
        }
    }
    return def;
}

namespace {

template <typename Words>
bool isAnyWord(const Token& t, const Words& words) {
    for (const char* w : words)
        if (t.isWord(w)) return true;
    return false;
}
bool isAnyWord(const Token& t, std::initializer_list<const char*> words) { return isAnyWord<decltype(words)>(t, words); }

// Words SQLite never takes for a column name where an expression may stand.
bool isReserved(const Token& t) {
    return isAnyWord(t, {"ADD",        "ALL",        "ALTER",  "AND",         "AS",       "AUTOINCREMENT", "BETWEEN",   "CASE",
                         "CAST",       "CHECK",      "COLLATE", "COMMIT",     "CONSTRAINT", "CREATE",      "DEFAULT",   "DEFERRABLE",
                         "DELETE",     "DISTINCT",   "DROP",   "ELSE",        "ESCAPE",   "EXCEPT",        "EXISTS",    "FOREIGN",
                         "FROM",       "GROUP",      "HAVING", "IN",          "INDEX",    "INSERT",        "INTERSECT", "INTO",
                         "IS",         "ISNULL",     "JOIN",   "LIMIT",       "NOT",      "NOTHING",       "NOTNULL",   "ON",
                         "OR",         "ORDER",      "PRIMARY", "RAISE",      "REFERENCES", "RETURNING",   "SELECT",    "SET",
                         "TABLE",      "THEN",       "TO",     "TRANSACTION", "UNION",    "UNIQUE",        "UPDATE",    "USING",
                         "VALUES",     "WHEN",       "WHERE"});
}

// Words SQLite reads as a value of their own, never as a column.
bool isLiteralWord(const Token& t) { return isAnyWord(t, {"NULL", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP"}); }

// Two words that make one keyword, such as ORDER BY or CURRENT ROW, where either may
// also name a column elsewhere.
bool isKeywordPair(const Token& first, const Token& second) {
    static const char* const pairs[][2] = {
        {"ORDER", "BY"},         {"GROUP", "BY"},           {"PARTITION", "BY"},  {"INDEXED", "BY"},  {"NOT", "INDEXED"},
        {"NOT", "LIKE"},         {"NOT", "GLOB"},           {"NOT", "REGEXP"},    {"NOT", "MATCH"},   {"NULLS", "FIRST"},
        {"NULLS", "LAST"},       {"CURRENT", "ROW"},        {"UNBOUNDED", "PRECEDING"}, {"UNBOUNDED", "FOLLOWING"},
        {"NO", "OTHERS"},        {"WITH", "RECURSIVE"},
    };
    for (const auto& pair : pairs)
        if (first.isWord(pair[0]) && second.isWord(pair[1])) return true;
    return false;
}

// Keywords after which an operand follows, where a column may stand.
bool takesAnOperand(const Token& t) { return isAnyWord(t, {"LIKE", "GLOB", "REGEXP", "MATCH", "BY", "INDEXED"}); }

}  // namespace

QList<ColumnUse> viewColumnUsage(const QString& createViewSql, const QHash<QString, Relation>& relations) {
    const QList<Token> tokens = tokenize(createViewSql);
    // The query starts after the first AS that follows the view's name.
    qsizetype start = 0;
    while (start < tokens.size() && !tokens[start].isWord("VIEW")) ++start;
    ++start;
    if (start + 2 < tokens.size() && tokens[start].isWord("IF") && tokens[start + 1].isWord("NOT")) start += 3;
    qualifiedName(tokens, start);
    if (start < tokens.size() && tokens[start].isSymbol('(')) start = matchingClose(tokens, start) + 1;
    if (start < tokens.size() && tokens[start].isWord("AS")) ++start;

    static const char* const clauseEnds[] = {"WHERE", "GROUP", "ORDER", "LIMIT", "HAVING", "UNION",
                                             "EXCEPT", "INTERSECT", "WINDOW"};
    static const char* const notAliases[] = {"JOIN", "LEFT", "RIGHT", "FULL", "INNER", "OUTER", "CROSS", "NATURAL",
                                             "ON", "USING", "WHERE", "GROUP", "ORDER", "LIMIT", "HAVING", "UNION",
                                             "EXCEPT", "INTERSECT", "WINDOW", "INDEXED", "NOT"};

    // Pass 1: the relations the query reads, and their aliases, per SELECT: every arm
    // of a compound SELECT and every subquery reads its own FROM. A subquery's SELECT
    // sees the relations of the SELECT it stands in; the arms of a compound do not see
    // each other's. Each token of a SELECT's own level is marked with its clause: the
    // result columns, the ORDER BY, or another.
    enum Clause : char { OtherClause, ResultColumns, OrderBy };
    struct Select {
        qsizetype outer = -1;  // the SELECT this one stands in, -1 for none
        qsizetype compound = 0;  // the SELECTs of one compound share this number
        QList<const Relation*> relations;
        QHash<QString, const Relation*> names;  // lower-cased relation name or alias
        QSet<QString> outputNames;  // lower-cased names given to its result columns
    };
    QList<Select> selects{Select{}};
    QList<qsizetype> selectOf(tokens.size(), 0);  // the SELECT each token belongs to
    QList<Clause> clauseOf(tokens.size(), OtherClause);
    QList<bool> namesRelation(tokens.size(), false);  // a relation's name where FROM or JOIN names one
    QList<const Relation*> used;
    QHash<QString, const Relation*> names;  // of every SELECT
    struct Frame {
        bool inFrom = false;
        bool expectRelation = false;
        qsizetype select = 0;
        qsizetype outer = -1;  // the SELECT around the parenthesis
        qsizetype id = 0;
        Clause clause = OtherClause;  // of a SELECT of this level; a window's ORDER BY is no such clause
        bool ownsSelect = false;
    };
    qsizetype frameCount = 0;
    QList<Frame> frames{Frame{}};
    for (qsizetype k = start; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        selectOf[k] = frames.last().select;
        if (t.isSymbol('(')) {
            frames << Frame{false, false, frames.last().select, frames.last().select, ++frameCount, OtherClause, false};
            continue;
        }
        if (t.isSymbol(')')) {
            if (frames.size() > 1) frames.removeLast();
            continue;
        }
        Frame& f = frames.last();
        // "a IS [NOT] DISTINCT FROM b" compares; it starts no FROM clause.
        const bool comparingFrom = t.isWord("FROM") && k > 1 && tokens[k - 1].isWord("DISTINCT") &&
                                   (tokens[k - 2].isWord("IS") || tokens[k - 2].isWord("NOT"));
        if (t.isWord("SELECT")) {
            selects << Select{f.outer, f.id, {}, {}, {}};
            f.select = selectOf[k] = selects.size() - 1;
            f.inFrom = f.expectRelation = false;
            f.clause = ResultColumns;
            f.ownsSelect = true;
            continue;
        }
        if ((t.isWord("FROM") && !comparingFrom) || t.isWord("JOIN")) {
            f.inFrom = true;
            f.expectRelation = true;
            f.clause = OtherClause;
            continue;
        }
        if (f.ownsSelect && isAnyWord(t, clauseEnds)) f.clause = t.isWord("ORDER") ? OrderBy : OtherClause;
        clauseOf[k] = f.clause;
        if (f.inFrom && isAnyWord(t, clauseEnds)) {
            f.inFrom = f.expectRelation = false;
            continue;
        }
        if (f.inFrom && t.isSymbol(',')) {
            f.expectRelation = true;
            continue;
        }
        if (f.expectRelation && t.isName()) {
            f.expectRelation = false;
            qsizetype j = k;
            const QString name = qualifiedName(tokens, j);
            for (qsizetype m = k; m < j; ++m) namesRelation[m] = true;
            const auto it = relations.constFind(name.toLower());
            if (it == relations.constEnd()) continue;  // a common table expression, say
            const Relation* rel = &it.value();
            Select& select = selects[f.select];
            if (!used.contains(rel)) used << rel;
            if (!select.relations.contains(rel)) select.relations << rel;
            names.insert(name.toLower(), rel);
            select.names.insert(name.toLower(), rel);
            if (j < tokens.size() && tokens[j].isWord("AS")) ++j;
            if (j < tokens.size() && tokens[j].isName() && !isAnyWord(tokens[j], notAliases)) {
                names.insert(tokens[j].text.toLower(), rel);
                select.names.insert(tokens[j].text.toLower(), rel);
            }
            for (qsizetype m = k; m < j; ++m) {
                selectOf[m] = f.select;
                clauseOf[m] = f.clause;
            }
            k = j - 1;
        }
    }

    // Pass 2: the columns of those relations the query names, each (table, column)
    // once. A name is a column where an operand may stand: not a keyword, not a name
    // given after AS, COLLATE or INDEXED BY, not a name that follows an operand (an
    // alias, or a keyword such as DESC), and in an ORDER BY not a result column's name
    // standing alone as a term.
    QSet<QString> seen;
    QList<ColumnUse> uses;
    auto add = [&](const Relation* rel, const QString& column) {
        for (const QString& c : rel->columns) {
            if (c.compare(column, Qt::CaseInsensitive) != 0) continue;
            const QString key = rel->name + QLatin1Char('\n') + c;
            if (!seen.contains(key)) {
                seen.insert(key);
                uses << ColumnUse{rel->name, c};
            }
            return true;
        }
        return false;
    };
    // A relation or alias as the SELECT of token k sees it: its own, then those of the
    // SELECTs around it, then any of the query.
    auto relationNamed = [&](qsizetype k, const QString& name) -> const Relation* {
        for (qsizetype s = selectOf[k]; s >= 0; s = selects[s].outer)
            if (const Relation* rel = selects[s].names.value(name)) return rel;
        return names.value(name);
    };
    // A bare column name goes to the first relation that has it: of the SELECT of token
    // k, then of the SELECTs around it, then of the whole query.
    auto addBare = [&](qsizetype k, const QString& column) {
        for (qsizetype s = selectOf[k]; s >= 0; s = selects[s].outer)
            for (const Relation* rel : selects[s].relations)
                if (add(rel, column)) return;
        for (const Relation* rel : used)
            if (add(rel, column)) return;
    };
    // An ORDER BY term that is one name given to a result column of its SELECT (or of
    // any SELECT of its compound) sorts by that result column.
    auto namesResultColumn = [&](qsizetype k) {
        const Token& before = tokens[k - 1];
        if (!(before.isWord("BY") || before.isSymbol(','))) return false;
        if (k + 1 < tokens.size()) {
            const Token& after = tokens[k + 1];
            if (!(after.isSymbol(',') || after.isSymbol(')') || after.isSymbol(';') ||
                  isAnyWord(after, {"ASC", "DESC", "COLLATE", "NULLS", "LIMIT"})))
                return false;
        }
        const QString name = tokens[k].text.toLower();
        const qsizetype compound = selects[selectOf[k]].compound;
        for (const Select& s : selects)
            if (s.compound == compound && s.outputNames.contains(name)) return true;
        return false;
    };
    bool afterOperand = false;  // the token before ends an operand: a name, a value, ")"
    for (qsizetype k = start; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        const bool afterDot = k > 0 && tokens[k - 1].isSymbol('.');
        if (t.isSymbol('*') && k > 0 && !afterDot
            && (tokens[k - 1].isWord("SELECT") || tokens[k - 1].isWord("DISTINCT") || tokens[k - 1].isWord("ALL")
                || tokens[k - 1].isSymbol(','))) {
            const QList<const Relation*>& own = selects[selectOf[k]].relations;
            for (const Relation* rel : own.isEmpty() ? used : own)
                for (const QString& c : rel->columns) add(rel, c);
            afterOperand = true;
            continue;
        }
        if (t.kind == Token::Symbol) {
            afterOperand = t.isSymbol(')') || (t.isSymbol('*') && afterDot);
            continue;
        }
        if (!t.isName() || afterDot || namesRelation[k]) {
            afterOperand = true;  // a number, a text, the column of "x.column" or a relation
            continue;
        }
        if (k + 1 < tokens.size() && tokens[k + 1].isSymbol('(')) {  // a function, or a keyword before its list
            afterOperand = false;
            continue;
        }
        if (k + 2 < tokens.size() && tokens[k + 1].isSymbol('.')) {
            const Relation* rel = relationNamed(k, t.text.toLower());
            if (rel) {
                if (tokens[k + 2].isSymbol('*')) {
                    for (const QString& c : rel->columns) add(rel, c);
                } else if (tokens[k + 2].isName()) {
                    add(rel, tokens[k + 2].text);
                }
            }
            k += 2;
            afterOperand = true;
            continue;
        }
        if (k == start && t.isWord("WITH")) {  // the name of the first common table expression follows
            afterOperand = true;
            continue;
        }
        const Token& before = tokens[k - 1];
        if (t.kind == Token::Word) {
            if (isReserved(t)) {
                afterOperand = false;
                continue;
            }
            if (isLiteralWord(t)) {
                afterOperand = true;
                continue;
            }
            if (isKeywordPair(before, t) || (k + 1 < tokens.size() && isKeywordPair(t, tokens[k + 1]))) {
                afterOperand = !takesAnOperand(t) && !isKeywordPair(t, tokens.value(k + 1));
                continue;
            }
        }
        const bool named = before.isWord("AS") || before.isWord("COLLATE") ||
                           (before.isWord("BY") && k > start + 1 && tokens[k - 2].isWord("INDEXED"));
        if (afterOperand || named) {
            // A name given to what stands before it, or a keyword that follows an operand.
            if (clauseOf[k] == ResultColumns && !before.isWord("COLLATE")) selects[selectOf[k]].outputNames.insert(t.text.toLower());
            afterOperand = !(t.kind == Token::Word && takesAnOperand(t));
            continue;
        }
        afterOperand = true;
        if (clauseOf[k] == OrderBy && namesResultColumn(k)) continue;
        addBare(k, t.text);
    }

    // In the order of the relations, then of their columns.
    QList<ColumnUse> ordered;
    for (const Relation* rel : used)
        for (const QString& c : rel->columns)
            for (const ColumnUse& u : uses)
                if (u.table == rel->name && u.column == c) ordered << u;
    return ordered;
}

}  // namespace platform::ado::sqltext
