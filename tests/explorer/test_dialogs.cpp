// The group dialog (checks, key filter, new and rename through the main window), the
// masking and reading behind the properties dialog, the about box, and screenshots of
// the three dialogs under the build folder.

#include "ExplorerFixture.h"
#include "core/TreeFill.h"
#include "core/frmAbout.h"
#include "explorer/ConnectionProperties.h"
#include "explorer/GroupName.h"
#include "explorer/TreeDocument.h"
#include "explorer/frmDatabaseGroup.h"
#include "explorer/frmProperties.h"
#include "support/AccessKeys.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

using namespace bGlobal;
using explorertest::Document;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << qPrintable(s) << '"'; }
QT_END_NAMESPACE

namespace {

QString Shots() {
    const QString shots = QStringLiteral(MORVALEX_BINARY_DIR) + QStringLiteral("/screenshots");
    QDir().mkpath(shots);
    return shots;
}

// Shows a dialog as it would appear and saves its picture.
void Screenshot(QWidget* dialog, const char* name) {
    dialog->show();
    QCoreApplication::processEvents();
    const QString file = Shots() + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    EXPECT_TRUE(dialog->grab().save(file)) << qPrintable(file);
}

// ---- passwords in connection strings ------------------------------------------------------

TEST(ConnectionStringMask, EveryPasswordValueIsHiddenAndNothingElseChanges) {
    const struct {
        QString in, out;
    } cases[] = {
        {QStringLiteral("Provider=SQLOLEDB;Password=secret;User ID=sa;Data Source=srv"),
         QStringLiteral("Provider=SQLOLEDB;Password=******;User ID=sa;Data Source=srv")},
        {QStringLiteral("DSN=shop;UID=me;Password=secret"), QStringLiteral("DSN=shop;UID=me;Password=******")},
        {QStringLiteral("DSN=shop;PWD=secret"), QStringLiteral("DSN=shop;Password=******")},
        {QStringLiteral("Database=mypwddb;PWD=secret"), QStringLiteral("Database=mypwddb;Password=******")},
        {QStringLiteral("Uid=pwd;Server=password;Pwd=secret"), QStringLiteral("Uid=pwd;Server=password;Password=******")},
        {QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;pWd = {se;cr}}et};Database=d"),
         QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Password=******;Database=d")},
        {QStringLiteral(" PASSWORD = 'sec;ret' ; Data Source=x"), QStringLiteral(" Password=******; Data Source=x")},
        {QStringLiteral("Password=\"sec\"\";ret\";DSN=q"), QStringLiteral("Password=******;DSN=q")},
        {QStringLiteral("Password={never closed;DSN=q"), QStringLiteral("Password=******")},
        {QStringLiteral("Provider=MSDASQL;Extended Properties=\"DSN=x;PWD=secret\""),
         QStringLiteral("Provider=MSDASQL;Extended Properties=\"DSN=x;Password=******\"")},
        {QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb;Jet OLEDB:Database Password=secret"),
         QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb;Jet OLEDB:Database Password=******")},
        {QStringLiteral("Driver={SQLite3};Database=/tmp/a;b.db;"), QStringLiteral("Driver={SQLite3};Database=/tmp/a;b.db;")},
        {QStringLiteral("Password="), QStringLiteral("Password=******")},
        {QString(), QString()},
    };
    for (const auto& k : cases) {
        const QString masked = ConnectionProperties::MaskConnectionString(k.in);
        EXPECT_EQ(masked, k.out) << qPrintable(k.in);
        EXPECT_FALSE(masked.contains(QLatin1String("sec"))) << qPrintable(k.in);
    }
}

// ---- the properties of a connection -------------------------------------------------------

struct Properties : explorertest::Fixture {};

TEST_F(Properties, ServerSettingsComeOnlyFromTheConnectionsOwnLoadedStructure) {
    auto tree = std::make_shared<cXML>();
    oLHXML = tree;
    TreeDocument::AddGroup(*tree, QStringLiteral("G"));
    gDatabaseName = QStringLiteral("loaded");
    TreeDocument::AddDBConnection(*tree, QStringLiteral("DSN=a;PWD=secret"));
    gDatabaseName = QStringLiteral("stopped");
    TreeDocument::AddDBConnection(*tree, QStringLiteral("DSN=b"));
    tree->FindNode(TreeDocument::ConnectionPath(0, 0)).setAttribute(QStringLiteral("TempXMLFileName"), QStringLiteral("/tmp/x.xml"));
    auto structure = Document(QStringLiteral("<DATABASE Language=\"us_english\" Max_Connections=\"32767\" Lock_Timeout=\"-1\"/>"));

    const struct {
        int c;
        QStringList settings;
    } cases[] = {
        {0, {u"us_english"_s, u"32767"_s, u"N/A"_s, u"-1"_s}},
        {1, {u"N/A"_s, u"N/A"_s, u"N/A"_s, u"N/A"_s}},  // not read in this run: the document is another's
    };
    for (const auto& k : cases) {
        gServerName.clear();
        gDatabaseName.clear();
        const auto v = ConnectionProperties::Read(*tree, 0, k.c, structure.get());
        EXPECT_TRUE(v.found);
        EXPECT_EQ(QStringList({v.language, v.maxConnections, v.maxPrecision, v.lockTimeout}), k.settings) << k.c;
        EXPECT_EQ(v.tables + v.indexes + v.triggers + v.views + v.procedures, 0);
        EXPECT_EQ(v.createdBy, gCurrentUser);
    }
    EXPECT_EQ(ConnectionProperties::Read(*tree, 0, 0, nullptr).connectionString, QStringLiteral("DSN=a;Password=******"));
    EXPECT_FALSE(ConnectionProperties::Read(*tree, 0, 5, structure.get()).found);
}

// ---- the group dialog ------------------------------------------------------------------------

struct GroupDialog : explorertest::Fixture {
    frmDatabaseExplorer* w = nullptr;
    void SetUp() override {
        Fixture::SetUp();
        w = &OpenWindow();
        w->AddNewGroupName(QStringLiteral("Second"));
    }
    QStringList Groups() {
        QStringList out;
        for (const XmlNode& g : oLHXML->GetNodes(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP")))
            out << g.attribute(QStringLiteral("Name")) + QLatin1Char('/') + g.attribute(QStringLiteral("Key"));
        return out;
    }
    // Shows the dialog, types name into the box and presses OK; returns the messages
    // and whether the dialog stayed.
    std::pair<QStringList, bool> Run(const QString& action, const QString& current, const QString& name) {
        bool stayed = false;
        host->prompts.clear();
        host->onModal = [&](QObject* window) {
            auto* dialog = qobject_cast<frmDatabaseGroup*>(window);
            ASSERT_TRUE(dialog);
            dialog->txtGroupName->setText(name);
            dialog->cmdOK->click();
            stayed = frmDatabaseGroup::exists();
            if (stayed) dialog->cmdCancel->click();
        };
        frmDatabaseGroup::ShowDialog(action, current);
        host->onModal = nullptr;
        return {host->messages(), stayed};
    }
};

TEST_F(GroupDialog, NamesAreCheckedInOrderAndAcceptedOnesReachTheTree) {
    const QString base = QStringLiteral("Morvalex Group/Morvalex Group");
    const struct {
        const char* action;
        QString name;
        QString message;  // "" when accepted
        QStringList groups;
    } cases[] = {
        {"New", QStringLiteral(""), QStringLiteral("Please enter a valid Database Group name"), {}},
        {"New", QStringLiteral("   "), QStringLiteral("Please enter a valid Database Group name"), {}},
        {"NEW", QStringLiteral("Second"), QStringLiteral("Group already exists."), {}},
        {"new", QStringLiteral("2020Sales"), QStringLiteral("Group name cannot start with numbers"), {}},
        {"New", QStringLiteral("  Sales2020 "), QString(), {QStringLiteral("Sales2020/Sales2020")}},
        {"New", QStringLiteral("second"), QString(), {QStringLiteral("second/second")}},
        {"Rename", QStringLiteral("Second"), QStringLiteral("Group already exists."), {}},
        {"rename", QStringLiteral("Archive"), QString(), {}},
        {"Other", QStringLiteral("Nothing"), QString(), {}},
    };
    for (const auto& k : cases) {
        gGroupIndex = 1;
        const QStringList before = Groups();
        const auto [messages, stayed] = Run(QLatin1String(k.action), QStringLiteral("Second"), k.name);
        EXPECT_EQ(stayed, !k.message.isEmpty()) << qPrintable(k.name);
        EXPECT_EQ(messages, k.message.isEmpty() ? QStringList() : QStringList{k.message}) << qPrintable(k.name);
        if (!k.message.isEmpty()) {
            EXPECT_EQ(host->prompts[1].icon, platform::ui::Icon::Critical);
            EXPECT_EQ(host->prompts[1].title, QStringLiteral("Morvalex 4.0"));
            EXPECT_EQ(Groups(), before) << qPrintable(k.name);
        } else if (QLatin1String(k.action).compare(QLatin1String("rename"), Qt::CaseInsensitive) == 0) {
            QStringList expected = before;
            expected[1] = QStringLiteral("Archive/Archive");
            EXPECT_EQ(Groups(), expected);
            w->RenameCurrentGroup(QStringLiteral("Second"));
        } else {
            EXPECT_EQ(Groups(), before + k.groups) << qPrintable(k.name);
        }
    }
    EXPECT_EQ(Groups().first(), base);
    // The tree shows the groups made.
    QStringList shown;
    for (int g = 0; g < w->trvMain->topLevelItem(0)->childCount(); ++g) shown << w->trvMain->topLevelItem(0)->child(g)->text(0);
    EXPECT_EQ(shown, QStringList({u"Morvalex Group"_s, u"Second"_s, u"Sales2020"_s, u"second"_s}));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(GroupDialog, TheBoxTakesOnlyLettersDigitsAndUnderscores) {
    EXPECT_EQ(GroupName::Filtered(QStringLiteral("a-b. c_1\u00e9")), QStringLiteral("abc_1"));
    host->onModal = [&](QObject* window) {
        auto* dialog = qobject_cast<frmDatabaseGroup*>(window);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Rename Database Group"));
        EXPECT_EQ(dialog->txtGroupName->text(), QStringLiteral("Second"));
        dialog->txtGroupName->clear();
        for (QChar ch : QStringLiteral("a-b. c_1\u00e9")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(dialog->txtGroupName, &press);
        }
        EXPECT_EQ(dialog->txtGroupName->text(), QStringLiteral("abc_1"));
        QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
        QApplication::sendEvent(dialog->txtGroupName, &backspace);
        EXPECT_EQ(dialog->txtGroupName->text(), QStringLiteral("abc_"));
        // Pasted text is filtered too.
        dialog->txtGroupName->insert(QStringLiteral("x y-z"));
        EXPECT_EQ(dialog->txtGroupName->text(), QStringLiteral("abc_xyz"));
        dialog->cmdCancel->click();
    };
    frmDatabaseGroup::ShowDialog(QStringLiteral("Rename"), QStringLiteral("Second"));
    EXPECT_FALSE(frmDatabaseGroup::exists());
    EXPECT_EQ(Groups().size(), 2);
}

TEST_F(GroupDialog, TheTreeMenusOpenItForNewAndRename) {
    QTreeWidgetItem* second = TreeNodes::FindByKey(w->trvMain, QStringLiteral("Second"));
    ASSERT_TRUE(second);
    w->trvMain_MouseDown(2, 0, w->trvMain->visualItemRect(second).center());
    QStringList seen;
    host->onModal = [&](QObject* window) {
        auto* dialog = qobject_cast<frmDatabaseGroup*>(window);
        ASSERT_TRUE(dialog);
        seen << dialog->windowTitle() + QLatin1Char(':') + dialog->txtGroupName->text();
        dialog->txtGroupName->setText(QStringLiteral("Renamed"));
        dialog->cmdOK->click();
    };
    w->mnuSubLevel2_Click(1);
    w->trvMain_MouseDown(2, 0, w->trvMain->visualItemRect(w->trvMain->topLevelItem(0)).center());
    host->onModal = [&](QObject* window) {
        auto* dialog = qobject_cast<frmDatabaseGroup*>(window);
        ASSERT_TRUE(dialog);
        seen << dialog->windowTitle() + QLatin1Char(':') + dialog->txtGroupName->text();
        dialog->txtGroupName->setText(QStringLiteral("Third"));
        dialog->cmdOK->click();
    };
    w->mnuSubLevel1_Click(0);
    host->onModal = nullptr;
    for (int i = 1; i <= 4; ++i) w->mnuLevel[i]->hide();
    EXPECT_EQ(seen, QStringList({u"Rename Database Group:Second"_s, u"Create Database Group:"_s}));
    EXPECT_EQ(Groups(), QStringList({u"Morvalex Group/Morvalex Group"_s, u"Renamed/Renamed"_s, u"Third/Third"_s}));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(GroupDialog, Screenshot) {
    host->onModal = [&](QObject* window) {
        auto* dialog = qobject_cast<frmDatabaseGroup*>(window);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->lblGroupName->buddy(), dialog->txtGroupName);
        EXPECT_EQ(dialog->fraGroupInfo->title(), QStringLiteral("Group Information"));
        dialog->txtGroupName->setText(QStringLiteral("Sales_2024"));
        Screenshot(dialog, "group-dialog");
        dialog->cmdCancel->click();
    };
    frmDatabaseGroup::ShowDialog(QStringLiteral("New"));
}

// Each access key of the group dialog and the about box, pressed in the shown dialog:
// claimed once, and doing what its caption names.
TEST_F(GroupDialog, EachAccessKeyOfTheSmallDialogsDoesWhatItsCaptionNames) {
    const struct {
        const char* what;
        std::function<void()> open;
        QString typed;  // into the group name box first
        QChar key;
        bool staysOpen;
        QStringList groups;  // afterwards
    } cases[] = {
        {"group name box", [] { frmDatabaseGroup::ShowDialog(QStringLiteral("New")); }, QString(), u'G', true,
         {u"Morvalex Group/Morvalex Group"_s, u"Second/Second"_s}},
        {"OK", [] { frmDatabaseGroup::ShowDialog(QStringLiteral("New")); }, QStringLiteral("Third"), u'O', false,
         {u"Morvalex Group/Morvalex Group"_s, u"Second/Second"_s, u"Third/Third"_s}},
        {"Cancel", [] { frmDatabaseGroup::ShowDialog(QStringLiteral("New")); }, QStringLiteral("Fourth"), u'C', false,
         {u"Morvalex Group/Morvalex Group"_s, u"Second/Second"_s, u"Third/Third"_s}},
        {"about box OK", [this] { frmAbout::ShowDialog(w); }, QString(), u'O', false,
         {u"Morvalex Group/Morvalex Group"_s, u"Second/Second"_s, u"Third/Third"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        bool open = false;
        host->onModal = [&](QObject* window) {
            auto* dialog = qobject_cast<QWidget*>(window);
            ASSERT_TRUE(dialog);
            dialog->show();
            QApplication::setActiveWindow(dialog);
            EXPECT_EQ(testsupport::Clashes(testsupport::VisibleAccessKeys(dialog)).join(QStringLiteral("; ")), QString());
            auto* group = qobject_cast<frmDatabaseGroup*>(window);
            if (group && !c.typed.isEmpty()) group->txtGroupName->setText(c.typed);
            testsupport::PressAlt(dialog, c.key);
            open = frmDatabaseGroup::exists() || frmAbout::exists();
            if (open && group) {
                EXPECT_EQ(QApplication::focusWidget(), group->txtGroupName);
                group->cmdCancel->click();
            }
        };
        c.open();
        host->onModal = nullptr;
        EXPECT_EQ(open, c.staysOpen);
        EXPECT_EQ(Groups(), c.groups);
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// ---- the about box -----------------------------------------------------------------------------

struct AboutBox : explorertest::Fixture {};

TEST_F(AboutBox, ShowsTitleVersionAndBuildAndItsLinksOpenTheHelpPage) {
    frmDatabaseExplorer& w = OpenWindow();
    bool shown = false;
    host->onModal = [&](QObject* window) {
        auto* box = qobject_cast<frmAbout*>(window);
        ASSERT_TRUE(box);
        shown = true;
        EXPECT_EQ(box->windowTitle(), QStringLiteral("About Morvalex 4.0 Vizavodizo"));
        EXPECT_EQ(box->lblTitle->text(), QStringLiteral("Morvalex 4.0 Vizavodizo"));
        EXPECT_EQ(box->lblVersion->text(), QStringLiteral("Version 4.02   Build: ") + QString::number(gBuildNumber));
        EXPECT_EQ(box->lbMorvalex->text(),
                  QStringLiteral("Morvalex is a database documentation and structure migration tool from Kestrova."));
        EXPECT_EQ(box->parentWidget(), &w);
        for (QLabel* link : {box->lblKestrova, box->lblKestrovaLink, box->lblDunmereLink}) emit link->linkActivated(QStringLiteral("#"));
        Screenshot(box, "about-box");
        box->cmdOK->click();
    };
    w.mnuSubHelp_Click(3);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(frmAbout::exists());
    EXPECT_EQ(host->openedUrls, QStringList(3, gHelpFile));
    EXPECT_TRUE(QFileInfo::exists(gHelpFile)) << qPrintable(gHelpFile);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// ---- a larger system font ----------------------------------------------------------------------

struct LargerFont : explorertest::Fixture {};

TEST_F(LargerFont, TheDialogsGrowWithTheFont) {
    const auto hints = [] {
        QList<QSize> out;
        out << frmDatabaseGroup::instance().sizeHint() << frmProperties::instance().sizeHint() << frmAbout::instance().sizeHint();
        frmDatabaseGroup::instance().Unload();
        frmProperties::instance().Unload();
        frmAbout::instance().Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return out;
    };
    const QFont normal = QApplication::font();
    const QList<QSize> before = hints();
    QFont large = normal;
    large.setPointSizeF(normal.pointSizeF() * 2);
    QApplication::setFont(large);
    const QList<QSize> after = hints();
    QApplication::setFont(normal);
    for (int i = 0; i < before.size(); ++i) {
        EXPECT_GT(after[i].width(), before[i].width() * 3 / 2) << i;
        EXPECT_GT(after[i].height(), before[i].height() * 6 / 5) << i;  // margins stay
    }
}

}  // namespace
