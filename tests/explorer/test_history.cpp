// The history file: first run, round trip, damaged and unwritable files.

#include "ExplorerFixture.h"
#include "core/FileUtil.h"
#include "core/XmlText.h"
#include "explorer/HistoryFile.h"
#include "explorer/TreeDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <functional>
#include <sys/stat.h>

using namespace bGlobal;
using explorertest::AttributeNames;
using explorertest::Document;

namespace {

struct History : explorertest::Fixture {
    HistoryFile::Encipher encipher = [](const QString& text, const QString& pass) { return EncryptText(text, pass); };

    QString Deciphered() { return DecryptText(testsupport::ReadFile(HistoryFile::Path()), gPassPhrase4); }
};

// A tree document as a run leaves it: stale positions, temporary files, folders, a
// deleted group.
const QString kTree = QStringLiteral(
    "<DATABASESTRUCTURES CreatedOn=\"1/1/2004 9:00:00\" Version=\"4.0\" Name=\"Database Structures\" Key=\"Database Structures\" RHXPath=\"1\">"
    "<DATABASEGROUP Name=\"Old\" Key=\"Old\" CreatedOn=\"c\" RHXPath=\"2.0\" Deleted=\"1\"/>"
    "<DATABASEGROUP Name=\"Work\" Key=\"Work\" CreatedOn=\"c\" RHXPath=\"2.7\" Deleted=\"0\">"
    "<DATABASECONNECTION Name=\"Sales\" Key=\"Sales|1|0\" ConnectionString=\"Driver=SQLite3;Database=/x.db\" RHXPath=\"3.4\" "
    "CreatedOn=\"d\" DatabaseType=\"12\" Deleted=\"0\" ServerName=\"s\" ServerType=\"OTHERS\" CreatedBy=\"u\" XMLFile=\" \" "
    "TempXMLFileName=\"/tmp/AB.xml\" CurrentMXSFile=\"/home/u/sales.mxs\" SourceType=\"DB\">"
    "<TABLES Name=\"Tables\" Key=\"Tables|1|0\" RHXPath=\"4\" Description=\"d\"/></DATABASECONNECTION>"
    "<DATABASECONNECTION Name=\"Stock\" Key=\"Stock|1|1\" ConnectionString=\" \" RHXPath=\"3.9\" CreatedOn=\"d\" DatabaseType=\"9\" "
    "Deleted=\"0\" ServerName=\"f\" ServerType=\"MS Access 2000\" CreatedBy=\"u\" XMLFile=\"/home/u/stock.mxs\" "
    "TempXMLFileName=\" \" CurrentMXSFile=\" \" SourceType=\"FILE\"/>"
    "</DATABASEGROUP>"
    "<DATABASEGROUP Name=\"Empty\" Key=\"Empty\" CreatedOn=\"c\" RHXPath=\"2.8\" Deleted=\"0\"/>"
    "</DATABASESTRUCTURES>");

}  // namespace

TEST_F(History, FirstRunStartsTheRootAndTheDefaultGroupInBothDocuments) {
    cXML history, tree;
    const auto result = HistoryFile::Load(history, tree);
    EXPECT_EQ(result.found, HistoryFile::Found::None);
    EXPECT_EQ(TreeDocument::ContentOf(history), TreeDocument::ContentOf(tree));
    const XmlNode group = tree.FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]"));
    ASSERT_TRUE(group);
    EXPECT_EQ(AttributeNames(group), QStringList({QStringLiteral("Name"), QStringLiteral("Key"), QStringLiteral("CreatedOn"),
                                                  QStringLiteral("RHXPath"), QStringLiteral("Deleted")}));
    EXPECT_EQ(group.attribute(QStringLiteral("Name")), QStringLiteral("Morvalex Group"));
    EXPECT_EQ(group.attribute(QStringLiteral("Key")), QStringLiteral("Morvalex Group"));
    EXPECT_EQ(group.attribute(QStringLiteral("RHXPath")), QStringLiteral("2.0"));
    EXPECT_EQ(tree.GetNodes(QStringLiteral("DATABASESTRUCTURES/*")).size(), 1);
    EXPECT_FALSE(QFileInfo::exists(HistoryFile::Path()));
}

TEST_F(History, RoundTripKeepsGroupsAndConnectionsRenumberedWithoutTemporaryFiles) {
    auto tree = Document(kTree);
    cXML history;
    HistoryFile::Generate(*tree, history);
    ASSERT_EQ(HistoryFile::Save(history, encipher), HistoryFile::Saved::Written);

    cXML loadedHistory, loadedTree;
    ASSERT_EQ(HistoryFile::Load(loadedHistory, loadedTree).found, HistoryFile::Found::Read);
    EXPECT_EQ(TreeDocument::ContentOf(loadedHistory), TreeDocument::ContentOf(loadedTree));
    const XmlNode root = loadedTree.FindNode(QStringLiteral("DATABASESTRUCTURES"));
    EXPECT_EQ(root.attribute(QStringLiteral("CreatedOn")), QStringLiteral("1/1/2004 9:00:00"));
    EXPECT_EQ(root.attribute(QStringLiteral("Version")), QStringLiteral("4.0"));

    // The deleted group is gone; the others are counted afresh from 0.
    const XmlNodeList groups = loadedTree.GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP"));
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0].attribute(QStringLiteral("Name")), QStringLiteral("Work"));
    EXPECT_EQ(groups[0].attribute(QStringLiteral("RHXPath")), QStringLiteral("2.0"));
    EXPECT_EQ(groups[1].attribute(QStringLiteral("RHXPath")), QStringLiteral("2.1"));
    EXPECT_FALSE(groups[1].hasChildNodes());

    const XmlNodeList connections = groups[0].selectNodes(QStringLiteral("DATABASECONNECTION"));
    ASSERT_EQ(connections.size(), 2);
    const XmlNode sales = connections[0];
    EXPECT_FALSE(sales.hasChildNodes());  // folders are not kept
    EXPECT_EQ(sales.attribute(QStringLiteral("RHXPath")), QStringLiteral("3.0"));
    EXPECT_EQ(connections[1].attribute(QStringLiteral("RHXPath")), QStringLiteral("3.1"));
    EXPECT_EQ(sales.attribute(QStringLiteral("TempXMLFileName")), QString());
    EXPECT_EQ(sales.attribute(QStringLiteral("CurrentMXSFile")), QString());
    // Every other attribute stands as it was, in its place.
    const XmlNode original = tree->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[1]/DATABASECONNECTION[0]"));
    EXPECT_EQ(AttributeNames(sales), AttributeNames(original));
    for (const auto& [name, value] : original.attributes())
        if (name != QLatin1String("RHXPath") && name != QLatin1String("TempXMLFileName") && name != QLatin1String("CurrentMXSFile")) {
            EXPECT_EQ(sales.attribute(name), value) << qPrintable(name);
        }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(History, AnUnchangedTreeLeavesTheHistoryDocumentAsLoaded) {
    auto tree = Document(kTree);
    auto history = Document(kTree);
    const QString before = TreeDocument::ContentOf(*history);
    HistoryFile::Generate(*tree, *history);
    EXPECT_EQ(TreeDocument::ContentOf(*history), before);
}

TEST_F(History, ADamagedFileIsKeptAsideAndBothDocumentsStayEmpty) {
    const struct {
        const char* what;
        QString content;
    } damaged[] = {{"not a cipher text", QStringLiteral("garbage")},
                   {"deciphers but is no document", EncryptText(QStringLiteral("no xml here"), gPassPhrase4)},
                   {"another pass phrase", EncryptText(kTree, gPassPhrase3)}};
    QString expectedName = HistoryFile::Path() + QStringLiteral(".damaged");
    int n = 0;
    for (const auto& d : damaged) {
        testsupport::WriteFile(HistoryFile::Path(), d.content);
        cXML history, tree;
        const auto result = HistoryFile::Load(history, tree);
        EXPECT_EQ(result.found, HistoryFile::Found::Damaged) << d.what;
        EXPECT_EQ(result.keptAs, expectedName) << d.what;
        EXPECT_EQ(testsupport::ReadFile(result.keptAs), d.content) << d.what;
        EXPECT_FALSE(QFileInfo::exists(HistoryFile::Path())) << d.what;
        EXPECT_TRUE(TreeDocument::ContentOf(history).isEmpty()) << d.what;
        EXPECT_TRUE(TreeDocument::ContentOf(tree).isEmpty()) << d.what;
        // An empty history is never written.
        EXPECT_EQ(HistoryFile::Save(history, encipher), HistoryFile::Saved::Empty);
        EXPECT_FALSE(QFileInfo::exists(HistoryFile::Path()));
        expectedName = HistoryFile::Path() + QStringLiteral(".damaged.") + QString::number(++n);
    }
}

TEST_F(History, AFailedCipherOrWriteLeavesTheOldFile) {
    auto tree = Document(kTree);
    cXML history;
    HistoryFile::Generate(*tree, history);
    testsupport::WriteFile(HistoryFile::Path(), QStringLiteral("old"));

    for (const char* code : {"-1", "-3", ""}) {
        const auto failing = [code](const QString&, const QString&) { return QLatin1String(code); };
        EXPECT_EQ(HistoryFile::Save(history, failing), HistoryFile::Saved::CipherFailed) << code;
        EXPECT_EQ(testsupport::ReadFile(HistoryFile::Path()), QStringLiteral("old"));
    }

    // A folder in the file's place cannot be replaced.
    QFile::remove(HistoryFile::Path());
    QDir().mkpath(HistoryFile::Path());
    EXPECT_THROW(HistoryFile::Save(history, encipher), platform::RuntimeError);
    EXPECT_TRUE(QFileInfo(HistoryFile::Path()).isDir());
    EXPECT_TRUE(QDir(bGlobal::DataPath()).entryList({QStringLiteral("*.mxh*")}, QDir::Files).isEmpty());
}

TEST_F(History, ALargeHistoryWithHostileNamesReadsBack) {
    // Over 10 MB of plain text: 20,003 groups with long names, one named with control
    // characters.
    const QString hostile = QStringLiteral("Sales") + QChar(0x01) + QChar(0x1F) + QChar(0xFFFF);
    QString text = QStringLiteral("<DATABASESTRUCTURES CreatedOn=\"c\" Version=\"4.0\" Name=\"Database Structures\" "
                                  "Key=\"Database Structures\" RHXPath=\"1\">");
    const QString padding = QStringLiteral("g").repeated(300);
    for (int i = 0; i < 20003; ++i)
        text += QStringLiteral("<DATABASEGROUP Name=\"%1%2\" Key=\"%1%2\" CreatedOn=\"c\" RHXPath=\"2.%2\" Deleted=\"0\"/>")
                    .arg(padding)
                    .arg(i);
    text += QStringLiteral("</DATABASESTRUCTURES>");
    auto tree = Document(text);
    tree->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[7]")).setAttribute(QStringLiteral("Name"), hostile);
    cXML history;
    HistoryFile::Generate(*tree, history);
    ASSERT_GT(TreeDocument::ContentOf(history).toUtf8().size(), 10 * 1024 * 1024);
    ASSERT_EQ(HistoryFile::Save(history, encipher), HistoryFile::Saved::Written);

    cXML loaded, loadedTree;
    EXPECT_EQ(HistoryFile::Load(loaded, loadedTree).found, HistoryFile::Found::Read);
    EXPECT_EQ(loaded.GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP")).size(), 20003);
    EXPECT_EQ(XmlOriginalText(loaded.FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[7]")).attribute(QStringLiteral("Name"))),
              hostile);
}

TEST_F(History, AFileThatCannotBeOpenedIsNamedAndLeftWhereItIs) {
    const QString path = HistoryFile::Path();
    const struct {
        const char* what;
        std::function<void()> make;
        std::function<bool()> stillThere;
    } cases[] = {
        {"a FIFO", [&] { ::mkfifo(QFile::encodeName(path).constData(), 0600); },
         [&] {
             struct stat st {};
             return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
         }},
        {"a folder", [&] { QDir().mkpath(path); }, [&] { return QFileInfo(path).isDir(); }},
    };
    for (const auto& c : cases) {
        c.make();
        cXML history, tree;
        const auto result = HistoryFile::Load(history, tree);
        EXPECT_EQ(result.found, HistoryFile::Found::Damaged) << c.what;
        EXPECT_TRUE(result.keptAs.isEmpty()) << c.what;
        EXPECT_TRUE(result.problem.contains(path)) << c.what << ": " << result.problem.toStdString();
        EXPECT_TRUE(c.stillThere()) << c.what;
        EXPECT_TRUE(TreeDocument::ContentOf(tree).isEmpty()) << c.what;
        QFile::remove(path);
        QDir().rmdir(path);
    }
}

TEST_F(History, AFullDiskLeavesTheOldFile) {
    auto tree = Document(kTree);
    cXML history;
    HistoryFile::Generate(*tree, history);
    ASSERT_EQ(HistoryFile::Save(history, encipher), HistoryFile::Saved::Written);
    const QString old = testsupport::ReadFile(HistoryFile::Path());
    tree->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[1]")).setAttribute(QStringLiteral("Name"), QStringLiteral("Renamed"));
    HistoryFile::Generate(*tree, history);
    SetWriteCallForTesting([](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    });
    try {
        HistoryFile::Save(history, encipher);
        ADD_FAILURE() << "a full disk must be reported";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), platform::err::DiskFull);
    }
    SetWriteCallForTesting({});
    EXPECT_EQ(testsupport::ReadFile(HistoryFile::Path()), old);
}
