#include "explorer/frmProperties.h"

#include "core/KindsRead.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ConnectionProperties.h"
#include "explorer/frmDatabaseExplorer.h"
#include "platform/ui/Host.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace bGlobal;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmProperties.") + QLatin1String(procedure); }

// A frame of caption / value rows; returns the value labels in order. Values that may
// be long (names, paths) wrap.
QList<QLabel*> addRows(QGroupBox* frame, const QList<std::pair<const char*, const char*>>& rows, const QString& initial,
                       bool wrap) {
    auto* grid = new QGridLayout(frame);
    grid->setColumnStretch(1, 1);
    QList<QLabel*> values;
    int r = 0;
    for (const auto& [name, caption] : rows) {
        auto* label = new QLabel(QString::fromUtf8(caption), frame);
        label->setObjectName(QLatin1String(name));
        auto* value = new QLabel(initial, frame);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(wrap);
        value->setTextFormat(Qt::PlainText);
        grid->addWidget(label, r, 0, Qt::AlignTop);
        grid->addWidget(value, r, 1, Qt::AlignTop);
        values << value;
        ++r;
    }
    grid->setRowStretch(r, 1);
    return values;
}

QGroupBox* newFrame(const char* name, const char* caption, QWidget* parent) {
    auto* frame = new QGroupBox(QString::fromUtf8(caption), parent);
    frame->setObjectName(QLatin1String(name));
    return frame;
}

}  // namespace

void frmProperties::ShowDialog() {
    frmProperties& dialog = instance();
    dialog.Form_Load();
    platform::ui::host().showModal(&dialog);
}

frmProperties::frmProperties() {
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(kAppTitle + QLatin1Char(' '));
    setModal(true);
    // Owned by the main window, so it stands over it.
    if (frmDatabaseExplorer::exists()) setParent(&frmDatabaseExplorer::instance(), Qt::Dialog);

    pctDatabase = new QLabel(this);
    pctDatabase->setObjectName(QStringLiteral("pctDatabase"));
    pctDatabase->setPixmap(QIcon(AppPath() + QStringLiteral("/images/icons/DATABASECONNECTION.svg")).pixmap(48, 48));
    pctDatabase->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    fraHeadline1 = newFrame("fraHeadline1", "Database", this);
    auto headline = addRows(fraHeadline1,
                            {{"lblName", "Name:"}, {"lblServerName", "Server Name:"}, {"lblServerType", "Database Engine:"}},
                            QString(), true);
    lblDatabaseNameValue = headline[0];
    lblServerNameValue = headline[1];
    lblServerTypeValue = headline[2];
    lblDatabaseNameValue->setObjectName(QStringLiteral("lblDatabaseNameValue"));
    lblServerNameValue->setObjectName(QStringLiteral("lblServerNameValue"));
    lblServerTypeValue->setObjectName(QStringLiteral("lblServerTypeValue"));

    fraConnectionString = newFrame("fraConnectionString", "Connection String", this);
    txtConnectionString = new QPlainTextEdit(fraConnectionString);
    txtConnectionString->setObjectName(QStringLiteral("txtConnectionString"));
    txtConnectionString->setReadOnly(true);
    txtConnectionString->setFixedHeight(fontMetrics().lineSpacing() * 3 + 12);
    (new QVBoxLayout(fraConnectionString))->addWidget(txtConnectionString);

    fraSummary = newFrame("fraSummary", "Summary", this);
    auto summary = addRows(fraSummary,
                           {{"lblTables", "Tables:"}, {"lblIndexes", "Indexes:"}, {"lblTriggers", "Triggers:"},
                            {"lblViews", "Views:"}, {"lblStoredProcedures", "Stored Procedures:"}},
                           QString(), false);
    lblTablesCount = summary[0];
    lblIndexesCount = summary[1];
    lblTriggersCount = summary[2];
    lblViewsCount = summary[3];
    lblStoredProceduresCount = summary[4];
    const char* countNames[] = {"lblTablesCount", "lblIndexesCount", "lblTriggersCount", "lblViewsCount",
                                "lblStoredProceduresCount"};
    for (int i = 0; i < 5; ++i) summary[i]->setObjectName(QLatin1String(countNames[i]));

    fraReport = newFrame("fraReport", "Report", this);
    auto report = addRows(fraReport, {{"lblCreatedOn", "Created On:"}, {"lblCreatedBy", "Created By:"}}, QString(), false);
    lblCreatedOnValue = report[0];
    lblCreatedByValue = report[1];
    lblCreatedOnValue->setObjectName(QStringLiteral("lblCreatedOnValue"));
    lblCreatedByValue->setObjectName(QStringLiteral("lblCreatedByValue"));

    fraAdditionalInfo = newFrame("fraAdditionalInfo", "Server Info", this);
    auto server = addRows(fraAdditionalInfo,
                          {{"lblLanguage", "Language:"}, {"Label3", "Max. Connections:"},
                           {"lblMaximumPrecision", "Max. Precision: "}, {"lblLockTimeout", "Lock timeout:"}},
                          QStringLiteral("N/A"), false);
    lblLangValue = server[0];
    lblMaxConnValue = server[1];
    lblMaxPrecision = server[2];
    lblTimeOutValue = server[3];
    const char* serverNames[] = {"lblLangValue", "lblMaxConnValue", "lblMaxPrecision", "lblTimeOutValue"};
    for (int i = 0; i < 4; ++i) server[i]->setObjectName(QLatin1String(serverNames[i]));

    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &frmProperties::btnClose_Click);

    auto* top = new QHBoxLayout;
    top->addWidget(pctDatabase);
    top->addWidget(fraHeadline1, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(fraSummary, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(fraReport);
    right->addWidget(fraAdditionalInfo);
    middle->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(fraConnectionString);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 72);
}

void frmProperties::Unload() {
    hide();
    ReleaseInstance();
    deleteLater();
}

void frmProperties::Form_Load() {
    Trap(source("Form_Load"), [&] {
        setWindowTitle(kAppTitle + QLatin1Char(' ') + kCompany);
        PopulateDBProperties();
    });
}

void frmProperties::PopulateDBProperties() {
    Trap(source("PopulateDBProperties"), [&] {
        fraAdditionalInfo->show();
        if (!oLHXML) return;
        const ConnectionProperties::Values v =
            ConnectionProperties::Read(*oLHXML, gGroupIndex, gConnectionIndex, oStructureXML.get());
        if (!v.found) return;
        const auto count = [](int n, bool read) { return read ? QString::number(n) : KindsRead::kNotReadText; };
        lblTablesCount->setText(QString::number(v.tables));
        lblIndexesCount->setText(count(v.indexes, v.indexesRead));
        lblTriggersCount->setText(count(v.triggers, v.triggersRead));
        lblViewsCount->setText(count(v.views, v.viewsRead));
        lblStoredProceduresCount->setText(count(v.procedures, v.proceduresRead));
        txtConnectionString->setPlainText(v.connectionString);
        lblDatabaseNameValue->setText(v.databaseName);
        lblServerNameValue->setText(v.serverName);
        lblServerTypeValue->setText(v.engine);
        lblCreatedOnValue->setText(v.createdOn);
        lblCreatedByValue->setText(v.createdBy);
        lblLangValue->setText(v.language);
        lblMaxConnValue->setText(v.maxConnections);
        lblMaxPrecision->setText(v.maxPrecision);
        lblTimeOutValue->setText(v.lockTimeout);
    });
}

void frmProperties::btnClose_Click() {
    Trap(source("btnClose_Click"), [&] { Unload(); });
}
