// Word reports through the real LibreOffice: the document and its text (scales, kinds
// not read), its links, the report globals after it, what it leaves in the data folder,
// and the ways it fails (no LibreOffice, a conversion that hangs, a target that is a
// folder, a broken own layout).

#include "ReportFixture.h"
#include "reports/WordReport.h"
#include "reports/bXMLSupport.h"
#include "support/Prerequisite.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

#include <optional>

using namespace bGlobal;

namespace {

struct Word : reporttest::ReportTest {
    void SetUp() override {
        ReportTest::SetUp();
        LoadStructure(QStringLiteral("shop.xml"));
    }
    struct Globals {
        QString xsl, index, templ, css;
        bool operator==(const Globals&) const = default;
    };
    static Globals Now() { return {gReportXSLFile, gIndexXSLFile, gReportTemplateFile, gReportCSSFile}; }
    // A made folder for output, ending in "/".
    QString Made(const QString& name) const {
        const QString path = Out(name);
        QDir().mkpath(path);
        return path;
    }
};

QString catdoc(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("catdoc"), {QStringLiteral("-w"), file});
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// ---- links of a .docx document ----------------------------------------------------------

// A link: the file it leads to ("" for a place inside the document), the bookmark and
// the link's text.
struct DocLink {
    QString file, bookmark, text;
};

struct DocxLinks {
    QHash<QString, QString> bookmarks;  // name -> the text of the paragraph it stands in
    QList<DocLink> links;
};

// A HYPERLINK field's instruction: HYPERLINK ["file"] [\l "bookmark"] [other switches].
DocLink FieldLink(const QString& instruction) {
    static const QRegularExpression token(QStringLiteral("\\\\[A-Za-z]|\"[^\"]*\"|\\S+"));
    DocLink link;
    QString pendingSwitch;
    for (auto it = token.globalMatch(instruction); it.hasNext();) {
        const QString t = it.next().captured();
        if (t.startsWith(QLatin1Char('\\'))) {
            pendingSwitch = t;
            continue;
        }
        const QString value = t.startsWith(QLatin1Char('"')) ? t.mid(1, t.size() - 2) : t;
        if (pendingSwitch == QLatin1String("\\l")) link.bookmark = value;
        else if (pendingSwitch.isEmpty() && t.compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) != 0)
            link.file = value;
        pendingSwitch.clear();
    }
    return link;
}

// The bookmarks and links of word/document.xml: hyperlink elements (to a bookmark, or
// to a file through a relationship) and HYPERLINK fields.
DocxLinks ReadDocxLinks(const QString& docx) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), docx, QStringLiteral("word/document.xml")});
    unzip.waitForFinished(30000);
    QXmlStreamReader xml(unzip.readAllStandardOutput());
    DocxLinks out;
    QString paragraph;
    QStringList bookmarksOfParagraph;
    std::optional<DocLink> link;  // inside a hyperlink element or a field's result
    QString instruction;
    enum { None, Instruction, Result } field = None;
    while (!xml.atEnd()) {
        xml.readNext();
        const QStringView name = xml.name();
        if (xml.isStartElement()) {
            const auto attrs = xml.attributes();
            if (name == u"p") paragraph.clear();
            else if (name == u"bookmarkStart") bookmarksOfParagraph << attrs.value(QStringLiteral("w:name")).toString();
            else if (name == u"hyperlink") {
                link = DocLink{};
                link->bookmark = attrs.value(QStringLiteral("w:anchor")).toString();
                if (attrs.hasAttribute(QStringLiteral("r:id")))
                    link->file = QStringLiteral("relationship ") + attrs.value(QStringLiteral("r:id")).toString();
            } else if (name == u"fldSimple") {
                const QString instr = attrs.value(QStringLiteral("w:instr")).toString().trimmed();
                if (instr.startsWith(QLatin1String("HYPERLINK"))) link = FieldLink(instr);
            } else if (name == u"fldChar") {
                const QStringView type = attrs.value(QStringLiteral("w:fldCharType"));
                if (type == u"begin") {
                    field = Instruction;
                    instruction.clear();
                } else if (type == u"separate") {
                    field = Result;
                    if (instruction.trimmed().startsWith(QLatin1String("HYPERLINK")))
                        link = FieldLink(instruction.trimmed());
                } else if (type == u"end") {
                    field = None;
                    if (link) out.links << *link;
                    link.reset();
                }
            } else if (name == u"instrText" && field == Instruction) {
                instruction += xml.readElementText();
            } else if (name == u"t") {
                const QString text = xml.readElementText();
                paragraph += text;
                if (link) link->text += text;
            }
        } else if (xml.isEndElement()) {
            if ((name == u"hyperlink" || name == u"fldSimple") && link) {
                out.links << *link;
                link.reset();
            } else if (name == u"p") {
                for (const QString& b : bookmarksOfParagraph) out.bookmarks.insert(b, paragraph.simplified());
                bookmarksOfParagraph.clear();
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    return out;
}

// The document converted to .docx by LibreOffice, so both formats are read alike.
QString AsDocx(const QString& document, const QString& folder) {
    const QTemporaryDir profile;
    QProcess soffice;
    soffice.start(QStringLiteral("soffice"),
                  {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                   QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                   QStringLiteral("docx:MS Word 2007 XML"), QStringLiteral("--outdir"), folder, document});
    EXPECT_TRUE(soffice.waitForFinished(180000));
    return folder + QLatin1Char('/') + QFileInfo(document).completeBaseName() + QStringLiteral(".docx");
}

// The document converted to PDF by LibreOffice, as it would be printed.
QString AsPdf(const QString& document, const QString& folder) {
    const QTemporaryDir profile;
    QProcess soffice;
    soffice.start(QStringLiteral("soffice"),
                  {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                   QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                   QStringLiteral("--outdir"), folder, document});
    EXPECT_TRUE(soffice.waitForFinished(180000));
    return folder + QLatin1Char('/') + QFileInfo(document).completeBaseName() + QStringLiteral(".pdf");
}

using testsupport::PdfWord;

// Every file and folder under a folder, relative to it, one a line.
std::string Entries(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) out << it.next().mid(folder.size() + 1);
    out.sort();
    return out.join(QLatin1Char('\n')).toStdString();
}

}  // namespace

TEST_F(Word, TheDocumentHoldsEveryTableWithItsColumnsAndTheGlobalsStay) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    MORVALEX_REQUIRE_PROGRAM("catdoc");
    const Globals before = Now();
    const QString doc = Made(QStringLiteral("word")) + QStringLiteral("shop.doc");
    ASSERT_TRUE(WordReport::Save(doc)) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(host->messages().isEmpty()) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(Now(), before);
    ASSERT_GT(QFileInfo(doc).size(), 0);
    const QString text = catdoc(doc);
    const struct {
        const char* table;
        const char* column;
    } expected[] = {{"Customers", "email"}, {"Orders", "placed"}, {"Order Details", "quantity"}};
    for (const auto& e : expected) {
        EXPECT_TRUE(text.contains(QLatin1String(e.table))) << e.table;
        EXPECT_TRUE(text.contains(QLatin1String(e.column))) << e.column;
    }
    // Nothing is left half-written beside the document.
    EXPECT_EQ(QDir(QFileInfo(doc).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("shop.doc")});
}

// The Word document shows an exact numeric column's scale with its length, and "not
// read" for the kinds the import did not read.
TEST_F(Word, TheDocumentShowsScalesAndTheKindsNotRead) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    MORVALEX_REQUIRE_PROGRAM("catdoc");
    LoadStructure(QStringLiteral("others.xml"));
    const QString doc = Made(QStringLiteral("word")) + QStringLiteral("till.doc");
    ASSERT_TRUE(WordReport::Save(doc)) << host->messages().join(QLatin1Char('|')).toStdString();
    // The text without blanks: where the converter puts them between a count and its
    // caption varies.
    const QString text = catdoc(doc).remove(QRegularExpression(QStringLiteral("\\s")));
    for (const char* shown : {"amountnumeric12,2", "notreadStoredprocedures", "notreadTriggers", "0Views", "1Indexes"})
        EXPECT_TRUE(text.contains(QLatin1String(shown))) << shown << "\n" << text.toStdString();
}

// The Word document shows what the engine records beyond the plain objects, each with
// its object.
TEST_F(Word, TheDocumentShowsTheEnginesFacts) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    MORVALEX_REQUIRE_PROGRAM("catdoc");
    LoadStructure(QStringLiteral("facts.xml"));
    const QString doc = Made(QStringLiteral("word")) + QStringLiteral("facts.doc");
    ASSERT_TRUE(WordReport::Save(doc)) << host->messages().join(QLatin1Char('|')).toStdString();
    const QString text = catdoc(doc).remove(QRegularExpression(QStringLiteral("\\s")));
    for (const char* shown : {"PartitionedbyRANGE(at)", "Partitionofjournal", "BoundsFORVALUESFROM('2026-01-01')TO('2027-01-01')",
                              "GENERATEDALWAYSASIDENTITY", "GENERATEDALWAYSAS(pid*2)STORED", "Methodgin", "Descendingpid",
                              "Includepcode", "Whereoutlier=false", "DEFERRABLEINITIALLYDEFERRED"})
        EXPECT_TRUE(text.contains(QLatin1String(shown))) << shown << "\n" << text.toStdString();
}

// Printed from LibreOffice, the document's counts read as the HTML report shows them
// (a count, its kind, the next count), and a contents list of twelve entries starts
// every name at one place, the tenth as the first.
TEST_F(Word, TheCountsStandApartAndLongListsKeepOneIndent) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    MORVALEX_REQUIRE_PROGRAM("pdftotext");
    QString xml = testsupport::ReadFile(reporttest::DataFile(QStringLiteral("others.xml")));
    QStringList names = {QStringLiteral("Prices")};
    QString more;
    for (int t = 2; t <= 12; ++t) {
        names << QStringLiteral("Shelf%1").arg(t, 2, 10, QLatin1Char('0'));
        more += QStringLiteral("<TABLE Name=\"%1\" CreatedOn=\"\" Report=\"1\" Migrate=\"0\"><COLUMN Name=\"id\" "
                               "Datatype=\"integer\" Length=\"10\" Ordinal_Position=\"1\" Null_Allowed=\"False\"/></TABLE>")
                    .arg(names.last());
    }
    xml.replace(QStringLiteral("</DATABASE>"), more + QStringLiteral("</DATABASE>"));
    oStructureXML = std::make_shared<cXML>();
    ASSERT_TRUE(oStructureXML->LoadXMLContent(xml));
    const QString out = Made(QStringLiteral("print"));
    const QString doc = out + QStringLiteral("till.doc");
    ASSERT_TRUE(WordReport::Save(doc)) << host->messages().join(QLatin1Char('|')).toStdString();
    const QList<PdfWord> words = testsupport::PdfWords(AsPdf(doc, out)).words;
    ASSERT_FALSE(words.isEmpty());

    QStringList texts;
    for (const PdfWord& w : words) texts << w.text;
    const QString line = texts.join(QLatin1Char(' '));
    EXPECT_TRUE(line.contains(QStringLiteral("12 Tables 0 Views not read Stored procedures not read Triggers 1 Indexes")))
        << line.toStdString();

    // The first time each table is named is its entry in the contents.
    QList<double> starts;
    for (const QString& name : names) {
        const auto at = std::find_if(words.begin(), words.end(), [&](const PdfWord& w) { return w.text == name; });
        ASSERT_NE(at, words.end()) << qPrintable(name);
        starts << at->xMin;
    }
    for (int i = 1; i < starts.size(); ++i) EXPECT_NEAR(starts[i], starts[0], 0.5) << qPrintable(names[i]);
}

TEST_F(Word, WithoutLibreOfficeTheCommandSaysWordIsNotAvailable) {
    const QTemporaryDir empty;
    const testsupport::ScopedEnv path("PATH", empty.path());
    const Globals before = Now();
    const QString doc = Made(QStringLiteral("none")) + QStringLiteral("shop.doc");
    EXPECT_FALSE(WordReport::Save(doc));
    EXPECT_EQ(host->messages(), QStringList{QStringLiteral("Microsoft Word does not exist, please install and try again")});
    EXPECT_EQ(host->prompts.first().icon, platform::ui::Icon::Critical);
    EXPECT_FALSE(QFileInfo::exists(doc));
    EXPECT_EQ(Now(), before);
}

TEST_F(Word, AConversionThatHangsIsEndedAtTheTimeLimit) {
    // A stand-in for a LibreOffice that never finishes (and starts a child of its own).
    const QTemporaryDir bin;
    const QString soffice = bin.path() + QStringLiteral("/soffice");
    testsupport::WriteFile(soffice, QStringLiteral("#!/bin/sh\nsleep 60 &\nsleep 60\n"));
    QFile::setPermissions(soffice, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const testsupport::ScopedEnv path("PATH", bin.path() + QStringLiteral(":/usr/bin:/bin"));
    const testsupport::ScopedEnv limit("MORVALEX_WORD_TIMEOUT_MS", QStringLiteral("1500"));
    const Globals before = Now();
    const QString doc = Made(QStringLiteral("hang")) + QStringLiteral("shop.doc");
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(WordReport::Save(doc));
    EXPECT_LT(timer.elapsed(), 10000);
    ASSERT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(host->messages().first().startsWith(QStringLiteral("Word document could not be created.")));
    EXPECT_TRUE(host->messages().first().contains(QStringLiteral("in time")));
    EXPECT_FALSE(QFileInfo::exists(doc));
    EXPECT_EQ(Now(), before);
}

TEST_F(Word, AFolderWhereTheDocumentShouldGoIsRefused) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    const QString folderTarget = Made(QStringLiteral("shop.doc"));
    EXPECT_FALSE(WordReport::Save(folderTarget));
    EXPECT_EQ(host->messages(), QStringList{folderTarget + QStringLiteral(" is a folder. Please choose a file name.")});
    EXPECT_TRUE(QFileInfo(folderTarget).isDir());
}

TEST_F(Word, AnOwnLayoutThatIsNoStyleSheetIsNamedAndNoReportIsWritten) {
    const QString bad = folder.file(QStringLiteral("layout.xsl"));
    testsupport::WriteFile(bad, QStringLiteral("this is not XML"));
    gReportXSLFile = gIndexXSLFile = bad;
    gOwnXSL = true;
    const QString page = Made(QStringLiteral("bad")) + QStringLiteral("shop.html");
    EXPECT_FALSE(bXMLSupport::SaveAsHTML(page, false));
    ASSERT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(host->messages().first().contains(bad));
    EXPECT_FALSE(QFileInfo::exists(page));
    gOwnXSL = false;
}

TEST_F(Word, EveryLinkOfBothFormatsLeadsToItsObjectInsideTheDocument) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    MORVALEX_REQUIRE_PROGRAM("unzip");
    // Every reported object, as the contents name it.
    const QStringList objects = {QStringLiteral("Customers"), QStringLiteral("Orders"), QStringLiteral("Order Details"),
                                 QStringLiteral("pk_customers"), QStringLiteral("ix_customers_email"),
                                 QStringLiteral("pk_orders"), QStringLiteral("pk_details"),
                                 QStringLiteral("trg_orders_stamp"), QStringLiteral("trg_details_check"),
                                 QStringLiteral("OpenOrders"), QStringLiteral("BigCustomers"), QStringLiteral("place_order")};
    // An own layout chosen for HTML reports leaves the Word document as it is.
    const QString own = folder.file(QStringLiteral("own.xsl"));
    testsupport::WriteFile(own, QStringLiteral("<xsl:stylesheet version=\"1.0\" "
                                               "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template "
                                               "match=\"/\"><p>Own layout</p></xsl:template></xsl:stylesheet>"));
    gReportXSLFile = gIndexXSLFile = own;
    gOwnXSL = true;
    const Globals before = Now();
    for (const QString& format : {QStringLiteral("docx"), QStringLiteral("doc")}) {
        SCOPED_TRACE(qPrintable(format));
        const QString out = Made(QStringLiteral("links-") + format);
        const QString document = out + QStringLiteral("shop.") + format;
        ASSERT_TRUE(WordReport::Save(document)) << host->messages().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(Now(), before);
        EXPECT_TRUE(gOwnXSL);
        const DocxLinks read =
            ReadDocxLinks(format == QLatin1String("doc") ? AsDocx(document, Made(QStringLiteral("read-doc"))) : document);
        QStringList texts;
        for (const DocLink& link : read.links) {
            const QString text = link.text.simplified();
            texts << text;
            SCOPED_TRACE(qPrintable(text));
            EXPECT_TRUE(link.file.isEmpty()) << "leads to the file " << qPrintable(link.file);
            ASSERT_TRUE(read.bookmarks.contains(link.bookmark)) << "no bookmark " << qPrintable(link.bookmark);
            // The bookmark stands at the object's heading: its name, with the kind and the
            // table for an index or a trigger.
            const QRegularExpression heading(QStringLiteral("^((Index|Trigger) )?") + QRegularExpression::escape(text) +
                                             QStringLiteral("( on .+)?$"));
            EXPECT_TRUE(heading.match(read.bookmarks.value(link.bookmark)).hasMatch())
                << "leads to " << qPrintable(read.bookmarks.value(link.bookmark));
        }
        for (const QString& object : objects) EXPECT_TRUE(texts.contains(object)) << "no link to " << qPrintable(object);
    }
}

TEST_F(Word, NothingTheReportWroteForItselfStaysInTheDataFolder) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    // The data folder apart from the installed files, with this run's temporary folder
    // in it, as the program has them.
    const QTemporaryDir data;
    SetAppPathForTesting(folder.path(), data.path());
    gTempPath = data.path() + QStringLiteral("/temp/run-1/");
    QDir().mkpath(gTempPath);
    testsupport::WriteFile(data.path() + QStringLiteral("/history.mxh"), QStringLiteral("kept"));
    const std::string before = Entries(data.path());

    // A stand-in for a LibreOffice that ends without writing anything.
    const QTemporaryDir bin;
    testsupport::WriteFile(bin.path() + QStringLiteral("/soffice"), QStringLiteral("#!/bin/sh\nexit 0\n"));
    QFile::setPermissions(bin.path() + QStringLiteral("/soffice"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const struct {
        const char* what;
        QString path;  // "" keeps PATH as it is
        bool written;
    } cases[] = {{"converted", QString(), true}, {"conversion failed", bin.path(), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::ScopedEnv path;
        if (!c.path.isEmpty()) path.set("PATH", c.path + QStringLiteral(":/usr/bin:/bin"));
        host->prompts.clear();
        const QString doc = Made(QStringLiteral("clean-") + QLatin1String(c.what)) + QStringLiteral("shop.doc");
        EXPECT_EQ(WordReport::Save(doc), c.written) << host->messages().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(QFileInfo(doc).isFile(), c.written);
        EXPECT_EQ(Entries(data.path()), before);
    }
}
