// The query tab: which lines run, the outcome of each kind of statement against
// SQLite and the PostgreSQL test server, query files, the output page (parsed back
// with libxml2's HTML parser) and "Open All Rows"; a screenshot of the tab with rows.

#include "ExplorerImport.h"
#include "core/FileUtil.h"
#include "core/TreeFill.h"
#include "explorer/QueryResultModel.h"
#include "explorer/QueryText.h"
#include "platform/ado/Ado.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <functional>

using namespace bGlobal;

namespace {

// ---- which lines run --------------------------------------------------------------------

TEST(QueryLines, SelectionsRunTheWholeLinesTheyTouch) {
    const QString three = QStringLiteral("select 1\nselect 22\nselect 333");
    const struct {
        const char* what;
        QString text;
        int start, length;
        QStringList statements;
    } cases[] = {
        {"caret in the middle of line 2", three, 13, 0, {QStringLiteral("select 22"), QStringLiteral("select 333")}},
        {"caret at the start of line 2", three, 9, 0, {QStringLiteral("select 22"), QStringLiteral("select 333")}},
        {"caret at the very end", three, int(three.size()), 0, {QStringLiteral("select 333")}},
        {"part of line 2 selected", three, 12, 3, {QStringLiteral("select 22")}},
        {"line 1 selected up to its end", three, 0, 8, {QStringLiteral("select 1")}},
        {"from inside line 1 into line 2", three, 3, 8, {QStringLiteral("select 1"), QStringLiteral("select 22")}},
        {"everything", three, 0, int(three.size()), {QStringLiteral("select 1"), QStringLiteral("select 22"), QStringLiteral("select 333")}},
        {"empty box", QString(), 0, 0, {}},
        {"CR LF line ends", QStringLiteral("a\r\nb\r\nc"), 4, 0, {QStringLiteral("b"), QStringLiteral("c")}},
        {"blank lines run nothing", QStringLiteral("a\n\n  \nb"), 0, 0, {QStringLiteral("a"), QStringLiteral("b")}},
    };
    for (const auto& k : cases) EXPECT_EQ(QueryText::SelectedLines(k.text, k.start, k.length), k.statements) << k.what;
}

TEST(QueryLines, OpenAllRowsQuotesNamesWithBlanksForTheirEngine) {
    const struct {
        const char* name;
        int type;
        const char* statement;
    } cases[] = {
        {"Order Details", dbAccessXP, "Select * from [Order Details]"},
        {"Order Details", dbAccess97, "Select * from [Order Details]"},
        {"Order Details", dbOthers, "Select * from \"Order Details\""},
        {" Orders ", dbAccess2000, "Select * from Orders"},
        {"Orders", dbOthers, "Select * from Orders"},
        {"say \"hi\" there", dbSQLServer2000, "Select * from \"say \"\"hi\"\" there\""},
    };
    for (const auto& k : cases)
        EXPECT_EQ(QueryText::OpenAllRowsStatement(QString::fromUtf8(k.name), k.type), QString::fromUtf8(k.statement)) << k.name;
}

TEST(QueryLines, PostgresConnectionsReadRowsFromACursor) {
    testdb::UseTestOdbc();
    const QString pg = QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5;Database=d");
    const struct {
        QString in, out;
    } cases[] = {
        {pg, pg + QStringLiteral(";UseDeclareFetch=1;Fetch=1000")},
        {pg + QStringLiteral(";UseDeclareFetch=0"), pg + QStringLiteral(";UseDeclareFetch=0")},
        {QStringLiteral("Driver=SQLite3;Database=/tmp/x.db"), QStringLiteral("Driver=SQLite3;Database=/tmp/x.db")},
        {QStringLiteral("Provider=NoSuchProvider;Data Source=x"), QStringLiteral("Provider=NoSuchProvider;Data Source=x")},
    };
    for (const auto& k : cases) EXPECT_EQ(QueryText::QueryConnectionString(k.in), k.out) << qPrintable(k.in);
}

// ---- the output page -----------------------------------------------------------------------

// The page's rows as cell texts, read by libxml2's HTML parser.
QList<QStringList> ParsedCells(const QByteArray& html, int* tables = nullptr) {
    QList<QStringList> rows;
    htmlDocPtr doc = htmlReadMemory(html.constData(), int(html.size()), nullptr, "UTF-8",
                                    HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    if (!doc) return rows;
    int tableCount = 0;
    std::function<void(xmlNode*)> walk = [&](xmlNode* n) {
        for (; n; n = n->next) {
            if (n->type != XML_ELEMENT_NODE) continue;
            const QByteArray name(reinterpret_cast<const char*>(n->name));
            if (name == "table") ++tableCount;
            if (name == "script" || name == "img") rows.append({QStringLiteral("ELEMENT ") + QString::fromLatin1(name)});
            if (name == "tr") {
                QStringList cells;
                for (xmlNode* td = n->children; td; td = td->next) {
                    if (td->type != XML_ELEMENT_NODE) continue;
                    xmlChar* text = xmlNodeGetContent(td);
                    cells << QString::fromUtf8(reinterpret_cast<const char*>(text));
                    xmlFree(text);
                    walk(td->children);
                }
                rows.append(cells);
                continue;
            }
            walk(n->children);
        }
    };
    walk(xmlDocGetRootElement(doc));
    xmlFreeDoc(doc);
    if (tables) *tables = tableCount;
    return rows;
}

TEST(QueryOutputPage, ValuesAndNamesStayTextInAWellFormedTable) {
    const QStringList names = {QStringLiteral("id"), QStringLiteral("a,b"), QStringLiteral("<b>name</b>")};
    const QList<QVariantList> data = {
        {1, QStringLiteral("<script>alert(1)</script>"), QStringLiteral("x & y")},
        {2, QVariant(), QStringLiteral("</td></tr></table><img src=x>")},
    };
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    qsizetype next = 0;
    QueryText::WriteOutputPage(buffer, names, [&](QVariantList& row) {
        if (next >= data.size()) return false;
        row = data[next++];
        return true;
    });
    const QByteArray page = buffer.data();
    int tables = 0;
    const QList<QStringList> rows = ParsedCells(page, &tables);
    EXPECT_EQ(tables, 1);
    const QString nbsp = QString(QChar(0xA0));
    const QList<QStringList> expected = {
        {QStringLiteral("id"), QStringLiteral("a,b"), QStringLiteral("<b>name</b>")},
        {QStringLiteral("1") + nbsp, QStringLiteral("<script>alert(1)</script>") + nbsp, QStringLiteral("x & y") + nbsp},
        {QStringLiteral("2") + nbsp, nbsp, QStringLiteral("</td></tr></table><img src=x>") + nbsp},
        {QString()},
    };
    EXPECT_EQ(rows, expected) << page.constData();
    // The layout: bold header cells, CR LF between cells, one empty last row.
    EXPECT_TRUE(page.startsWith("<table border=\"1\" cellspacing=\"1\" cellpadding=\"1\"><tr><td><B>id</B></td>\r\n<td><B>a,b</B>"));
    EXPECT_TRUE(page.endsWith("&nbsp;</td></tr>\r\n<tr><td></td></tr></table>"));
    EXPECT_EQ(page.count("<B>"), page.count("</B>"));
}

// ---- the tab against real databases ------------------------------------------------------------

const char* kQuerySql = R"sql(
CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(40), price NUMERIC(8,2));
INSERT INTO items VALUES (1, 'created <b>bold</b>', 1.50);
INSERT INTO items VALUES (2, 'second & more', NULL);
INSERT INTO items VALUES (3, 'third', 3.00);
CREATE TABLE "order details" (id INTEGER, qty INTEGER);
INSERT INTO "order details" VALUES (7, 70);
CREATE TABLE scratch (x INTEGER);
)sql";

struct QueryTab : explorertest::WithImport {
    QStringList Messages() const { return w->txtMessages->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    QString ResultTab() const { return w->ssQueryResult->tabText(w->ssQueryResult->currentIndex()); }
    int GridRows() const { return w->dgResult->model() ? w->dgResult->model()->rowCount() : -1; }

    void Run(const QString& text, int caret) {
        w->txtQuery->setPlainText(text);
        QTextCursor cursor = w->txtQuery->textCursor();
        cursor.setPosition(caret);
        w->txtQuery->setTextCursor(cursor);
        frmDatabaseExplorer::Button(w->tlbExecute, QStringLiteral("Execute"))->click();
    }

    // Each kind of statement, one run at a time.
    void ExpectOutcomes() {
        const struct {
            const char* statement;
            QString message;
            const char* tab;
            int gridRows;  // -1: the grid keeps what it had
        } cases[] = {
            {"SELECT id, name FROM items WHERE name <> 'created' ORDER BY id", QStringLiteral("3 record(s) affected by the query"), "Output", 3},
            {"SELECT * FROM items WHERE id > 100", QStringLiteral("No rows affected by the query."), "Messages", 3},
            {"UPDATE items SET price = 9 WHERE id >= 2", QStringLiteral("2 record(s) affected by the query"), "Messages", 3},
            {"DROP TABLE scratch", QStringLiteral("Query executed successfully."), "Messages", 3},
        };
        for (const auto& k : cases) {
            SCOPED_TRACE(k.statement);
            Run(QString::fromUtf8(k.statement), 0);
            EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
            EXPECT_EQ(Messages(), QStringList(k.message));
            EXPECT_EQ(ResultTab(), QLatin1String(k.tab));
            EXPECT_EQ(GridRows(), k.gridRows);
        }
        // A failing statement shows the driver's message and changes nothing else.
        Run(QStringLiteral("SELECT x FROM no_such_table"), 0);
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
        EXPECT_TRUE(Messages().join(QLatin1Char('\n')).contains(QStringLiteral("no_such_table"))) << qPrintable(Messages().join(QLatin1Char('\n')));
        EXPECT_EQ(ResultTab(), QStringLiteral("Messages"));
        EXPECT_EQ(GridRows(), 3);
        EXPECT_TRUE(w->txtQuery->isEnabled() && !w->txtQuery->isReadOnly());

        // Lines from the caret's on, one statement each, messages in order.
        const QString script = QStringLiteral("SELECT 1 FROM items\nSELECT name FROM items WHERE id = 1\nSELECT id FROM items WHERE id > 100");
        Run(script, 25);
        EXPECT_EQ(Messages(), QStringList({QStringLiteral("1 record(s) affected by the query"),
                                           QStringLiteral("No rows affected by the query.")}));
        EXPECT_EQ(w->dgResult->model()->data(w->dgResult->model()->index(0, 0)).toString(), QStringLiteral("created <b>bold</b>"));
        // The caret is where it was.
        EXPECT_EQ(w->txtQuery->textCursor().position(), 25);
    }
};

TEST_F(QueryTab, StatementsAgainstSqliteReportTheirOutcome) {
    testdb::SqliteFile db(QString::fromUtf8(kQuerySql));
    Import(db.connectionString(), QStringLiteral("shop"));
    ExpectOutcomes();
}

TEST_F(QueryTab, StatementsAgainstPostgresReportTheirOutcome) {
    MORVALEX_REQUIRE_TEST_PG();
    testdb::PgDatabase pg(QString::fromUtf8(kQuerySql));
    Import(pg.connectionString(), QStringLiteral("shop"));
    ExpectOutcomes();
}

TEST_F(QueryTab, ALongStatementKeepsTheWindowPaintingWithTheBusyAnimation) {
    MORVALEX_REQUIRE_TEST_PG();
    testdb::PgDatabase pg(QStringLiteral("CREATE TABLE t (x INTEGER)"));
    Import(pg.connectionString(), QStringLiteral("slow"));
    w->ssRHPanel->setCurrentIndex(3);
    int ticks = 0;
    bool animated = false;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        animated = animated || w->pctAnimation->isVisible();
    });
    timer.start();
    Run(QStringLiteral("SELECT pg_sleep(1.2)"), 0);
    timer.stop();
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_GE(ticks, 20);
    EXPECT_TRUE(animated);
    EXPECT_FALSE(w->pctAnimation->isVisible());
    EXPECT_EQ(w->ssRHPanel->currentIndex(), 3);
    EXPECT_TRUE(w->trvMain->isEnabled());
    EXPECT_EQ(Messages(), QStringList({QStringLiteral("1 record(s) affected by the query")}));
}

// The statements of one test database the server is running, other than the asking one.
int ActiveStatements(const testdb::PgDatabase& pg) {
    platform::ado::Connection c;
    c.Open(pg.connectionString());
    const auto rs = c.Execute(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() "
                                             "AND state = 'active' AND pid <> pg_backend_pid()"));
    return rs->Fields(0).toInt();
}

// A long statement stops at the cancel command, through the driver: the run is back
// within half a second, the tab says so, the statement after it in the selection is
// not run, the server runs nothing of ours any more, and the next statement runs.
// Closing the window while one runs cancels it first and then closes.
TEST_F(QueryTab, CancelStopsALongStatementThroughTheDriver) {
    MORVALEX_REQUIRE_TEST_PG();
    testdb::PgDatabase pg(QStringLiteral("CREATE TABLE t (x INTEGER)"));
    Import(pg.connectionString(), QStringLiteral("slow"));
    QPointer<frmDatabaseExplorer> window(w);
    const struct {
        const char* name;
        std::function<void()> cancel;
        bool closes;
    } ways[] = {
        {"the button", [&] { w->cmdCancelQuery->click(); }, false},
        {"Escape", [&] { QTest::keyClick(w->txtQuery, Qt::Key_Escape); }, false},
        {"its access key", [&] { QTest::keyClick(w->txtQuery, Qt::Key_L, Qt::AltModifier); }, false},
        {"closing the window", [&] { w->close(); }, true},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        QElapsedTimer clock;
        qint64 cancelledAt = -1;
        bool offered = false, painting = false;
        QTimer::singleShot(300, [&] {
            offered = w->cmdCancelQuery->isVisible() && w->cmdCancelQuery->isEnabled();
            cancelledAt = clock.elapsed();
            way.cancel();
        });
        QTimer::singleShot(150, [&] { painting = true; });
        clock.start();
        Run(QStringLiteral("SELECT pg_sleep(30)\nINSERT INTO t VALUES (1)"), 0);
        const qint64 back = clock.elapsed();
        ASSERT_GE(cancelledAt, 0) << "the statement ended before the cancel";
        EXPECT_TRUE(painting) << "the window's timers stopped";
        EXPECT_TRUE(offered);
        EXPECT_LT(back - cancelledAt, 500);
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
        EXPECT_EQ(ActiveStatements(pg), 0);
        if (way.closes) {
            QElapsedTimer closing;
            closing.start();
            while (window && closing.elapsed() < 2000) QTest::qWait(20);
            EXPECT_FALSE(window) << "the window did not close";
            EXPECT_FALSE(frmDatabaseExplorer::exists());
            break;
        }
        EXPECT_EQ(Messages(), QStringList{QStringLiteral("The statement was cancelled.")}) << qPrintable(Messages().join(QLatin1Char('|')));
        EXPECT_EQ(ResultTab(), QStringLiteral("Messages"));
        EXPECT_FALSE(w->cmdCancelQuery->isVisible());
        EXPECT_TRUE(w->trvMain->isEnabled());
        EXPECT_FALSE(w->txtQuery->isReadOnly());
        Run(QStringLiteral("SELECT count(*) FROM t"), 0);
        EXPECT_EQ(Messages(), QStringList{QStringLiteral("1 record(s) affected by the query")});
        EXPECT_EQ(w->dgResult->model()->data(w->dgResult->model()->index(0, 0)).toInt(), 0) << "the second line ran";
    }
}

TEST_F(QueryTab, TheOutputPageNeedsRowsAndKeepsValuesAsText) {
    testdb::SqliteFile db(QString::fromUtf8(kQuerySql));
    Import(db.connectionString(), QStringLiteral("shop"));
    w->SaveQueryOutputAsHTML();
    Run(QStringLiteral("SELECT * FROM items WHERE id > 100"), 0);
    w->SaveQueryOutputAsHTML();
    EXPECT_EQ(host->messages(), QStringList({QStringLiteral("No results found to save"), QStringLiteral("Please run query and try to save")}));

    Run(QStringLiteral("SELECT id, name AS \"<i>n</i>\", price FROM items ORDER BY id"), 0);
    const QString file = folder.file(QStringLiteral("out.html"));
    host->paths.enqueue(file);
    host->prompts.clear();
    w->SaveQueryOutputAsHTML();
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    EXPECT_EQ(w->ssRHPanel->currentIndex(), 3);
    QFile page(file);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = ParsedCells(page.readAll());
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], QStringList({QStringLiteral("id"), QStringLiteral("<i>n</i>"), QStringLiteral("price")}));
    EXPECT_EQ(rows[1].value(1), QStringLiteral("created <b>bold</b>") + QChar(0xA0));
    EXPECT_EQ(rows[2].value(1), QStringLiteral("second & more") + QChar(0xA0));
    EXPECT_EQ(rows[2].value(2), QString(QChar(0xA0)));  // Null
}

TEST_F(QueryTab, FilesSavedWithoutExtensionGetTheirsAndTheNameBoxStartsEmpty) {
    testdb::SqliteFile db(QString::fromUtf8(kQuerySql));
    Import(db.connectionString(), QStringLiteral("shop"));
    Run(QStringLiteral("SELECT id FROM items"), 0);
    const struct {
        const char* what;
        std::function<void()> save;
        const char* typed;
        const char* saved;
    } cases[] = {
        {"output", [&] { w->SaveQueryOutputAsHTML(); }, "queryout", "queryout.html"},
        {"output with an extension", [&] { w->SaveQueryOutputAsHTML(); }, "queryout.htm", "queryout.htm"},
        {"query file", [&] { w->SaveQueryFile(true); }, "query", "query.sql"},
    };
    for (const auto& k : cases) {
        host->prompts.clear();
        host->paths.enqueue(folder.file(QLatin1String(k.typed)));
        k.save();
        ASSERT_EQ(SaveDialogs(), 1) << k.what;
        EXPECT_EQ(host->prompts[0].text.section(QLatin1Char('|'), -1), QString()) << k.what;
        EXPECT_TRUE(QFileInfo(folder.file(QLatin1String(k.saved))).isFile()) << k.what;
    }
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("queryout"))));
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(QueryTab, QueryFilesRoundTrip) {
    const QString file = folder.file(QStringLiteral("q"));
    w->txtQuery->setPlainText(QStringLiteral("SELECT 1;\nSELECT 'é';\n"));
    host->paths.enqueue(file);
    w->SaveQueryFile(false);
    const QString saved = file + QStringLiteral(".sql");
    EXPECT_EQ(ReadTextFile(saved), QStringLiteral("SELECT 1;\nSELECT 'é';\n"));
    // Save writes the same file without asking; Save As asks.
    w->txtQuery->setPlainText(QStringLiteral("SELECT 2"));
    w->SaveQueryFile(false);
    EXPECT_EQ(ReadTextFile(saved), QStringLiteral("SELECT 2"));
    w->SaveQueryFile(true);  // cancelled
    int dialogs = 0;
    for (const auto& p : host->prompts) dialogs += p.kind == QLatin1String("save");
    EXPECT_EQ(dialogs, 2);

    w->NewQueryFile();
    EXPECT_TRUE(w->txtQuery->toPlainText().isEmpty());
    host->paths.enqueue(saved);
    w->OpenQueryFile();
    EXPECT_EQ(w->txtQuery->toPlainText(), QStringLiteral("SELECT 2"));
    host->paths.enqueue(folder.file(QStringLiteral("gone.sql")));
    w->OpenQueryFile();
    EXPECT_EQ(host->messages(), QStringList({QStringLiteral("Query file does not exist")}));
    EXPECT_EQ(w->txtQuery->toPlainText(), QStringLiteral("SELECT 2"));

    // A failed write says so and leaves the file as it was.
    host->prompts.clear();
    host->paths.enqueue(folder.file(QStringLiteral("no/such/folder/q.sql")));
    w->SaveQueryFile(true);
    ASSERT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(host->messages()[0].startsWith(QStringLiteral("The query file could not be written")));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(QueryTab, OpenAllRowsRunsTheNodesTableAndShowsTheTab) {
    testdb::SqliteFile db(QString::fromUtf8(kQuerySql));
    Import(db.connectionString(), QStringLiteral("shop"));
    QTreeWidgetItem* node = nullptr;
    for (QTreeWidgetItemIterator it(w->trvMain); *it; ++it)
        if ((*it)->text(0) == QLatin1String("order details")) node = *it;
    ASSERT_TRUE(node);
    w->iCurrentNodeIndex = qint16(TreeNodes::Index(node));
    w->OpenAllRows();
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_EQ(w->txtQuery->toPlainText(), QStringLiteral("Select * from \"order details\""));
    EXPECT_EQ(w->ssRHPanel->currentIndex(), 3);
    EXPECT_EQ(Messages(), QStringList({QStringLiteral("1 record(s) affected by the query")}));
    EXPECT_EQ(GridRows(), 1);
    EXPECT_TRUE(w->mnuSubMainQuery.value(7)->isEnabled());
}

TEST_F(QueryTab, TheGridShowsLargeRowsetsInBatches) {
    QStringList values;
    for (int i = 0; i < 2500; ++i) values << QStringLiteral("(%1)").arg(i);
    testdb::SqliteFile db(QStringLiteral("CREATE TABLE n (i INTEGER); INSERT INTO n VALUES ") + values.join(QLatin1Char(',')) +
                          QLatin1Char(';'));
    Import(db.connectionString(), QStringLiteral("numbers"));
    Run(QStringLiteral("SELECT i FROM n ORDER BY i"), 0);
    EXPECT_EQ(Messages(), QStringList({QStringLiteral("2500 record(s) affected by the query")}));
    auto* model = qobject_cast<QueryResultModel*>(w->dgResult->model());
    ASSERT_TRUE(model);
    EXPECT_EQ(model->rowCount(), QueryResultModel::kBatch);
    while (model->canFetchMore(QModelIndex())) model->fetchMore(QModelIndex());
    EXPECT_EQ(model->rowCount(), 2500);
    EXPECT_EQ(model->data(model->index(2499, 0)).toString(), QStringLiteral("2499"));
}

TEST_F(QueryTab, ScreenshotOfTheTabWithRows) {
    testdb::SqliteFile db(QString::fromUtf8(kQuerySql));
    Import(db.connectionString(), QStringLiteral("shop"));
    w->resize(1200, 760);
    w->ssRHPanel->setCurrentIndex(3);
    Run(QStringLiteral("SELECT * FROM items ORDER BY id\nSELECT * FROM items WHERE id > 100"), 0);
    ASSERT_EQ(Messages().size(), 2);
    w->ssQueryResult->setCurrentIndex(0);
    QCoreApplication::processEvents();
    const QString shots = QStringLiteral(MORVALEX_BINARY_DIR "/screenshots");
    QDir().mkpath(shots);
    EXPECT_TRUE(w->grab().save(shots + QStringLiteral("/query-tab.png")));
}

}  // namespace
