// Pages 4 and 5 of the import wizard: the report's output, destination and options,
// the preview of the ticked objects and the report written on Finish.

#include "core/FileUtil.h"
#include "import/ui/WizardForm.h"
#include "core/Hourglass.h"
#include "core/TreeFill.h"
#include "core/TreeSearch.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/frmDatabaseExplorer.h"
#include "import/WizardSteps.h"
#include "import/ui/frmDatabaseConnection.h"
#include "platform/ui/Host.h"
#include "reports/ReportSettings.h"
#include "reports/bXMLSupport.h"
#include "reports/ui/ReportOptionFrames.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>

using namespace bGlobal;

namespace {

using wizardform::kForm;


// The extension of a report of that output kind.
QString extensionOf(const QString& kind) { return kind == QLatin1String("word") ? QStringLiteral("doc") : kind; }


}  // namespace

void frmDatabaseConnection::BuildReportOptionsPage() {
    QWidget* page = fraStep[4];
    options = new ReportOptionFrames(page, false);
    options->onPagingClick = [this] {
        txtDestinationPath->setText(AssignInitialPath(extensionOf(sOutputKind), txtDestinationPath->text()));
    };
    options->onHelp = [this](QWidget* control) {
        ShowHelp(control ? control->property("HelpContextID").toInt() : 0);
    };

    auto* output = new QGroupBox(QStringLiteral("Output Format"), page);
    output->setObjectName(QStringLiteral("fraOutputType"));
    auto* outputRow = new QHBoxLayout(output);
    const std::array<QString, 3> kinds = {QStringLiteral("XML"), QStringLiteral("HTML"), QStringLiteral("Word")};
    for (int i = 0; i < 3; ++i) {
        optOutputType[i] = new QRadioButton(kinds[i], output);
        optOutputType[i]->setObjectName(QStringLiteral("optOutputType_%1").arg(i));
        outputRow->addWidget(optOutputType[i]);
    }
    optOutputType[1]->setChecked(true);
    for (int i = 0; i < 3; ++i)
        connect(optOutputType[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optOutputType_Click(i);
        });

    auto* destination = new QGroupBox(QStringLiteral("Destination"), page);
    destination->setObjectName(QStringLiteral("fraDestination"));
    auto* destinationRow = new QHBoxLayout(destination);
    txtDestinationPath = new QLineEdit(destination);
    txtDestinationPath->setObjectName(QStringLiteral("txtDestinationPath"));
    auto* lblDestination = new QLabel(QStringLiteral("Destination path"), destination);
    lblDestination->setBuddy(txtDestinationPath);
    cmdSelectDestination = new QPushButton(QStringLiteral("&Select"), destination);
    cmdSelectDestination->setObjectName(QStringLiteral("cmdSelectDestination"));
    destinationRow->addWidget(lblDestination);
    destinationRow->addWidget(txtDestinationPath, 1);
    destinationRow->addWidget(cmdSelectDestination);
    connect(cmdSelectDestination, &QPushButton::clicked, this, [this] { cmdSelectDestination_Click(); });

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(output, 0, 0);
    grid->addWidget(options->fraHTMLPaging, 0, 1);
    grid->addWidget(destination, 1, 0, 1, 2);
    grid->addWidget(options->fraCSS, 2, 0, 1, 2);
    grid->addWidget(options->fraOutputFormat, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
}

QString frmDatabaseConnection::AssignInitialPath(const QString& extension, const QString& path) {
    return TrapValue(kForm + QStringLiteral("AssignInitialPath"), [&] {
        return ReportSettings::AssignInitialPath(extension, path, options->chkGenerateMultipleXML->isChecked());
    }, QString());
}

void frmDatabaseConnection::optOutputType_Click(int Index) {
    Trap(kForm + QStringLiteral("optOutputType_Click"), [&] {
        const QString path = txtDestinationPath->text();
        switch (Index) {
        case 0:
            sOutputKind = QStringLiteral("xml");
            txtDestinationPath->setText(AssignInitialPath(QStringLiteral("xml"), path));
            ReportOptionFrames::DisableControl(options->txtNumberOfPages);
            options->chkGenerateMultipleXML->setEnabled(false);
            options->fraOutputFormat->setEnabled(false);
            options->fraCSS->setEnabled(false);
            break;
        case 1:
            sOutputKind = QStringLiteral("html");
            options->fraOutputFormat->setEnabled(true);
            options->fraCSS->setEnabled(true);
            txtDestinationPath->setText(AssignInitialPath(QStringLiteral("html"), path));
            options->chkGenerateMultipleXML->setEnabled(true);
            if (options->chkGenerateMultipleXML->isChecked()) ReportOptionFrames::EnableControl(options->txtNumberOfPages);
            else ReportOptionFrames::DisableControl(options->txtNumberOfPages);
            break;
        case 2:
            options->fraOutputFormat->setEnabled(false);
            options->fraCSS->setEnabled(true);
            sOutputKind = QStringLiteral("word");
            txtDestinationPath->setText(AssignInitialPath(QStringLiteral("doc"), path));
            ReportOptionFrames::DisableControl(options->txtNumberOfPages);
            options->chkGenerateMultipleXML->setEnabled(false);
            SelectStyleSheet(QStringLiteral("Printer Friendly"));
            break;
        default: break;
        }
    });
}

void frmDatabaseConnection::SelectStyleSheet(const QString& name) { options->SelectStyleSheet(name); }

void frmDatabaseConnection::cmdSelectDestination_Click() {
    Trap(kForm + QStringLiteral("cmdSelectDestination_Click"), [&] {
        frmDatabaseExplorer& explorer = frmDatabaseExplorer::instance();
        // The chooser asks for a folder or a file by the paging box as it stands now.
        const bool paging = gMultiplePages;
        gMultiplePages = options->chkGenerateMultipleXML->isChecked();
        QString chosen;
        if (sOutputKind == QLatin1String("xml")) chosen = explorer.SaveXML(false);
        else if (sOutputKind == QLatin1String("word")) chosen = explorer.SaveInWord(false);
        else chosen = explorer.SaveHTML(false);
        gMultiplePages = paging;
        if (chosen.isEmpty()) return;
        sOutputPath = chosen;
        txtDestinationPath->setText(chosen);
    });
}

bool frmDatabaseConnection::ValidateReportSettings(bool bShowMessage) {
    return TrapValue(kForm + QStringLiteral("ValidateReportSettings"), [&] {
        QString message = ReportSettings::Validate(options->Choice());
        if (message.isEmpty()) {
            const bool folder = sOutputKind == QLatin1String("html") && options->chkGenerateMultipleXML->isChecked();
            message = ReportSettings::DestinationProblem(txtDestinationPath->text(), folder);
        }
        if (message.isEmpty()) return true;
        if (bShowMessage) Critical(message);
        return false;
    }, false);
}

bool frmDatabaseConnection::StoreReportSettings() {
    return TrapValue(kForm + QStringLiteral("StoreReportSettings"), [&] {
        if (!ValidateReportSettings(true)) return false;
        ReportSettings::Store(options->Choice(), false);
        if (sOutputKind == QLatin1String("xml")) gOutputType = 0;
        else if (sOutputKind == QLatin1String("html")) gOutputType = 1;
        return true;
    }, false);
}

void frmDatabaseConnection::RetrieveReportSettings() {
    Trap(kForm + QStringLiteral("RetrieveReportSettings"), [&] {
        if (options->cboStyleSheet->count() == 0) options->AddCSSFileNames();
        options->Retrieve();
    });
}

bool frmDatabaseConnection::FinalSave() {
    return CommandTrapValue(kForm + QStringLiteral("FinalSave"), [&] {
        if (!oStructureXML || !oStructureXML->HasDocument()) return false;
        if (sOutputKind == QLatin1String("xml")) {
            const FileWriteCheck check(sOutputPath);
            oStructureXML->SaveXML(sOutputPath, true);
            return check.Written();
        }
        if (sOutputKind == QLatin1String("html")) {
            const Hourglass wait;
            return bXMLSupport::SaveAsHTML(sOutputPath, gMultiplePages && !bXMLSupport::IsHtmlFileName(sOutputPath));
        }
        const FileWriteCheck check(sOutputPath);
        frmDatabaseExplorer::instance().SaveNowInWord(sOutputPath);
        return check.Written();
    }, false);
}

void frmDatabaseConnection::OpenReport() {
    const QString path = sOutputPath.trimmed();
    // An HTML report not named as a file is a folder with its index page, as FinalSave
    // wrote it.
    const bool separated = path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'));
    if (separated || (sOutputKind == QLatin1String("html") && !bXMLSupport::IsHtmlFileName(path)))
        OpenWrittenFile(path + (separated ? QString() : QStringLiteral("/")) + QStringLiteral("index.html"));
    else
        OpenWrittenFile(path);
}

void frmDatabaseConnection::cmdPreview_Click() {
    Trap(kForm + QStringLiteral("cmdPreview_Click"), [&] {
        UpdateXMLForReport();
        const bool paging = gMultiplePages;
        gMultiplePages = false;
        const QString outputPath = sOutputPath;
        const QString destination = txtDestinationPath->text();
        const bool word = sOutputKind == QLatin1String("word");
        if (word) optOutputType[1]->setChecked(true);
        sOutputPath = gTempPath + (sOutputKind == QLatin1String("xml") ? QStringLiteral("tempmorvpreview.xml")
                                                                        : QStringLiteral("tempmorvpreview.html"));
        if (FinalSave()) OpenWrittenFile(sOutputPath);
        if (word) optOutputType[2]->setChecked(true);
        gMultiplePages = paging;
        sOutputPath = outputPath;
        txtDestinationPath->setText(destination);
    });
}

// ---- page 5: objects for the report ------------------------------------------------------------

void frmDatabaseConnection::InitializeTreeView() {
    Trap(kForm + QStringLiteral("InitializeTreeView"), [&] {
        const QSignalBlocker quiet(trvMain);
        TreeNodes::Clear(trvMain);
        if (!oLHXML) return;
        const XmlNode connection = oLHXML->FindNode(wizard::ConnectionPath(gGroupIndex, gConnectionIndex));
        if (!connection) return;
        QTreeWidgetItem* root = TreeNodes::Add(trvMain, nullptr, connection.attribute(QStringLiteral("Key")),
                                               connection.attribute(QStringLiteral("Name")));
        TreeNodes::SetTag(root, connection.attribute(QStringLiteral("RHXPath")));
        DisplayNodes(*this, connection);
        for (QTreeWidgetItemIterator it(trvMain); *it; ++it) {
            (*it)->setFlags((*it)->flags() | Qt::ItemIsUserCheckable);
            (*it)->setCheckState(0, Qt::Unchecked);
        }
        trvMain->expandAll();
    });
}

void frmDatabaseConnection::TreeCheck(bool checked) {
    const QSignalBlocker quiet(trvMain);
    for (QTreeWidgetItemIterator it(trvMain); *it; ++it) (*it)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void frmDatabaseConnection::SelectChildren(QTreeWidgetItem* node) {
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        child->setCheckState(0, node->checkState(0));
        SelectChildren(child);
    }
}

void frmDatabaseConnection::trvMain_NodeCheck(QTreeWidgetItem* Node) {
    Trap(kForm + QStringLiteral("trvMain_NodeCheck"), [&] {
        m_checking = true;
        SelectChildren(Node);
        m_checking = false;
    });
    m_checking = false;
}

void frmDatabaseConnection::cmdSelectAll_Click() {
    TreeCheck(true);
    cmdSelectAll->setEnabled(false);
    cmdDeselectAll->setEnabled(true);
}

void frmDatabaseConnection::cmdDeselectAll_Click() {
    TreeCheck(false);
    cmdSelectAll->setEnabled(true);
    cmdDeselectAll->setEnabled(false);
}

bool frmDatabaseConnection::UpdateXMLForReport() {
    return TrapValue(kForm + QStringLiteral("UpdateXMLForReport"), [&] {
        QList<QTreeWidgetItem*> nodes;
        for (QTreeWidgetItemIterator it(trvMain); *it; ++it) nodes << *it;
        std::stable_sort(nodes.begin(), nodes.end(), [](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
            return TreeNodes::Index(a) < TreeNodes::Index(b);
        });
        if (!oStructureXML || !oStructureXML->HasDocument()) return true;
        for (QTreeWidgetItem* node : nodes) {
            const QString flag = node->checkState(0) == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
            const QString tag = TreeNodes::Tag(node);
            QString path;
            if (IsLevelCode(tag)) {
                // A folder of a table (indexes, triggers, foreign keys) leads into its
                // own table, the one its code names.
                const qint16 level = qint16(LevelOf(tag));
                const qint16 table = gTableIndex;
                if (level >= 5 && level <= 7) gTableIndex = qint16(PositionOf(tag));
                path = GetXPath(level);
                gTableIndex = table;
            } else {
                path = tag;
            }
            if (path.isEmpty()) continue;
            XmlNode target = oStructureXML->FindNode(path);
            if (target && target.hasAttribute(QStringLiteral("Report"))) target.setAttribute(QStringLiteral("Report"), flag);
        }
        return true;
    }, false);
}
