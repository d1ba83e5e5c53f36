// The main window's File menu: structure files (*.mxs), a connection's refresh from
// its database or its file, and the command line.

#include "core/FileUtil.h"
#include "core/ObjectMarks.h"
#include "core/TreeFill.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/StructureFile.h"
#include "explorer/TreeDocument.h"
#include "explorer/frmDatabaseExplorer.h"
#include "explorer/frmDatabaseGroup.h"
#include "import/cADODB.h"
#include "platform/ui/Host.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

using namespace bGlobal;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

const QString kStructureFilter = QStringLiteral("Morvalex Database ScreenShot file (*.mxs)");

// A value of one blank counts as empty.
QString attributeText(const XmlNode& node, const QString& name) {
    const QString value = node.attribute(name);
    return value == QLatin1String(" ") ? QString() : value;
}

XmlNode currentConnection() {
    if (!oLHXML || !oLHXML->HasDocument()) return XmlNode();
    return oLHXML->FindNode(TreeDocument::ConnectionPath(gGroupIndex, gConnectionIndex));
}

int connectionCount(int g) {
    if (!oLHXML || !oLHXML->HasDocument()) return 0;
    return int(oLHXML->GetNodes(TreeDocument::GroupPath(g) + QStringLiteral("/DATABASECONNECTION")).size());
}

// A copy of the tree document to change; it replaces oLHXML only when the change
// succeeded.
std::shared_ptr<cXML> copyOfTree() {
    auto copy = std::make_shared<cXML>();
    copy->LoadXMLContent(oLHXML->GetXMLContent());
    return copy;
}

}  // namespace

void frmDatabaseExplorer::mnuSubFile_Click(int Index) {
    CommandTrap(source("mnuSubFile_Click"), [&] {
        if (trvMain->topLevelItemCount() == 0 || trvMain->topLevelItem(0)->childCount() == 0)
            AddNewGroupName(QStringLiteral("Morvalex Group"));
        if (Index == 0) gConnectionIndex = qint16(connectionCount(gGroupIndex));
        switch (Index) {
        case 0: {
            QString file;
            OpenStructure(file);
            break;
        }
        case 1: SaveStructure(false); break;
        case 2: SaveStructure(true); break;
        case 4: frmDatabaseGroup::ShowDialog(QStringLiteral("New")); break;
        case 5: ShowImportWizard(QString()); break;
        case 7: Unload(); break;
        default: break;
        }
    });
}

void frmDatabaseExplorer::OpenStructure(QString& sFile) {
    CommandTrap(source("OpenStructure"), [&] {
        if (sFile.isEmpty()) {
            sFile = platform::ui::host().openFile(QString(), kStructureFilter, gReportsFolder);
            if (!sFile.isEmpty() && !QFileInfo(sFile).isFile()) {
                Critical(sFile + QStringLiteral(" does not exist."));
                return;
            }
        }
        if (sFile.isEmpty()) return;

        Hourglass wait;
        auto document = std::make_shared<cXML>();
        QString text = StructureFile::ReadText(sFile);
        document->LoadXMLContent(text);
        // The file is checked as the current document; a refused file leaves the
        // document and the file path that were current.
        const std::shared_ptr<cXML> previous = oStructureXML;
        const QString previousPath = gStructureFilePath;
        oStructureXML = document;
        gStructureFilePath = sFile;
        if (!ValidateXML(sFile, text, true, QStringLiteral("mxs"))) {
            oStructureXML = previous;
            gStructureFilePath = previousPath;
            return;
        }
        ObjectMarks::MarkAsImported(document->DocumentElement());
        const int before = connectionCount(gGroupIndex);
        if (!GenerateLHXML() || connectionCount(gGroupIndex) == before) return;
        XmlNode connection = currentConnection();
        if (!connection) return;
        connection.setAttribute(QStringLiteral("CurrentMXSFile"), sFile);
        connection.setAttribute(QStringLiteral("SourceType"), QStringLiteral("FILE"));
        SaveTempFile();
        PopulateLHXML();
        SaveMenus(true);
        SaveHistory();
    });
}

void frmDatabaseExplorer::SaveStructure(bool bSaveAs) {
    CommandTrap(source("SaveStructure"), [&] {
        if (!oStructureXML || !oStructureXML->HasDocument()) {
            Critical(QStringLiteral("Database is not connected, please connect and try again"));
            return;
        }
        XmlNode connection = currentConnection();
        if (!connection || connection.childElements().isEmpty()) {
            Critical(QStringLiteral("Click on a valid database structure and try to save."));
            return;
        }
        QString file = attributeText(connection, QStringLiteral("CurrentMXSFile")).trimmed();
        if (file.isEmpty() || bSaveAs) {
            file = platform::ui::saveFileName(QString(), kStructureFilter, gReportsFolder,
                                              attributeText(connection, QStringLiteral("Name")).trimmed());
        }
        if (file.isEmpty()) return;
        try {
            StructureFile::Write(file, *oStructureXML);
        } catch (const platform::RuntimeError& e) {
            // The old file, if any, is as it was.
            Critical(QStringLiteral("The structure file could not be written:\r\n") + file + QStringLiteral("\r\n") +
                     e.description());
            return;
        }
        connection.setAttribute(QStringLiteral("CurrentMXSFile"), file);
    });
}

void frmDatabaseExplorer::RefreshDatabaseConnection(bool bUseFile) {
    try {
        Hourglass wait;
        if (!oLHXML || !oLHXML->HasDocument()) return;
        const XmlNode connection = currentConnection();
        if (!connection || !connection.hasAttribute(QStringLiteral("ConnectionString"))) return;
        const QString connectionString = attributeText(connection, QStringLiteral("ConnectionString"));
        const QString xmlFile = attributeText(connection, QStringLiteral("XMLFile"));
        gDatabaseType = qint16(connection.attribute(QStringLiteral("DatabaseType")).trimmed().toInt());
        const QString previousTemp = attributeText(connection, QStringLiteral("TempXMLFileName")).trimmed();
        if (connectionString.isEmpty() && xmlFile.isEmpty()) return;
        if (!xmlFile.isEmpty() && connectionString.isEmpty()) bUseFile = true;

        const std::shared_ptr<cXML> previousTree = oLHXML;
        const std::shared_ptr<cXML> previousStructure = oStructureXML;
        const QString previousPath = gStructureFilePath;
        const auto restore = [&] {
            oLHXML = previousTree;
            oStructureXML = previousStructure;
            gStructureFilePath = previousPath;
        };
        bool done = false;

        if (!connectionString.isEmpty() || !bUseFile) {
            // Database: the structure is imported into new documents, which replace
            // the connection's documented structure only when the import succeeds.
            QPointer<frmDatabaseExplorer> self(this);
            StartAnimation();
            auto reader = std::make_shared<cADODB>();
            reader->WhileImporting = [this](QString& name, QString& type, QString& status, qint16& increment,
                                            QString& message, bool& cancel) {
                oADO_WhileImporting(name, type, status, increment, message, cancel);
            };
            reader->SetConnection(connectionString);
            // The connect runs off the window's thread; closing the window gives it up.
            const cADODB::ConnectOutcome outcome =
                cADODB::ConnectWhileWaiting(reader, [&self, this] { return !self || mbClosing; });
            if (!self || mbClosing) return;
            if (outcome != cADODB::ConnectOutcome::Connected) {
                StopAnimation();
                return;
            }
            oLHXML = copyOfTree();
            const QString path = TreeDocument::ConnectionPath(gGroupIndex, gConnectionIndex);
            for (XmlNode child : oLHXML->FindNode(path).childElements()) child.remove();
            ParseConnectionString(connectionString);
            done = reader->GenerateXML();
            if (!self || mbClosing) return;
            StopAnimation();
            if (!done) restore();
        } else {
            // File: the connection is read again from its file and becomes the last
            // of its group. A file that cannot be read leaves the connection as it was.
            if (!QFileInfo(xmlFile).isFile()) {
                QApplication::restoreOverrideCursor();
                Critical(xmlFile + QStringLiteral("\r\nFile not found, please check the path."));
                QApplication::setOverrideCursor(Qt::WaitCursor);
                return;
            }
            const std::shared_ptr<cXML> document = StructureFile::LoadSource(xmlFile);
            if (document) {
                oLHXML = copyOfTree();
                oLHXML->RemoveXPath(TreeDocument::GroupPath(gGroupIndex),
                                    QStringLiteral("DATABASECONNECTION[%1]").arg(gConnectionIndex));
                const int before = connectionCount(gGroupIndex);
                oStructureXML = document;
                gStructureFilePath = xmlFile;
                done = GenerateLHXML() && connectionCount(gGroupIndex) > before;
                if (!done) restore();
            }
        }

        if (!done) {
            platform::ui::host().message(QStringLiteral("Could not connect to database"), platform::ui::Icon::Critical,
                                         platform::ui::Buttons::Ok, kAppTitle);
            return;
        }
        SaveMenus(true);
        SaveTempFile();
        // The copy of the structure that was replaced.
        if (!previousTemp.isEmpty() && previousTemp != currentConnection().attribute(QStringLiteral("TempXMLFileName")))
            DeleteFileIfExists(previousTemp);
        PopulateLHXML();
        FocusConnection();
        SaveHistory();
    } catch (const std::exception& e) {
        CommandError(e, QStringLiteral("RefreshDatabaseConnection"));
    }
}

void frmDatabaseExplorer::HandleCLP() {
    CommandTrap(source("HandleCLP"), [&] {
        QString file = CommandLine;
        if (file.isEmpty()) return;
        if (!file.toLower().contains(QLatin1String(".mxs"))) {
            Critical(QStringLiteral("Please select a valid Morvalex file."));
            return;
        }
        const QFileInfo info(file);
        if (!info.exists()) {
            Critical(file + QStringLiteral(" does not exist."));
            return;
        }
        if (!info.isFile()) {
            Critical(QStringLiteral("Please select a valid Morvalex file."));
            return;
        }
        OpenStructure(file);
    });
}

void frmDatabaseExplorer::HandOver(const QString& sCommandLine) {
    s_pendingStarts << sCommandLine;
    HandlePendingStarts();
}

void frmDatabaseExplorer::HandlePendingStarts() {
    if (s_pendingStarts.isEmpty()) return;
    const bool ready = exists() && instance().IsLoaded() && !instance().m_unloading && !instance().m_queryRunning &&
                       !QApplication::activeModalWidget() && !QApplication::activePopupWidget();
    if (!ready) {
        if (s_pendingRetry) return;
        s_pendingRetry = true;
        QTimer::singleShot(300, qApp, [] {
            s_pendingRetry = false;
            HandlePendingStarts();
        });
        return;
    }
    frmDatabaseExplorer& w = instance();
    w.setWindowState(w.windowState() & ~Qt::WindowMinimized);
    w.show();
    w.raise();
    w.activateWindow();
    while (!s_pendingStarts.isEmpty() && exists()) {
        CommandLine = s_pendingStarts.takeFirst();
        instance().HandleCLP();
    }
}
