// The shipped query catalogue (queries.mxq, deciphered at start-up) and the two test
// catalogues the end-to-end imports use: every command as the readers build it, the
// result columns each reader asks for, and names that must stay data inside their
// SQL literals. Products that cannot run here (SQL Server, Oracle, DB2) are checked
// through their command texts only.

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/CatalogueQuery.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

using namespace bGlobal;
using namespace catalogue;

namespace {

constexpr int kKinds = 12;
constexpr int kLastType = dbOthers;

// The last COLUMN child each reader reads, by kind; -1 where the result rows are the
// text itself (procedure and trigger text).
constexpr int kLastColumn[kKinds] = {2, 8, 2, 3, 2, 2, 3, -1, 5, -1, 6, 3};

bool isStatement(const Entry& e) { return e.exists() && e.type() != QLatin1String("ADO") && !e.type().isEmpty(); }

// An entry's TYPE in one letter: S a SELECT ("SQL"), P a procedure call ("SP"), A the
// schema rowset ("ADO"), - nothing (empty).
char typeCode(const QString& type) {
    if (type == QLatin1String("SQL")) return 'S';
    if (type == QLatin1String("SP")) return 'P';
    if (type == QLatin1String("ADO")) return 'A';
    return type.isEmpty() ? '-' : '?';
}

QString where(int type, int kind) { return QStringLiteral("type %1 kind %2").arg(type).arg(kind); }

// The text with every single-quoted literal reduced to '' ('' inside a literal is an
// escaped quote): what is left is the statement's own structure.
QString withoutLiterals(const QString& sql) {
    QString out;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i] != QLatin1Char('\'')) {
            out += sql[i];
            continue;
        }
        for (++i; i < sql.size(); ++i) {
            if (sql[i] != QLatin1Char('\'')) continue;
            if (i + 1 < sql.size() && sql[i + 1] == QLatin1Char('\'')) ++i;
            else break;
        }
        out += QStringLiteral("''");
    }
    return out;
}

// True when every occurrence of the placeholder stands inside a single-quoted literal.
bool placeholderQuoted(const QString& sql, const QString& placeholder) {
    bool inside = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i] == QLatin1Char('\'')) inside = !inside;  // an escaped quote toggles twice
        else if (!inside && sql.mid(i, placeholder.size()) == placeholder) return false;
    }
    return true;
}

// Layout, result columns and placeholders of one entry that holds a statement.
void checkStatement(int type, int kind) {
    SCOPED_TRACE(where(type, kind).toStdString());
    const Entry e = Lookup(type, kind);
    ASSERT_TRUE(isStatement(e));
    const QString query = e.query(), condition = e.condition();
    EXPECT_FALSE(query.isEmpty());
    // The tables reader adds its separator even to an empty condition.
    if (kind == Tables) {
        EXPECT_FALSE(condition.isEmpty());
    }

    // Every column a reader reads is named, and a SELECT gives a column of that name.
    for (int i = 0; i <= kLastColumn[kind]; ++i) {
        QString column;
        ASSERT_NO_THROW(column = e.column(i)) << "COLUMN " << i;
        EXPECT_FALSE(column.isEmpty()) << "COLUMN " << i;
        if (e.type() != QLatin1String("SP")) {
            const QRegularExpression word(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(column)),
                                          QRegularExpression::CaseInsensitiveOption);
            EXPECT_TRUE(query.contains(word)) << qPrintable(column) << " is not a result column";
        }
    }

    // Placeholders: the procedure text takes MORVPPP, the lists none, the others MORVXXX,
    // always inside a literal.
    const QString text = query + QLatin1Char(' ') + condition;
    const bool listsAll = kind == Tables || kind == Views || kind == Procedures;
    const QString used = kind == ProcedureText ? QStringLiteral("MORVPPP") : QStringLiteral("MORVXXX");
    const QString unused = kind == ProcedureText ? QStringLiteral("MORVXXX") : QStringLiteral("MORVPPP");
    EXPECT_EQ(text.contains(used), !listsAll);
    EXPECT_FALSE(text.contains(unused));
    EXPECT_TRUE(placeholderQuoted(text, used));

    // Whatever the name, it changes no more than the literals' content.
    const QString plain = withoutLiterals(BuildCommand(e, kind, QStringLiteral("t")));
    for (const char* name : {"O'Brien", "x'; DROP TABLE t; --", "''", "MORVXXX", "a'' OR ''1''=''1"}) {
        const QString built = BuildCommand(e, kind, QString::fromUtf8(name));
        EXPECT_EQ(withoutLiterals(built).toStdString(), plain.toStdString()) << name;
    }
}

// An entry with an empty TYPE holds the position of the entries after it: its blank
// command reads nothing, and it names the columns its reader asks for before running it.
void checkPositionHolder(int type, int kind) {
    SCOPED_TRACE(where(type, kind).toStdString());
    const Entry e = Lookup(type, kind);
    ASSERT_TRUE(e.hasType());
    EXPECT_TRUE(e.type().isEmpty());
    EXPECT_TRUE(e.query().isEmpty());
    EXPECT_TRUE(e.condition().isEmpty());
    for (int i = 0; i <= kLastColumn[kind]; ++i) {
        QString column;
        ASSERT_NO_THROW(column = e.column(i)) << "COLUMN " << i;
        EXPECT_FALSE(column.isEmpty()) << "COLUMN " << i;
    }
}

// The shipped catalogue, loaded by the start-up routine from the built queries.mxq.
class ShippedCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::StartProgram();
        ASSERT_TRUE(oQueriesXML && oQueriesXML->HasDocument());
        ASSERT_TRUE(host->prompts.isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    }
    void TearDown() override { oQueriesXML.reset(); }

    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
};

const char* const kKindNames[kKinds] = {
    "Tables",     "Columns",       "PrimaryKeys", "Views",       "ViewColumns", "Indexes",
    "Procedures", "ProcedureText", "Triggers", "TriggerText", "ForeignKeys", "CheckConstraints"};

// Every entry that holds a statement, its command built for the table, view, trigger or
// procedure O'Brien: a heading of the kind and the product names, then the command on
// one line. Products whose entries read alike share one heading.
QString CommandListing() {
    QString out = QStringLiteral(
        "# The shipped query catalogue's commands, built for the object name O'Brien.\n"
        "# Each heading names the kind and the products whose entry builds the command below it.\n");
    for (int kind = 0; kind < kKinds; ++kind) {
        std::vector<std::pair<QString, QStringList>> commands;  // in order of first product
        for (int type = 1; type <= kLastType; ++type) {
            const Entry e = Lookup(type, kind);
            if (!isStatement(e)) continue;
            const QString command = BuildCommand(e, kind, QStringLiteral("O'Brien"));
            auto same = std::find_if(commands.begin(), commands.end(), [&](const auto& c) { return c.first == command; });
            if (same == commands.end()) same = commands.insert(commands.end(), {command, {}});
            same->second << gDBTypeNames.value(type);
        }
        for (const auto& [command, products] : commands)
            out += QStringLiteral("\n%1: %2\n%3\n").arg(QLatin1String(kKindNames[kind]), products.join(QStringLiteral(", ")), command);
    }
    return out;
}

}  // namespace

// A changed, added or removed command shows as a difference to the reviewed listing.
TEST_F(ShippedCatalogue, EveryCommandIsTheReviewedText) {
    testsupport::ExpectGolden(CommandListing(), QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/import/shipped-commands.golden"));
}

// What each entry is (letters of typeCode): the products with a catalogue of their own
// have a statement for every kind; Access and OTHERS have the schema rowsets and hold
// the places of procedures and triggers, which have no schema-rowset fallback.
TEST_F(ShippedCatalogue, EntriesFollowWhatTheReadersRead) {
    const char* kTypes[kLastType + 1] = {
        "",              // 0: no database type, no entries
        "SSSSSSSSSSSS",  // SQL Server 2000
        "SSSSSSSSSSSS",  // SQL Server 7.0
        "SSSSSSSSSSPS",  // SQL Server 6.5: foreign keys through sp_fkeys
        "SSSSSSSSSSSS",  // Oracle 9i
        "SSSSSSSSSSSS",  // Oracle 8i
        "SSSSSSSSSSSS",  // Oracle 7.x
        "SSSSSSSSSSSS",  // Personal Oracle
        "AAAAAA----AA",  // MS Access XP: the Access catalogue and the schema rowsets
        "AAAAAA----AA",  // MS Access 2000
        "AAAAAA----AA",  // MS Access 97, 95, 2.0
        "SSSSSSSSSSSS",  // IBM DB2 Version 7
        "AAAAAA----AA",  // OTHERS: the schema rowsets, no procedures or triggers
    };
    ASSERT_EQ(oQueriesXML->GetNodes(QStringLiteral("QUERIES/DATABASE")).size(), kLastType + 1);
    EXPECT_TRUE(oQueriesXML->GetNodes(QStringLiteral("QUERIES/DATABASE[0]/TABLE")).isEmpty());
    for (int type = 1; type <= kLastType; ++type) {
        ASSERT_EQ(oQueriesXML->GetNodes(QStringLiteral("QUERIES/DATABASE[%1]/TABLE").arg(type)).size(), kKinds) << type;
        for (int kind = 0; kind < kKinds; ++kind) {
            const Entry e = Lookup(type, kind);
            ASSERT_TRUE(e.hasType()) << qPrintable(where(type, kind));
            const char actual = typeCode(e.type());
            EXPECT_EQ(actual, kTypes[type][kind]) << qPrintable(where(type, kind));
            if (actual == 'A') {
                EXPECT_TRUE(e.query().isEmpty() && e.condition().isEmpty()) << qPrintable(where(type, kind));
            }
        }
    }
}

TEST_F(ShippedCatalogue, EntriesNameTheirColumnsAndQuoteTheirNames) {
    for (int type = 1; type <= kLastType; ++type)
        for (int kind = 0; kind < kKinds; ++kind) {
            const Entry e = Lookup(type, kind);
            if (isStatement(e)) checkStatement(type, kind);
            else if (e.type().isEmpty()) checkPositionHolder(type, kind);
        }
}

// The test catalogues hold the engine's own SQL at type code 2 for every kind, so each
// reader's SQL path runs against a real server or file; OTHERS keeps the schema rowsets.
TEST(TestCatalogues, HoldTheEnginesSqlForEveryKind) {
    platform::ui::ScopedScriptedHost host;
    for (const char* file : {"catalogue-postgresql.xml", "catalogue-sqlite.xml"}) {
        SCOPED_TRACE(file);
        oQueriesXML = std::make_shared<cXML>();
        const QString path = QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/import/") + QLatin1String(file);
        ASSERT_TRUE(oQueriesXML->LoadXMLFile(path));
        ASSERT_EQ(oQueriesXML->GetNodes(QStringLiteral("QUERIES/DATABASE")).size(), kLastType + 1);
        for (int kind = 0; kind < kKinds; ++kind) {
            EXPECT_EQ(Lookup(dbSQLServer70, kind).type().toStdString(), "SQL") << kind;
            checkStatement(dbSQLServer70, kind);
            if (kind >= Procedures && kind <= TriggerText) checkPositionHolder(dbOthers, kind);
            else EXPECT_EQ(Lookup(dbOthers, kind).type().toStdString(), "ADO") << kind;
        }
    }
    oQueriesXML.reset();
    EXPECT_TRUE(host->prompts.isEmpty());
}
