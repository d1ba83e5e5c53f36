#include "core/bGlobal.h"
#include "core/cXML.h"
#include "core/FileUtil.h"
#include "core/XmlText.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStringEncoder>
#include <QUrl>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

using testsupport::AppFolder;
using testsupport::ReadFile;

namespace {

// A reported error ends the program: under the scripted host ShowError's fallback
// calls endProgram, which throws ProgramEnded.
struct CXml : ::testing::Test {
    AppFolder folder;
    platform::ui::ScopedScriptedHost host;
};

void load(cXML& x, const char* text) { ASSERT_TRUE(x.LoadXMLContent(QString::fromUtf8(text))); }

}  // namespace

TEST_F(CXml, AttributeListsSplitAtFirstEquals) {
    cXML x;
    XmlNode root = x.InitXMLFile(QStringLiteral("ROOT"), {QStringLiteral("Description=a=b"), QString(), QStringLiteral("Empty="),
                                                          QStringLiteral("Name=first"), QStringLiteral("Name=last")});
    EXPECT_EQ(root.attribute(QStringLiteral("Description")), QStringLiteral("a=b"));
    EXPECT_TRUE(root.hasAttribute(QStringLiteral("Empty")));
    EXPECT_EQ(root.attribute(QStringLiteral("Empty")), QString());
    EXPECT_EQ(root.attribute(QStringLiteral("Name")), QStringLiteral("last"));
    // Names of any length and of non-ASCII letters.
    const QString longName = QString(70, QLatin1Char('N'));
    XmlNode other = x.CreateElement(QStringLiteral("X"), {longName + QStringLiteral("=v"), QStringLiteral("Größe=1")});
    EXPECT_EQ(other.attribute(longName), QStringLiteral("v"));
    EXPECT_EQ(other.attribute(QStringLiteral("Größe")), QStringLiteral("1"));
    // Attributes given apart are taken as they stand: "=" belongs to the value, and a
    // name given twice keeps its first place with the last value.
    XmlNode apart = x.NewElement(QStringLiteral("Y"), {{"Name", QStringLiteral("a=b")},
                                                      {"Empty", QString()},
                                                      {"Name", QStringLiteral("ä%1")}});
    EXPECT_EQ(apart.attributes(), (QList<std::pair<QString, QString>>{{QStringLiteral("Name"), QStringLiteral("ä%1")},
                                                                      {QStringLiteral("Empty"), QString()}}));
    EXPECT_TRUE(x.GetXMLContent().startsWith(QStringLiteral("<?xml version=\"1.0\"?>")));
    x.WriteXMLFile(folder.file(QStringLiteral("declared.xml")));
    EXPECT_EQ(ReadFileBytes(folder.file(QStringLiteral("declared.xml"))), x.GetXMLContent().toUtf8());
    // An entry without "=" is an error, which ends the program.
    EXPECT_THROW(x.CreateElement(QStringLiteral("X"), {QStringLiteral("NoEquals")}), platform::ui::ProgramEnded);
    EXPECT_TRUE(bGlobal::gErrorOccurred);
    EXPECT_EQ(host->prompts.last().kind, QStringLiteral("end"));
}

TEST_F(CXml, AppendChildCountsPositionsFromZero) {
    cXML x;
    x.InitXMLFile(QStringLiteral("DATABASESTRUCTURES"), {});
    for (int g = 0; g < 2; ++g) {
        x.CreateElement(QStringLiteral("DATABASEGROUP"), {QStringLiteral("Name=G%1").arg(g)});
        ASSERT_TRUE(x.AppendChild(QStringLiteral("DATABASESTRUCTURES"), 0));
    }
    x.CreateElement(QStringLiteral("DATABASECONNECTION"), {QStringLiteral("Name=C")});
    EXPECT_TRUE(x.AppendChild(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP"), 1));
    EXPECT_EQ(x.FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[1]/DATABASECONNECTION[0]"))
                  .parentNode().attribute(QStringLiteral("Name")),
              QStringLiteral("G1"));
    x.CreateElement(QStringLiteral("DATABASECONNECTION"), {});
    EXPECT_FALSE(x.AppendChild(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP"), 2));
    // CDATA follows the same rule.
    x.CreateCDataElement(QStringLiteral("create trigger t <BR/> begin end"));
    x.AppendCDataElement(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP"), 0);
    EXPECT_EQ(x.FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]")).text(),
              QStringLiteral("create trigger t <BR/> begin end"));
    EXPECT_TRUE(x.GetXMLContent().contains(QStringLiteral("<![CDATA[create trigger t <BR/> begin end]]>")));
}

TEST_F(CXml, SaveXmlOfSelectedObjectsKeepsOrderAndDropsFlags) {
    cXML x;
    load(x, R"(<DATABASE DatabaseName="shop" Report="1" Migrate="1">
        <VIEW Name="v1" Report="1" Migrate="0"/>
        <TABLE Name="a" Report="1" Migrate="1">
          <FOREIGNKEY Name="fk" Report="1"/>
          <TRIGGER Name="tr" Report="1"/>
          <INDEX Name="ix1" Report="0"/>
          <COLUMN Name="c1" Report="0"/>
          <INDEX Name="ix2" Report="1"/>
          <CHECK Name="ck" Report="1"/>
          <COLUMN Name="c2" Report="1"/>
        </TABLE>
        <TABLE Name="b" Report="0"><INDEX Name="ixb" Report="1"/><COLUMN Name="cb"/></TABLE>
        <STOREDPROCEDURE Name="p1" Report="1"/>
        <STOREDPROCEDURE Name="p2" Report="0"/>
        <VIEW Name="v2" Report="0"/>
      </DATABASE>)");
    const QString path = folder.file(QStringLiteral("out.xml"));
    x.SaveXML(path, true);
    cXML out;
    ASSERT_TRUE(out.LoadXMLFile(path));
    QStringList order;
    for (const XmlNode& n : out.GetNodes(QStringLiteral("//*"))) order << n.nodeName() + QLatin1Char(':') + n.attribute(QStringLiteral("Name"));
    EXPECT_EQ(order.join(QLatin1Char(' ')),
              QStringLiteral("DATABASE: TABLE:a COLUMN:c1 COLUMN:c2 INDEX:ix2 TRIGGER:tr FOREIGNKEY:fk VIEW:v1 STOREDPROCEDURE:p1"));
    const XmlNode db = out.FindNode(QStringLiteral("DATABASE"));
    EXPECT_EQ(db.attribute(QStringLiteral("Report")), QStringLiteral("1"));
    EXPECT_EQ(db.attribute(QStringLiteral("Migrate")), QStringLiteral("1"));
    EXPECT_TRUE(out.GetNodes(QStringLiteral("DATABASE//*[@Report or @Migrate]")).isEmpty());

    // Not selected: everything is written, still without the flags below DATABASE.
    x.SaveXML(path, false);
    ASSERT_TRUE(out.LoadXMLFile(path));
    EXPECT_EQ(out.GetNodes(QStringLiteral("//INDEX")).size(), 3);
    EXPECT_TRUE(out.GetNodes(QStringLiteral("DATABASE//*[@Report]")).isEmpty());
}

TEST_F(CXml, SaveXmlWithNoSelectedTablesWritesViewsAndProcedures) {
    cXML x;
    load(x, R"(<DATABASE DatabaseName="d"><TABLE Name="t" Report="0"><INDEX Name="i" Report="1"/></TABLE>
        <VIEW Name="v" Report="1"/><STOREDPROCEDURE Name="p" Report="1"/></DATABASE>)");
    const QString path = folder.file(QStringLiteral("out.xml"));
    x.SaveXML(path, true);
    EXPECT_EQ(ReadFile(path), QStringLiteral("<DATABASE DatabaseName=\"d\"><VIEW Name=\"v\"/><STOREDPROCEDURE Name=\"p\"/></DATABASE>\n"));
}

TEST_F(CXml, SaveXmlIntoUnwritableFolderTellsTheUser) {
    if (geteuid() == 0) {
        // root writes anywhere; a path under a file stands in for a folder that cannot
        // be written: told with the path, and the program goes on.
        cXML x;
        load(x, "<DATABASE/>");
        testsupport::WriteFile(folder.file(QStringLiteral("plain")), QStringLiteral("x"));
        EXPECT_NO_THROW(x.SaveXML(folder.file(QStringLiteral("plain/out.xml")), false));
        ASSERT_EQ(host->messages().size(), 1);
        EXPECT_TRUE(host->messages()[0].contains(folder.file(QStringLiteral("plain/out.xml")))) << qPrintable(host->messages()[0]);
        EXPECT_EQ(host->endedWith, -1);
        return;
    }
    QDir().mkpath(folder.file(QStringLiteral("locked")));
    QFile::setPermissions(folder.file(QStringLiteral("locked")), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    cXML x;
    load(x, "<DATABASE/>");
    x.SaveXML(folder.file(QStringLiteral("locked/out.xml")), false);
    EXPECT_EQ(host->messages(), QStringList{QStringLiteral("You dont have permission to save the xml in the selected folder.")});
}

TEST_F(CXml, QueriesAndRemoval) {
    cXML x;
    load(x, "<R><A n='1'><B/></A><A n='2'/></R>");
    EXPECT_TRUE(x.GetNodes(QString()).isEmpty());
    EXPECT_EQ(x.GetNodes(QStringLiteral("R/A")).size(), 2);
    EXPECT_EQ(x.FindNode(QStringLiteral("R/A[@n $eq$ '2']")).attribute(QStringLiteral("n")), QStringLiteral("2"));
    EXPECT_TRUE(x.FindNode(QStringLiteral("R/A[5]")).isNull());
    const QString before = x.GetXMLContent();
    EXPECT_EQ(x.RemoveXPath(QStringLiteral("R/A[0]"), QStringLiteral("C")), QString());
    EXPECT_EQ(x.RemoveXPath(QStringLiteral("R/Z"), QStringLiteral("B")), QString());
    EXPECT_EQ(x.GetXMLContent(), before);
    EXPECT_EQ(x.RemoveXPath(QStringLiteral("R/A[0]"), QStringLiteral("B")), QStringLiteral("<B/>"));
    EXPECT_FALSE(x.FindNode(QStringLiteral("R/A/B")));
    // A malformed path is an error that ends the program.
    EXPECT_THROW(x.FindNode(QStringLiteral("R/A[")), platform::ui::ProgramEnded);
}

TEST_F(CXml, RootNodeDocumentsAndStyleSheetInstruction) {
    cXML src;
    load(src, "<DATABASE><TABLE Name='t'/></DATABASE>");
    cXML preview;
    ASSERT_TRUE(preview.AppendRootNode(src.FindNode(QStringLiteral("DATABASE/TABLE")), QString()));
    EXPECT_EQ(preview.GetXMLContent(), QStringLiteral("<?xml version=\"1.0\"?>\n<TABLE Name=\"t\"/>\n"));
    ASSERT_TRUE(preview.AppendRootNode(src.FindNode(QStringLiteral("DATABASE")), QStringLiteral("styles/preview.xsl")));
    EXPECT_EQ(preview.GetXMLContent(),
              QStringLiteral("<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"styles/preview.xsl\"?>\n"
                             "<DATABASE><TABLE Name=\"t\"/></DATABASE>\n"));
    // The source is untouched and the node lives on after its document is replaced.
    XmlNode table = src.FindNode(QStringLiteral("DATABASE/TABLE"));
    src.LoadXMLContent(QStringLiteral("<OTHER/>"));
    EXPECT_EQ(table.attribute(QStringLiteral("Name")), QStringLiteral("t"));
}

TEST_F(CXml, NamespaceOnEveryNewDocument) {
    bGlobal::gReportNameSpace = QStringLiteral("morv");
    bGlobal::gReportNameSpaceURI = QStringLiteral("urn:morvalex");
    cXML x;
    x.InitXMLFile(QStringLiteral("DATABASEINDEX"), {});
    EXPECT_TRUE(x.GetXMLContent().contains(QStringLiteral("<DATABASEINDEX xmlns:morv=\"urn:morvalex\"/>")));
}

TEST_F(CXml, RefusesMalformedAndHostileXml) {
    testsupport::WriteFile(folder.file(QStringLiteral("secret.txt")), QStringLiteral("TOPSECRET"));
    const QString external = QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"file://%1\">]><r>&x;</r>")
                                 .arg(folder.file(QStringLiteral("secret.txt")));
    QString laughs = QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">");
    for (int i = 1; i < 10; ++i)
        laughs += QStringLiteral("<!ENTITY a%1 \"%2\">").arg(i).arg(QStringLiteral("&a%1;").arg(i == 1 ? QString() : QString::number(i - 1)).repeated(10));
    laughs += QStringLiteral("]><r>&a9;</r>");
    const QString cases[] = {QString(), QStringLiteral("<a>"), QStringLiteral("<a></b>"), QStringLiteral("text"),
                             QStringLiteral("<a/><b/>"), external, laughs,
                             QStringLiteral("<!DOCTYPE r SYSTEM \"http://127.0.0.1:9/x.dtd\"><r/>")};
    for (const QString& text : cases) {
        cXML x;
        EXPECT_FALSE(x.LoadXMLContent(text)) << qPrintable(text.left(80));
    }
    cXML x;
    EXPECT_FALSE(x.LoadXMLFile(folder.file(QStringLiteral("missing.xml"))));
}

// A document type declaration is refused by the parser itself, in whatever encoding
// the file is written, before any entity is expanded or any file it names is opened.
// The same document without one loads in every encoding, so the refusal is no failure
// to read the encoding. inotify tells whether the named file was opened at all.
TEST_F(CXml, RefusesADocumentTypeInEveryEncodingBeforeReadingAnything) {
    const QString secret = folder.file(QStringLiteral("secret.txt"));
    testsupport::WriteFile(secret, QStringLiteral("TOPSECRET"));
    QString laughs = QStringLiteral("<!DOCTYPE r [<!ENTITY a0 \"aaaaaaaaaa\">");
    for (int i = 1; i <= 7; ++i) laughs += QStringLiteral("<!ENTITY a%1 \"%2\">").arg(i).arg(QStringLiteral("&a%1;").arg(i - 1).repeated(10));
    laughs += QStringLiteral("]><r a=\"&a7;\">&a7;</r>");
    const struct {
        const char* name;
        QString body;
        bool loads;
    } payloads[] = {
        {"no document type", QStringLiteral("<r a=\"\u00e9\u4e2d\">text</r>"), true},
        {"nested entities", laughs, false},
        {"an external entity naming a local file", QStringLiteral("<!DOCTYPE r [<!ENTITY x SYSTEM \"file://%1\">]><r>&x;</r>").arg(secret), false},
        {"an external subset naming a local file", QStringLiteral("<!DOCTYPE r SYSTEM \"%1\"><r/>").arg(secret), false},
    };
    const struct {
        const char* name;
        QStringConverter::Encoding encoding;
        const char* declared;
        bool bom;
    } encodings[] = {
        {"UTF-8", QStringConverter::Utf8, "UTF-8", false},
        {"UTF-8 with a byte order mark", QStringConverter::Utf8, "UTF-8", true},
        {"UTF-16 LE with a byte order mark", QStringConverter::Utf16LE, "UTF-16", true},
        {"UTF-16 LE without one", QStringConverter::Utf16LE, "UTF-16", false},
        {"UTF-16 BE with a byte order mark", QStringConverter::Utf16BE, "UTF-16", true},
        {"UTF-16 BE without one", QStringConverter::Utf16BE, "UTF-16", false},
        {"UCS-4", QStringConverter::Utf32BE, "UCS-4", false},
    };
    const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    ASSERT_GE(inotify_add_watch(watcher, QFile::encodeName(secret).constData(), IN_OPEN | IN_ACCESS), 0);
    for (const auto& e : encodings) {
        for (const auto& p : payloads) {
            SCOPED_TRACE(std::string(e.name) + ", " + p.name);
            const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>").arg(QLatin1String(e.declared)) + p.body;
            QStringEncoder encode(e.encoding, e.bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
            const QByteArray bytes = encode(text);
            const QString path = folder.file(QStringLiteral("doc.xml"));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
            cXML x;
            QElapsedTimer clock;
            clock.start();
            EXPECT_EQ(x.LoadXMLFile(path), p.loads);
            EXPECT_LT(clock.elapsed(), 100);
            if (p.loads) {
                EXPECT_EQ(x.FindNode(QStringLiteral("r")).attribute(QStringLiteral("a")), QStringLiteral("\u00e9\u4e2d"));
            } else {
                EXPECT_FALSE(x.FindNode(QStringLiteral("r")));
            }
        }
    }
    char events[4096];
    EXPECT_LE(read(watcher, events, sizeof events), 0) << "the file named in an entity was opened";
    close(watcher);
}

TEST_F(CXml, RefusesElementsNestedDeeperThanLibxml2sOwnLimit) {
    // Elements nested depth levels deep, with text and a comment beside the innermost.
    const auto nested = [](int depth) {
        return QStringLiteral("<a>").repeated(depth - 1) + QStringLiteral("<b>x<!--c--></b>") + QStringLiteral("</a>").repeated(depth - 1);
    };
    const struct {
        int depth;
        bool loads;
    } cases[] = {{3, true}, {256, true}, {257, false}, {200000, false}};
    for (const auto& c : cases) {
        cXML x;
        EXPECT_EQ(x.LoadXMLContent(nested(c.depth)), c.loads) << c.depth;
        EXPECT_EQ(bool(x.FindNode(QStringLiteral("a"))), c.loads) << c.depth;
        const QString file = folder.file(QStringLiteral("deep.xml"));
        testsupport::WriteFile(file, nested(c.depth));
        EXPECT_EQ(x.LoadXMLFile(file), c.loads) << c.depth;
    }
    // Siblings do not add up: a wide, shallow document loads.
    cXML wide;
    EXPECT_TRUE(wide.LoadXMLContent(QStringLiteral("<r>") + QStringLiteral("<a><b/></a>").repeated(1000) + QStringLiteral("</r>")));
}

TEST_F(CXml, ApplyXslTransformsAndReportsABadStyleSheet) {
    cXML doc;
    load(doc, "<DATABASE DatabaseName='shop'><TABLE Name='a&lt;b'/></DATABASE>");
    cXML xsl;
    load(xsl, R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
        <xsl:output method="html"/>
        <xsl:template match="/"><p><xsl:value-of select="DATABASE/@DatabaseName"/>:<xsl:value-of select="DATABASE/TABLE/@Name"/></p></xsl:template>
      </xsl:stylesheet>)");
    EXPECT_EQ(doc.ApplyXSL(xsl).trimmed(), QStringLiteral("<p>shop:a&lt;b</p>"));
    cXML notXsl;
    load(notXsl, "<nothing/>");
    EXPECT_EQ(doc.ApplyXSL(notXsl), QString());
    EXPECT_EQ(host->messages(),
              QStringList{QStringLiteral("Please check the xsl that you have chosen to apply. Try again with the default xsl.")});
    // A style sheet may not write files.
    cXML writer;
    load(writer, R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
        xmlns:exsl="http://exslt.org/common" extension-element-prefixes="exsl">
        <xsl:template match="/"><exsl:document href="pwned.txt">x</exsl:document></xsl:template></xsl:stylesheet>)");
    doc.ApplyXSL(writer);
    EXPECT_FALSE(QFile::exists(QStringLiteral("pwned.txt")));
}

// What a style sheet includes or reads with document() is parsed as every other file:
// one with a document type declaration is refused, and the file its entity names is
// never read.
TEST_F(CXml, AStyleSheetCannotBringInADocumentType) {
    const QString secret = folder.file(QStringLiteral("secret.txt"));
    testsupport::WriteFile(secret, QStringLiteral("TOPSECRET"));
    const QString hostile = QStringLiteral("<!DOCTYPE r [<!ENTITY x SYSTEM \"file://%1\">]>").arg(secret);
    testsupport::WriteFile(folder.file(QStringLiteral("part.xsl")),
                           hostile + QStringLiteral("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                                                    "<xsl:template match=\"/\"><p>&x;</p></xsl:template></xsl:stylesheet>"));
    testsupport::WriteFile(folder.file(QStringLiteral("data.xml")), hostile + QStringLiteral("<r>&x;</r>"));
    const struct {
        const char* name;
        QString sheet;
    } cases[] = {
        {"xsl:include", QStringLiteral("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                                       "<xsl:include href=\"%1\"/></xsl:stylesheet>")
                            .arg(QUrl::fromLocalFile(folder.file(QStringLiteral("part.xsl"))).toString())},
        {"document()", QStringLiteral("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                                      "<xsl:template match=\"/\"><p><xsl:value-of select=\"document('%1')\"/></p></xsl:template>"
                                      "</xsl:stylesheet>")
                           .arg(folder.file(QStringLiteral("data.xml")))},
    };
    const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    ASSERT_GE(inotify_add_watch(watcher, QFile::encodeName(secret).constData(), IN_OPEN | IN_ACCESS), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cXML doc;
        load(doc, "<DATABASE/>");
        cXML xsl;
        ASSERT_TRUE(xsl.LoadXMLContent(c.sheet));
        EXPECT_FALSE(doc.ApplyXSL(xsl).contains(QStringLiteral("TOPSECRET")));
    }
    char events[4096];
    EXPECT_LE(read(watcher, events, sizeof events), 0) << "the file named in an entity was opened";
    close(watcher);
}

// Positional paths are walked with remembered positions; removing or moving a node must
// not leave a stale position behind.
TEST_F(CXml, PositionsStayRightAfterNodesAreRemovedOrMoved) {
    cXML x;
    x.InitXMLFile(QStringLiteral("DATABASE"), {});
    for (int t = 0; t < 6; ++t) {
        x.CreateElement(QStringLiteral("TABLE"), {QStringLiteral("Name=t%1").arg(t)});
        ASSERT_TRUE(x.AppendChild(QStringLiteral("DATABASE"), 0));
        x.CreateElement(QStringLiteral("COLUMN"), {QStringLiteral("Name=c%1").arg(t)});
        ASSERT_TRUE(x.AppendChild(QStringLiteral("DATABASE/TABLE"), t));
    }
    const auto name = [&](const QString& path) { return x.FindNode(path).attribute(QStringLiteral("Name")); };
    EXPECT_EQ(name(QStringLiteral("DATABASE/TABLE[4]")), QStringLiteral("t4"));
    EXPECT_EQ(name(QStringLiteral("/DATABASE/TABLE[5]/COLUMN[0]")), QStringLiteral("c5"));
    EXPECT_EQ(x.RemoveXPath(QStringLiteral("DATABASE"), QStringLiteral("TABLE[1]")).contains(QStringLiteral("t1")), true);
    EXPECT_EQ(name(QStringLiteral("DATABASE/TABLE[4]")), QStringLiteral("t5"));
    EXPECT_EQ(name(QStringLiteral("DATABASE/TABLE[1]")), QStringLiteral("t2"));
    // Moving a node (appending it again elsewhere) shifts the ones after it.
    x.CreateElement(QStringLiteral("VIEW"), {QStringLiteral("Name=v")});
    x.AppendChild(QStringLiteral("DATABASE/TABLE"), 0);
    EXPECT_EQ(name(QStringLiteral("DATABASE/TABLE[0]/VIEW[0]")), QStringLiteral("v"));
    x.AppendChild(QStringLiteral("DATABASE/TABLE"), 3);
    EXPECT_TRUE(x.FindNode(QStringLiteral("DATABASE/TABLE[0]/VIEW[0]")).isNull());
    EXPECT_EQ(name(QStringLiteral("DATABASE/TABLE[3]/VIEW[0]")), QStringLiteral("v"));
    EXPECT_EQ(x.GetNodes(QStringLiteral("DATABASE/TABLE/COLUMN")).size(), 5);
    EXPECT_EQ(x.GetNodes(QStringLiteral("DATABASE/TABLE[9]/COLUMN")).size(), 0);
}

TEST_F(CXml, XmlIllegalCharactersAreWrittenVisiblyAndReadBackReversibly) {
    const struct {
        QString name;
        QString stored;  // as the document holds it and the tree shows it
    } cases[] = {
        {QStringLiteral("a") + QChar(0x01) + QStringLiteral("b"), QStringLiteral("a_x0001_b")},
        {QString(QChar(0x08)) + QChar(0x0B) + QChar(0x0C) + QChar(0x1F), QStringLiteral("_x0008__x000B__x000C__x001F_")},
        {QStringLiteral("z") + QChar(0xFFFE) + QChar(0xFFFF), QStringLiteral("z_xFFFE__xFFFF_")},
        {QString(QChar(0)) + QStringLiteral("nul"), QStringLiteral("_x0000_nul")},
        // Tab, line feed and carriage return are legal and stay; a legal "_x0041_" stays as typed.
        {QStringLiteral("t\tl\nc\r_x0041_"), QStringLiteral("t\tl\nc\r_x0041_")},
    };
    for (const auto& c : cases) {
        cXML x;
        x.InitXMLFile(QStringLiteral("DATABASE"), {QStringLiteral("Name=") + c.name});
        XmlNode table = x.CreateElement(QStringLiteral("TABLE"), {QStringLiteral("Name=") + c.name});
        ASSERT_TRUE(x.AppendChild(QStringLiteral("DATABASE"), 0));
        table.setAttribute(QStringLiteral("Description"), c.name);
        x.CreateCDataElement(QStringLiteral("select '") + c.name + QStringLiteral("'"));
        x.AppendCDataElement(QStringLiteral("DATABASE/TABLE"), 0);

        cXML back;
        ASSERT_TRUE(back.LoadXMLContent(x.GetXMLContent())) << c.stored.toStdString();
        const XmlNode read = back.FindNode(QStringLiteral("DATABASE/TABLE"));
        for (const char* attribute : {"Name", "Description"}) {
            EXPECT_EQ(read.attribute(QLatin1String(attribute)), c.stored);
            EXPECT_EQ(XmlOriginalText(read.attribute(QLatin1String(attribute))), c.name);
        }
        // XML reads a carriage return in text as a line feed.
        EXPECT_EQ(XmlOriginalText(read.text()), QStringLiteral("select '") + QString(c.name).replace(QLatin1Char('\r'), QLatin1Char('\n')) +
                                                    QStringLiteral("'"));
        // A saved file holds the same text and reads back as well.
        x.CreateXMLFile(folder.file(QStringLiteral("hostile.xml")));
        EXPECT_EQ(ReadFileBytes(folder.file(QStringLiteral("hostile.xml"))), x.GetXMLContent().toUtf8());
        cXML file;
        EXPECT_TRUE(file.LoadXMLFile(folder.file(QStringLiteral("hostile.xml"))));
    }
    EXPECT_FALSE(bGlobal::gErrorOccurred);
}

TEST_F(CXml, DocumentsOverTenMegabytesReadBack) {
    // A 12 MB view text, and 20,003 elements.
    cXML x;
    x.InitXMLFile(QStringLiteral("DATABASE"), {QStringLiteral("Name=big")});
    x.CreateElement(QStringLiteral("VIEW"), {QStringLiteral("Name=v")});
    x.AppendChild(QStringLiteral("DATABASE"), 0);
    x.CreateCDataElement(QStringLiteral("select 1 as x from t union all\n").repeated(12 * 1024 * 1024 / 32));
    x.AppendCDataElement(QStringLiteral("DATABASE/VIEW"), 0);
    for (int i = 0; i < 20003; ++i) {
        x.CreateElement(QStringLiteral("TABLE"), {QStringLiteral("Name=t") + QString::number(i)});
        x.AppendChild(QStringLiteral("DATABASE"), 0);
    }
    const QString text = x.GetXMLContent();
    ASSERT_GT(text.size(), 12 * 1024 * 1024);
    x.WriteXMLFile(folder.file(QStringLiteral("big.xml")));
    EXPECT_TRUE(ReadFileBytes(folder.file(QStringLiteral("big.xml"))) == text.toUtf8());
    cXML back;
    ASSERT_TRUE(back.LoadXMLContent(text));
    EXPECT_EQ(back.GetNodes(QStringLiteral("DATABASE/TABLE")).size(), 20003);
    EXPECT_EQ(back.FindNode(QStringLiteral("DATABASE/VIEW")).text().size(), x.FindNode(QStringLiteral("DATABASE/VIEW")).text().size());
}

// A file that cannot be written whole (the disk fills up half way) is left as it was.
TEST_F(CXml, AWriteThatFailsHalfWayLeavesTheFileAsItWas) {
    cXML x;
    x.InitXMLFile(QStringLiteral("DATABASE"), {QStringLiteral("Name=big")});
    for (int i = 0; i < 20000; ++i) {
        x.CreateElement(QStringLiteral("TABLE"), {QStringLiteral("Name=t") + QString::number(i)});
        x.AppendChild(QStringLiteral("DATABASE"), 0);
    }
    const QString file = folder.file(QStringLiteral("kept.xml"));
    testsupport::WriteFile(file, QStringLiteral("<DATABASE Name=\"before\"/>"));
    size_t written = 0;
    SetWriteCallForTesting([&](int fd, const void* data, size_t size) -> ssize_t {
        if (written > 100 * 1024) {
            errno = ENOSPC;
            return -1;
        }
        written += size;
        return ::write(fd, data, size);
    });
    long number = 0;
    try {
        x.WriteXMLFile(file);
    } catch (const platform::RuntimeError& e) {
        number = e.number();
    }
    SetWriteCallForTesting({});
    EXPECT_EQ(number, platform::err::DiskFull);
    EXPECT_EQ(testsupport::ReadFile(file), QStringLiteral("<DATABASE Name=\"before\"/>"));
    EXPECT_EQ(QDir(folder.file(QString())).entryList({QStringLiteral("kept.xml*")}, QDir::Files), QStringList{QStringLiteral("kept.xml")});
}

TEST_F(CXml, HandlesIntoARemovedSubtreeStayReadable) {
    cXML x;
    load(x, "<ROOT><GROUP Name=\"g\"><ITEM Name=\"a\"><LEAF Name=\"deep\"/></ITEM></GROUP><GROUP Name=\"h\"/></ROOT>");
    const XmlNode item = x.FindNode(QStringLiteral("ROOT/GROUP[0]/ITEM[0]"));
    const XmlNode leaf = x.FindNode(QStringLiteral("ROOT/GROUP[0]/ITEM[0]/LEAF[0]"));
    ASSERT_TRUE(item && leaf);
    x.RemoveXPath(QStringLiteral("ROOT"), QStringLiteral("GROUP[0]"));
    // The handles still read their (now detached) nodes; under a memory checker this
    // is where a freed subtree would show.
    EXPECT_TRUE(item.isElement());
    EXPECT_EQ(leaf.attribute(QStringLiteral("Name")), QStringLiteral("deep"));
    EXPECT_EQ(item.parentNode().attribute(QStringLiteral("Name")), QStringLiteral("g"));
    EXPECT_FALSE(item.parentNode().parentNode());
    EXPECT_EQ(x.GetNodes(QStringLiteral("ROOT/GROUP")).size(), 1);

    // A clone that is never placed, and one placed after its source was removed, are
    // freed with the document (no leak, no double free).
    XmlNode root = x.DocumentElement();
    (void)root.cloneNode(true);
    root.appendChild(item.cloneNode(true));
    root.appendChild(leaf);
    EXPECT_EQ(x.GetNodes(QStringLiteral("ROOT/ITEM")).size(), 1);
    EXPECT_EQ(x.GetNodes(QStringLiteral("ROOT/LEAF")).size(), 1);
}

// Short attribute values are kept inside their text node; every way of reading,
// changing, copying, removing and transforming them must see the same values as long
// ones (15 and 16 bytes sit either side of the limit; "ä" is two bytes; texts under 64
// characters are converted without a heap copy).
TEST_F(CXml, ShortAndLongAttributeValuesReadChangeCopyAndTransformAlike) {
    const QStringList values = {QStringLiteral("1"), QStringLiteral("fifteen-bytes-x"), QStringLiteral("sixteen-bytes-xx"),
                                QStringLiteral("äääääää"), QStringLiteral("ääääääää"), QStringLiteral("a<b&\"c\""),
                                QStringLiteral("a much longer value than any pointer pair holds"), QString(63, QLatin1Char('x')),
                                QString(64, QLatin1Char('y')), QString(62, QLatin1Char('z')) + QStringLiteral("ä")};
    cXML x;
    x.InitXMLFile(QStringLiteral("DATABASE"), {});
    for (const QString& v : values) {
        x.CreateElement(QStringLiteral("COLUMN"), {QStringLiteral("Name=") + v, QStringLiteral("Empty=")});
        ASSERT_TRUE(x.AppendChild(QStringLiteral("DATABASE"), 0));
    }
    const XmlNodeList columns = x.GetNodes(QStringLiteral("DATABASE/COLUMN"));
    ASSERT_EQ(columns.size(), values.size());
    cXML copy;
    copy.InitXMLFile(QStringLiteral("COPY"), {});
    for (qsizetype i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(values[i].toStdString());
        XmlNode c = columns[i];
        EXPECT_EQ(c.attribute(QStringLiteral("Name")), values[i]);
        EXPECT_EQ(c.attributes().first().second, values[i]);
        EXPECT_EQ(x.FindNode(QStringLiteral("DATABASE/COLUMN[@Name $eq$ '%1']").arg(values[i])), c);
        copy.DocumentElement().appendChild(c);  // another document: copied in
    }
    for (qsizetype i = 0; i < values.size(); ++i) {
        XmlNode c = columns[i];
        c.setAttribute(QStringLiteral("Name"), values[(i + 1) % values.size()]);
        EXPECT_EQ(c.attribute(QStringLiteral("Name")), values[(i + 1) % values.size()]);
    }
    const XmlNodeList copied = copy.GetNodes(QStringLiteral("COPY/COLUMN"));
    ASSERT_EQ(copied.size(), values.size());
    for (qsizetype i = 0; i < values.size(); ++i) EXPECT_EQ(copied[i].attribute(QStringLiteral("Name")), values[i]);

    // Written out and read back, and seen by a style sheet, in document order.
    cXML reread;
    ASSERT_TRUE(reread.LoadXMLContent(copy.GetXMLContent()));
    cXML xsl;
    load(xsl, R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
        <xsl:output method="text"/>
        <xsl:template match="/"><xsl:for-each select="COPY/COLUMN"><xsl:value-of select="@Name"/>|</xsl:for-each></xsl:template>
      </xsl:stylesheet>)");
    EXPECT_EQ(reread.ApplyXSL(xsl), values.join(QLatin1Char('|')) + QLatin1Char('|'));
    EXPECT_EQ(copy.ApplyXSL(xsl), values.join(QLatin1Char('|')) + QLatin1Char('|'));

    // Removing the attributes and the elements frees what they hold (the sanitizer
    // build reads this).
    for (XmlNode c : copied) c.removeAttribute(QStringLiteral("Name"));
    EXPECT_FALSE(copied.first().hasAttribute(QStringLiteral("Name")));
    x.RemoveXPath(QStringLiteral("DATABASE"), QStringLiteral("COLUMN[0]"));
    EXPECT_EQ(x.GetNodes(QStringLiteral("DATABASE/COLUMN")).size(), values.size() - 1);
}
