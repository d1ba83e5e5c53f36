// Databases whose names are hostile (characters XML cannot hold, markup, quotes, "]]>",
// very long and non-Latin names), imported from a real SQLite file and the PostgreSQL
// test server, then taken through every document the program writes of them: the
// structure document and its temporary copy, both previews, the HTML report, the XML
// report and the Word report. Each XML document must read back with the names, each
// page must show the names as text with no element made of them.

#include "ExplorerImport.h"
#include "core/XmlText.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/Preview.h"
#include "reports/ReportFixture.h"
#include "support/Prerequisite.h"

#include <QFileInfo>
#include <QProcess>

using namespace bGlobal;
using explorertest::WithImport;

namespace {

QString withControls() {
    QString s = QStringLiteral("ctl");
    for (const char16_t c : {u'\x01', u'\x08', u'\x0B', u'\x0C', u'\x1B', u'\x1F'}) s += QChar(c);
    return s;
}

// The names on each engine; PostgreSQL cuts names at 63 bytes, so its long name is
// exactly that long.
QStringList hostileNames(bool postgres) {
    return {withControls(),
            QStringLiteral("q\"uo'te"),
            QStringLiteral("<script>alert(1)</script>"),
            QStringLiteral("a&amp;b & c"),
            QStringLiteral("x]]>y<![CDATA[z"),
            QStringLiteral("tab\there line\nfeed cr\rend"),
            QString(postgres ? 63 : 300, QLatin1Char('L')),
            QStringLiteral("Ünïcödé 中文 שלום ") + QString::fromUcs4(U"\U0001F600"),
            QStringLiteral("nonchar") + QChar(0xFFFE) + QChar(0xFFFF),
            QStringLiteral("literal_x0041_")};
}

QString viewName() { return QStringLiteral("v<script>") + QChar(0x02); }

QString quoted(const QString& name) { return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"'); }

// A table per name, each with a column of that name and a foreign key to the first
// table, and a view whose name, column and text are hostile.
QString hostileSql(bool postgres) {
    const QStringList names = hostileNames(postgres);
    QString sql = QStringLiteral("CREATE TABLE %1 (id integer PRIMARY KEY);\n").arg(quoted(names[0] + QStringLiteral("_parent")));
    for (const QString& name : names)
        sql += QStringLiteral("CREATE TABLE %1 (%2 integer REFERENCES %3 (id));\n")
                   .arg(quoted(name), quoted(name.left(postgres ? 40 : 300)), quoted(names[0] + QStringLiteral("_parent")));
    sql += QStringLiteral("CREATE VIEW %1 AS SELECT '<script>alert(2)</script>]]>' || %2 AS %3 FROM %4;\n")
               .arg(quoted(viewName()), quoted(names[2]), quoted(QStringLiteral("c") + QChar(0x03)),
                    quoted(names[2]));
    return sql;
}

// How a name shows in the documents and pages: XML-illegal characters in their
// visible form.
QString shown(const QString& name) { return XmlSafeText(name); }

// The texts of Word documents as LibreOffice reads them back (one run for all).
QStringList WordTexts(const QStringList& docs, const QString& folder) {
    QProcess soffice;
    soffice.start(QStringLiteral("soffice"), QStringList{QStringLiteral("-env:UserInstallation=file://") + folder + QStringLiteral("profile"),
                                                         QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                                         QStringLiteral("--convert-to"), QStringLiteral("txt:Text (encoded):UTF8"),
                                                         QStringLiteral("--outdir"), folder} +
                                                 docs);
    soffice.waitForFinished(120000);
    QStringList texts;
    for (const QString& doc : docs)
        texts << testsupport::ReadFile(folder + QFileInfo(doc).completeBaseName() + QStringLiteral(".txt"));
    return texts;
}

struct HostileNames : WithImport {
    // Checks that an XML file reads back and holds every name.
    void ExpectXmlReadsBack(const QString& file, const QStringList& names) {
        SCOPED_TRACE(qPrintable(file));
        cXML back;
        ASSERT_TRUE(back.LoadXMLFile(file));
        QStringList read;
        for (const XmlNode& t : back.GetNodes(QStringLiteral("DATABASE/TABLE"))) read << t.attribute(QStringLiteral("Name"));
        for (const QString& name : names) EXPECT_TRUE(read.contains(shown(name))) << qPrintable(shown(name));
        EXPECT_EQ(back.FindNode(QStringLiteral("DATABASE/VIEW")).attribute(QStringLiteral("Name")), shown(viewName()));
        // The view's text, "]]>" in it, whole in its CDATA section.
        EXPECT_TRUE(back.FindNode(QStringLiteral("DATABASE/VIEW/SQLSCRIPT")).text().contains(QStringLiteral("'<script>alert(2)</script>]]>'")));
    }
    // Checks that an HTML page holds no element or event attribute made of database
    // text and shows the given names as text.
    void ExpectPageShows(const QString& file, const QStringList& names) {
        SCOPED_TRACE(qPrintable(file));
        const reporttest::HtmlPage page = reporttest::ParseHtml(testsupport::ReadFile(file));
        EXPECT_FALSE(page.elements.contains(QStringLiteral("script")));
        EXPECT_TRUE(page.eventAttributes.isEmpty()) << qPrintable(page.eventAttributes.join(QLatin1Char(',')));
        // The parser reads a carriage return as a line feed.
        const QString text = QString(page.text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const QString& name : names) {
            const QString visible = shown(name).replace(QLatin1Char('\r'), QLatin1Char('\n'));
            EXPECT_TRUE(text.contains(visible)) << qPrintable(visible);
        }
        EXPECT_TRUE(text.contains(QStringLiteral("'<script>alert(2)</script>]]>'")));
        EXPECT_TRUE(text.contains(shown(viewName())));
    }
};

}  // namespace

TEST_F(HostileNames, EveryDocumentOfAHostileImportReadsBackAndShowsTheNamesAsText) {
    const bool haveWord = !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();
    QStringList wordDocs;
    QList<QStringList> wordNames;
    for (const bool postgres : {false, true}) {
        SCOPED_TRACE(postgres ? "PostgreSQL" : "SQLite");
        std::unique_ptr<testdb::SqliteFile> file;
        std::unique_ptr<testdb::PgDatabase> pg;
        QString cs;
        if (postgres) {
            MORVALEX_REQUIRE_TEST_PG();  // the SQLite half has run by then
            pg = std::make_unique<testdb::PgDatabase>(hostileSql(true));
            cs = pg->connectionString();
        } else {
            file = std::make_unique<testdb::SqliteFile>(hostileSql(false));
            cs = file->connectionString();
        }
        const QStringList names = hostileNames(postgres);
        const QString out = folder.file(postgres ? QStringLiteral("pg/") : QStringLiteral("sqlite/"));
        QDir().mkpath(out);
        Import(cs, QStringLiteral("hostile"));
        if (HasFatalFailure()) return;

        // The temporary copy of the structure the tree reads, and the tree document.
        const int connection = postgres ? 1 : 0;  // the second import is the second connection
        const QString copy = Connection(connection).attribute(QStringLiteral("TempXMLFileName"));
        ASSERT_FALSE(copy.isEmpty());
        ExpectXmlReadsBack(copy, names);
        cXML tree;
        ASSERT_TRUE(tree.LoadXMLContent(oLHXML->GetXMLContent()));
        for (const QString& name : names)
            EXPECT_TRUE(TreeTables(connection).contains(shown(name))) << qPrintable(shown(name));

        // The previews of its tables and views. A preview holds at most
        // Preview::kShownObjects objects, so the tables go a few at a time, each time
        // with the view; between them the previews show every name as text.
        const XmlNodeList tables = oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE"));
        const qsizetype perPreview = Preview::kShownObjects - 1;
        QStringList previewed;
        for (qsizetype from = 0; from < tables.size(); from += perPreview) {
            QStringList paths, part;
            for (qsizetype t = from; t < std::min(tables.size(), from + perPreview); ++t) {
                paths << QStringLiteral("DATABASE/TABLE[%1]").arg(t);
                for (const QString& name : names)
                    if (shown(name) == tables[t].attribute(QStringLiteral("Name"))) part << name;
            }
            paths << QStringLiteral("DATABASE/VIEW");
            SCOPED_TRACE(qPrintable(paths.join(QStringLiteral(" | "))));
            w->PreviewHTML(paths.join(QStringLiteral(" | ")));
            ExpectXmlReadsBack(Preview::XmlFile(), part);
            ExpectPageShows(Preview::HtmlFile(), part);
            if (part.contains(names[2])) {
                EXPECT_TRUE(w->wbReport->toPlainText().contains(QStringLiteral("<script>alert(1)</script>")));
            }
            previewed << part;
        }
        EXPECT_EQ(previewed.size(), names.size());
        // The whole connection, every object of it: no markup made of its names either.
        w->PreviewHTML(QStringLiteral("DATABASE"));
        ExpectPageShows(Preview::HtmlFile(), names);
        const reporttest::HtmlPage whole = reporttest::ParseHtml(testsupport::ReadFile(Preview::HtmlFile()));
        EXPECT_FALSE(whole.elements.contains(QStringLiteral("script")));
        EXPECT_TRUE(whole.eventAttributes.isEmpty()) << qPrintable(whole.eventAttributes.join(QLatin1Char(',')));
        EXPECT_FALSE(whole.text.contains(QStringLiteral("left out")));

        // The reports, through the window's commands.
        gMultiplePages = false;
        host->paths.enqueue(out + QStringLiteral("report.html"));
        w->mnuSubReport_Click(1);
        ExpectPageShows(out + QStringLiteral("report.html"), names);
        host->paths.enqueue(out + QStringLiteral("report.xml"));
        w->mnuSubReport_Click(2);
        ExpectXmlReadsBack(out + QStringLiteral("report.xml"), names);
        if (haveWord) {
            const QString doc = out + (postgres ? QStringLiteral("pg.doc") : QStringLiteral("sqlite.doc"));
            host->paths.enqueue(doc);
            w->mnuSubReport_Click(3);
            wordDocs << doc;
            wordNames << names;
        }
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    }
    // The Word documents read back with every name; as in any HTML page, blanks show
    // as single spaces. Without LibreOffice the rest has run.
    MORVALEX_REQUIRE_PROGRAM("soffice");
    const QStringList texts = WordTexts(wordDocs, folder.file(QStringLiteral("word/")));
    ASSERT_EQ(texts.size(), wordNames.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(qPrintable(wordDocs[i]));
        const QString text = texts[i].simplified();
        EXPECT_TRUE(text.contains(QStringLiteral("<script>alert(2)</script>]]>")));
        for (const QString& name : wordNames[i]) EXPECT_TRUE(text.contains(shown(name).simplified())) << qPrintable(shown(name));
    }
}
