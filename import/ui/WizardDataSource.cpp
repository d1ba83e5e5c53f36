// The import wizard's data-source page: the type list, the panels' greyed boxes and
// lists, the file choosers, and the fields a connection string is built from.

#include "core/Hourglass.h"
#include "import/ui/WizardForm.h"
#include "core/bGlobal.h"
#include "import/cSQLDatabases.h"
#include "import/cSQLServers.h"
#include "import/ui/frmDatabaseConnection.h"
#include "platform/ui/Host.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

using namespace bGlobal;

namespace {

using wizardform::kForm;
const QColor kGreyed(214, 211, 206);

void paintBox(QWidget* box, const QColor& color) {
    QPalette palette = box->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) palette.setColor(group, QPalette::Base, color);
    box->setPalette(palette);
}

// Enables or disables the control named by the box's "Tag" property (the box itself
// when it names none, or names no control of 'window') and paints the box to match.
void setBoxEnabled(QWidget* window, QWidget* box, bool enabled) {
    const QString name = box->property("Tag").toString();
    QWidget* target = name.isEmpty() ? box : window->findChild<QWidget*>(name);
    (target ? target : box)->setEnabled(enabled);
    paintBox(box, enabled ? QColor(Qt::white) : kGreyed);
}

}  // namespace

// ---- greyed boxes --------------------------------------------------------------------------

void frmDatabaseConnection::DisableControl(QWidget* box) {
    Trap(kForm + QStringLiteral("DisableControl"), [&] { setBoxEnabled(this, box, false); });
}

void frmDatabaseConnection::EnableControl(QWidget* box) {
    Trap(kForm + QStringLiteral("EnableControl"), [&] { setBoxEnabled(this, box, true); });
}

// ---- the type list and the panels ----------------------------------------------------------

void frmDatabaseConnection::AddDBTypes() {
    Trap(kForm + QStringLiteral("AddDBTypes"), [&] {
        const QSignalBlocker quiet(cboDBTypes);
        cboDBTypes->clear();
        cboDBTypes->addItem(QStringLiteral("Choose a data source type"), 0);
        for (int i = 1; i < gDBTypeNames.size(); ++i)
            if (!gDBTypeNames.at(i).trimmed().isEmpty()) cboDBTypes->addItem(gDBTypeNames.at(i), i);
        cboDBTypes->setCurrentIndex(-1);
    });
    // Selecting an entry runs the type list's click, as a user's choice does.
    cboDBTypes->setCurrentIndex(sAction == QLatin1String("REFRESH") ? gDatabaseType : 0);
}

void frmDatabaseConnection::RetrieveDBInfo() {
    Trap(kForm + QStringLiteral("RetrieveDBInfo"), [&] {
        switch (gDatabaseType) {
        case dbSQLServer2000:
        case dbSQLServer70:
        case dbSQLServer65:
            cboSQLServerName->setEditText(gServerName);
            cboSQLDatabaseName->setEditText(gDataSource);
            break;
        case dbOracle9i:
        case dbOracle8i:
        case dbOracle7:
        case dbPersonalOracle:
            txtOraServerName->setText(gServerName);
            if (gAuthentication == QLatin1String("WINDOWS")) {
                optORAAuthentication[0]->setChecked(true);
            } else if (gAuthentication == QLatin1String("ORACLE")) {
                optORAAuthentication[1]->setChecked(true);
                txtORALoginName->setText(gLoginName);
                txtORAPassword->setText(gPassword);
            }
            break;
        case dbAccessXP:
        case dbAccess2000:
        case dbAccess97:
            txtDatabasePath->setText(gDataSource);
            txtAccessPassword->setText(gAccessPassword);
            if (!gWorkgroupDBPath.isEmpty()) {
                txtWKGPDatabasePath->setText(gWorkgroupDBPath);
                txtWKGPLoginName->setText(gLoginName);
                txtWKGPPassword->setText(gPassword);
            }
            break;
        case dbIBMDB2:
            txtDB2DataSourceName->setText(gDatabaseName);
            txtDB2LoginName->setText(gLoginName);
            txtDB2Password->setText(gPassword);
            break;
        case dbOthers: txtConnectionString->setText(gConnectionString); break;
        default: break;
        }
    });
}

void frmDatabaseConnection::cboDBTypes_Click() {
    Trap(kForm + QStringLiteral("cboDBTypes_Click"), [&] {
        const int position = cboDBTypes->currentIndex();
        const bool valid = position >= 1 && position < gDBTypeNames.size();
        for (QFrame* panel : pctDBConnInfo) panel->setEnabled(valid);
        fraSQLServer->setEnabled(valid);
        if (!valid) return;
        nDBType = qint16(cboDBTypes->itemData(position).toInt());
        gDatabaseType = nDBType;
        const int shown = gDBPanelIndex.at(nDBType);
        for (int i = 0; i < 6; ++i) pctDBConnInfo[i]->setVisible(i == shown);
    });
}

void frmDatabaseConnection::ShowLoginRows(int Index, QLineEdit* login, QLineEdit* password, QCheckBox* blank) {
    if (Index == 0) {
        DisableControl(login);
        DisableControl(password);
        blank->setEnabled(false);
    } else {
        EnableControl(login);
        ShowBlankPassword(blank, password);
        blank->setEnabled(true);
    }
}

void frmDatabaseConnection::ShowBlankPassword(QCheckBox* blank, QLineEdit* password) {
    if (blank->isChecked())
        DisableControl(password);
    else
        EnableControl(password);
}

void frmDatabaseConnection::optSQLAuthentication_Click(int Index) {
    Trap(kForm + QStringLiteral("optSQLAuthentication_Click"),
         [&] { ShowLoginRows(Index, txtSQLLoginName, txtSQLPassword, chkSQLBlankPassword); });
}

void frmDatabaseConnection::optORAAuthentication_Click(int Index) {
    Trap(kForm + QStringLiteral("optORAAuthentication_Click"),
         [&] { ShowLoginRows(Index, txtORALoginName, txtORAPassword, chkORABlankPassword); });
}

void frmDatabaseConnection::chkSQLBlankPassword_Click() { ShowBlankPassword(chkSQLBlankPassword, txtSQLPassword); }

void frmDatabaseConnection::chkORABlankPassword_Click() { ShowBlankPassword(chkORABlankPassword, txtORAPassword); }

void frmDatabaseConnection::chkDB2BlankPassword_Click() { ShowBlankPassword(chkDB2BlankPassword, txtDB2Password); }

void frmDatabaseConnection::txtDatabasePath_Change() {
    Trap(kForm + QStringLiteral("txtDatabasePath_Change"), [&] {
        const bool empty = txtDatabasePath->text().isEmpty();
        for (QLineEdit* box : {txtAccessPassword, txtWKGPDatabasePath, txtWKGPLoginName, txtWKGPPassword}) {
            if (empty)
                DisableControl(box);
            else
                EnableControl(box);
        }
    });
}

void frmDatabaseConnection::cboSQLServerName_DropDown() {
    Trap(kForm + QStringLiteral("cboSQLServerName_DropDown"), [&] {
        if (cboSQLServerName->count() > 0) return;
        QString list;
        {
            Hourglass wait;
            list = cSQLServers().GetServersList();
        }
        if (list.isEmpty()) return;
        const QString typed = cboSQLServerName->currentText();
        const QSignalBlocker quiet(cboSQLServerName);
        cboSQLServerName->addItems(list.split(QLatin1Char(',')));
        int selected = -1;
        for (int i = 0; i < cboSQLServerName->count(); ++i)
            if (cboSQLServerName->itemText(i).compare(gServerName, Qt::CaseInsensitive) == 0) selected = i;
        cboSQLServerName->setCurrentIndex(selected);
        if (selected < 0) cboSQLServerName->setEditText(typed);
    });
}

void frmDatabaseConnection::cboSQLDatabaseName_DropDown() {
    Trap(kForm + QStringLiteral("cboSQLDatabaseName_DropDown"), [&] {
        const QString typed = cboSQLDatabaseName->currentText();
        const QSignalBlocker quiet(cboSQLDatabaseName);
        cboSQLDatabaseName->clear();
        cboSQLDatabaseName->setEditText(typed);
        const QString server = cboSQLServerName->currentText();
        const bool windows = optSQLAuthentication[0]->isChecked();
        if (server.isEmpty()) return;
        if (!windows && txtSQLLoginName->text().isEmpty()) return;
        QString list;
        {
            Hourglass wait;
            list = windows ? cSQLDatabases().GetDatabasesList(server, true, QString(), QString())
                           : cSQLDatabases().GetDatabasesList(server, false, txtSQLLoginName->text(), txtSQLPassword->text());
        }
        if (list.contains(QLatin1String("ERROR"))) {
            Critical(QStringLiteral("Check the login name and password and try again."));
            return;
        }
        if (list.isEmpty()) return;
        cboSQLDatabaseName->addItems(list.split(QLatin1Char(',')));
        int selected = -1;
        for (int i = 0; i < cboSQLDatabaseName->count(); ++i)
            if (cboSQLDatabaseName->itemText(i).compare(gDatabaseName, Qt::CaseInsensitive) == 0) selected = i;
        cboSQLDatabaseName->setCurrentIndex(selected);
        if (selected < 0) cboSQLDatabaseName->setEditText(typed);
    });
}

void frmDatabaseConnection::cmdOpen_Click(int Index) {
    Trap(kForm + QStringLiteral("cmdOpen_Click"), [&] {
        const bool workgroup = Index == 1;
        const QString placeholder = workgroup ? QStringLiteral("*.mdw") : QStringLiteral("*.mdb");
        const QString filter = workgroup ? QStringLiteral("Microsoft Access System Database | *.mdw")
                                         : QStringLiteral("Microsoft Access Database | *.mdb");
        const QString chosen = platform::ui::host().openFile(QStringLiteral("Open"), filter, gReportsFolder);
        if (chosen.isEmpty() || QFileInfo(chosen).fileName() == placeholder) return;
        (workgroup ? txtWKGPDatabasePath : txtDatabasePath)->setText(chosen);
    });
}

void frmDatabaseConnection::cmdXMLOpen_Click() {
    Trap(kForm + QStringLiteral("cmdXMLOpen_Click"), [&] {
        const QString chosen =
            platform::ui::host().openFile(QStringLiteral("Open"), QStringLiteral("XML Files | *.xml"), gReportsFolder);
        if (chosen.isEmpty() || QFileInfo(chosen).fileName() == QLatin1String("*.xml")) return;
        txtXMLPath->setText(chosen);
    });
}

// ---- the fields ------------------------------------------------------------------------------

ConnectionPanelFields frmDatabaseConnection::PanelFields() const {
    ConnectionPanelFields f;
    const auto listed = [](const QComboBox* box) {
        const int i = box->currentIndex();
        return i >= 0 && box->itemText(i) == box->currentText();
    };
    f.cboSQLServerName = cboSQLServerName->currentText();
    f.bSQLServerNameListed = listed(cboSQLServerName);
    f.cboSQLDatabaseName = cboSQLDatabaseName->currentText();
    f.bSQLDatabaseNameListed = listed(cboSQLDatabaseName);
    f.optSQLAuthentication = optSQLAuthentication[0]->isChecked() ? 0 : 1;
    f.txtSQLLoginName = txtSQLLoginName->text();
    f.txtSQLPassword = txtSQLPassword->text();
    f.chkSQLBlankPassword = chkSQLBlankPassword->isChecked();
    f.txtOraServerName = txtOraServerName->text();
    f.optORAAuthentication = optORAAuthentication[0]->isChecked() ? 0 : 1;
    f.txtORALoginName = txtORALoginName->text();
    f.txtORAPassword = txtORAPassword->text();
    f.chkORABlankPassword = chkORABlankPassword->isChecked();
    f.txtDatabasePath = txtDatabasePath->text();
    f.txtAccessPassword = txtAccessPassword->text();
    f.txtWKGPDatabasePath = txtWKGPDatabasePath->text();
    f.txtWKGPLoginName = txtWKGPLoginName->text();
    f.txtWKGPPassword = txtWKGPPassword->text();
    f.txtDB2DataSourceName = txtDB2DataSourceName->text();
    f.txtDB2LoginName = txtDB2LoginName->text();
    f.txtDB2Password = txtDB2Password->text();
    f.chkDB2BlankPassword = chkDB2BlankPassword->isChecked();
    f.txtConnectionString = txtConnectionString->text();
    return f;
}

void frmDatabaseConnection::SetPanelFields(const ConnectionPanelFields& f) {
    const auto setText = [](QLineEdit* box, const QString& text) {
        if (box->text() != text) box->setText(text);
    };
    if (cboSQLServerName->currentText() != f.cboSQLServerName) cboSQLServerName->setEditText(f.cboSQLServerName);
    if (cboSQLDatabaseName->currentText() != f.cboSQLDatabaseName) cboSQLDatabaseName->setEditText(f.cboSQLDatabaseName);
    setText(txtSQLLoginName, f.txtSQLLoginName);
    setText(txtOraServerName, f.txtOraServerName);
    setText(txtORALoginName, f.txtORALoginName);
    setText(txtDatabasePath, f.txtDatabasePath);
    setText(txtWKGPDatabasePath, f.txtWKGPDatabasePath);
    setText(txtWKGPLoginName, f.txtWKGPLoginName);
    setText(txtDB2DataSourceName, f.txtDB2DataSourceName);
    setText(txtDB2LoginName, f.txtDB2LoginName);
}
