// The wizard's controls: its five pages and the navigation buttons.

#include "migration/ui/frmStructureMigration.h"

#include "core/bGlobal.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSvgRenderer>
#include <QStackedLayout>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kDisclaimer = QStringLiteral(
    "Disclaimer\n"
    "Morvalex is primarily a database structure documentation product. The migration feature might not work as "
    "expected with some database and database engine combinations. This is primarily due to the underlying "
    "differences between the various database engines.\n\n"
    "We highly recommend you to manually check the destination database after the migration. "
    "Further details are on the Vizavodizo web site.");

QLabel* boldLabel(QWidget* parent, const QString& text, int pointDelta = 0) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    if (pointDelta) f.setPointSize(f.pointSize() + pointDelta);
    l->setFont(f);
    l->setWordWrap(true);
    return l;
}

QTreeWidget* objectList(QWidget* parent, const QString& name) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Created On"), QStringLiteral("XPath")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->resizeSection(0, 160);
    return list;
}

}  // namespace

QFrame* frmStructureMigration::TitleBand(QWidget* parent, const QString& title, const QString& line) {
    auto* band = new QFrame(parent);
    band->setAutoFillBackground(true);
    QPalette p = band->palette();
    p.setColor(QPalette::Window, Qt::white);
    band->setPalette(p);
    band->setFrameShape(QFrame::StyledPanel);
    auto* v = new QVBoxLayout(band);
    v->addWidget(boldLabel(band, title));
    auto* sub = new QLabel(line, band);
    sub->setWordWrap(true);
    sub->setIndent(16);
    v->addWidget(sub);
    return band;
}

QFrame* frmStructureMigration::BuildIntroPage() {
    auto* page = new QFrame(this);
    auto* h = new QHBoxLayout(page);
    auto* picture = new QLabel(page);
    picture->setObjectName(QStringLiteral("imgMigration"));
    QSvgRenderer gears(bGlobal::AppPath() + QStringLiteral("/images/gears.svg"));
    if (gears.isValid()) {
        QPixmap pixmap(96, 96);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        gears.render(&painter);
        picture->setPixmap(pixmap);
    }
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    picture->setMinimumWidth(120);
    h->addWidget(picture);
    auto* v = new QVBoxLayout;
    v->addWidget(boldLabel(page, QStringLiteral("Morvalex Migration Wizard"), 4));
    auto* text = new QLabel(QStringLiteral("The database objects migration wizard allows you to migrate tables and indexes "
                                           "from one database engine to another. The wizard guides you through the steps "
                                           "to migrate database objects."),
                            page);
    text->setWordWrap(true);
    v->addWidget(text);
    auto* disclaimer = new QPlainTextEdit(kDisclaimer, page);
    disclaimer->setObjectName(QStringLiteral("txtDisclaimer"));
    disclaimer->setReadOnly(true);
    v->addWidget(disclaimer, 1);
    h->addLayout(v, 1);
    return page;
}

QFrame* frmStructureMigration::BuildConnectionsPage() {
    auto* page = new QFrame(this);
    auto* v = new QVBoxLayout(page);
    v->addWidget(TitleBand(page, QStringLiteral("Choose the destination database"),
                           QStringLiteral("To where do you want to migrate the tables and indexes? Choose from one of the "
                                          "destinations.")));
    auto* form = new QFormLayout;
    auto* source = new QWidget(page);
    auto* sh = new QHBoxLayout(source);
    sh->setContentsMargins(0, 0, 0, 0);
    cboSourceConn = new QComboBox(source);
    cboSourceConn->setObjectName(QStringLiteral("cboSourceConn"));
    cboSourceConn->setProperty("Tag", QStringLiteral("cboSrcConnStrs"));
    lblSourceDatabase = boldLabel(source, QString());
    lblSourceDatabase->setObjectName(QStringLiteral("lblSourceDatabase"));
    sh->addWidget(cboSourceConn, 1);
    sh->addWidget(lblSourceDatabase, 1);
    form->addRow(QStringLiteral("Source Database"), source);
    cboDestinationConn = new QComboBox(page);
    cboDestinationConn->setObjectName(QStringLiteral("cboDestinationConn"));
    cboDestinationConn->setProperty("Tag", QStringLiteral("cboDstConnStrs"));
    form->addRow(QStringLiteral("Destination Database"), cboDestinationConn);
    lblDestinationNote = new QLabel(page);
    lblDestinationNote->setObjectName(QStringLiteral("lblDestinationNote"));
    lblDestinationNote->setWordWrap(true);
    lblDestinationNote->hide();
    form->addRow(QString(), lblDestinationNote);
    v->addLayout(form);
    cboSrcConnStrs = new QComboBox(page);
    cboSrcConnStrs->setObjectName(QStringLiteral("cboSrcConnStrs"));
    cboSrcConnStrs->hide();
    cboDstConnStrs = new QComboBox(page);
    cboDstConnStrs->setObjectName(QStringLiteral("cboDstConnStrs"));
    cboDstConnStrs->hide();
    v->addStretch(1);
    connect(cboSourceConn, &QComboBox::activated, this, [this] { cboSourceConn_Click(); });
    connect(cboDestinationConn, &QComboBox::activated, this, [this] { cboDestinationConn_Click(); });
    return page;
}

QFrame* frmStructureMigration::BuildObjectsPage() {
    auto* page = new QFrame(this);
    auto* v = new QVBoxLayout(page);
    v->addWidget(TitleBand(page, QStringLiteral("Select the objects you want to migrate."),
                           QStringLiteral("You can choose one or more database objects to migrated.")));
    auto* grid = new QGridLayout;
    lblAvailableTitle = new QLabel(page);
    lblAvailableTitle->setObjectName(QStringLiteral("lblAvailableTitle"));
    lblSelectedTitle = new QLabel(page);
    lblSelectedTitle->setObjectName(QStringLiteral("lblSelectedTitle"));
    lsvAvailableObjects = objectList(page, QStringLiteral("lsvAvailableObjects"));
    lsvSelectedObjects = objectList(page, QStringLiteral("lsvSelectedObjects"));
    auto* buttons = new QVBoxLayout;
    auto button = [&](QPushButton*& b, const char* name, const QString& caption) {
        b = new QPushButton(caption, page);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
    };
    buttons->addStretch(1);
    button(cmdAddL2R, "cmdAddL2R", QStringLiteral("Add >"));
    button(cmdAddAll, "cmdAddAll", QStringLiteral("Add All >>"));
    button(cmdRemoveR2L, "cmdRemoveR2L", QStringLiteral("< Remove"));
    button(cmdRemoveAll, "cmdRemoveAll", QStringLiteral("<< Remove All"));
    buttons->addStretch(1);
    cmdAddL2R->setEnabled(false);
    cmdRemoveR2L->setEnabled(false);
    grid->addWidget(lblAvailableTitle, 0, 0);
    grid->addWidget(lblSelectedTitle, 0, 2);
    grid->addWidget(lsvAvailableObjects, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->addWidget(lsvSelectedObjects, 1, 2);
    v->addLayout(grid, 1);

    connect(cmdAddL2R, &QPushButton::clicked, this, [this] { cmdAddL2R_Click(); });
    connect(cmdAddAll, &QPushButton::clicked, this, [this] { cmdAddAll_Click(); });
    connect(cmdRemoveR2L, &QPushButton::clicked, this, [this] { cmdRemoveR2L_Click(); });
    connect(cmdRemoveAll, &QPushButton::clicked, this, [this] { cmdRemoveAll_Click(); });
    connect(lsvAvailableObjects, &QTreeWidget::itemClicked, this, [this] { lsvAvailableObjects_ItemClick(); });
    connect(lsvSelectedObjects, &QTreeWidget::itemClicked, this, [this] { lsvSelectedObjects_ItemClick(); });
    connect(lsvAvailableObjects, &QTreeWidget::itemDoubleClicked, this, [this] { cmdAddL2R_Click(); });
    connect(lsvSelectedObjects, &QTreeWidget::itemDoubleClicked, this, [this] { cmdRemoveR2L_Click(); });
    return page;
}

QFrame* frmStructureMigration::BuildProgressPage() {
    auto* page = new QFrame(this);
    auto* v = new QVBoxLayout(page);
    v->addWidget(TitleBand(page, QStringLiteral("Migrating selected database objects."), QString()));
    v->addStretch(1);
    pctProgress = new QFrame(page);
    pctProgress->setObjectName(QStringLiteral("pctProgress"));
    pctProgress->setFrameShape(QFrame::Panel);
    pctProgress->setFrameShadow(QFrame::Sunken);
    pctProgress->setFixedHeight(22);
    shpProgress = new QFrame(pctProgress);
    shpProgress->setObjectName(QStringLiteral("shpProgress"));
    shpProgress->setAutoFillBackground(true);
    QPalette p = shpProgress->palette();
    p.setColor(QPalette::Window, QColor(0, 0, 128));
    shpProgress->setPalette(p);
    shpProgress->setGeometry(2, 2, 0, 18);
    v->addWidget(pctProgress);
    lblStatus = new QLabel(page);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    v->addWidget(lblStatus);
    v->addStretch(2);
    return page;
}

QFrame* frmStructureMigration::BuildSummaryPage() {
    auto* page = new QFrame(this);
    auto* v = new QVBoxLayout(page);
    v->addWidget(boldLabel(page, QStringLiteral("Morvalex database migration completed"), 4));
    lblResultDescription = new QLabel(page);
    lblResultDescription->setObjectName(QStringLiteral("lblResultDescription"));
    lblResultDescription->setWordWrap(true);
    v->addWidget(lblResultDescription);
    txtSummary = new QPlainTextEdit(page);
    txtSummary->setObjectName(QStringLiteral("txtSummary"));
    txtSummary->setReadOnly(true);
    v->addWidget(txtSummary, 1);
    return page;
}

void frmStructureMigration::BuildPages() {
    auto* outer = new QVBoxLayout(this);
    auto* stack = new QVBoxLayout;
    fraStep = {BuildIntroPage(), BuildConnectionsPage(), BuildObjectsPage(), BuildProgressPage(), BuildSummaryPage()};
    for (size_t i = 0; i < fraStep.size(); ++i) {
        fraStep[i]->setObjectName(QStringLiteral("fraStep_%1").arg(i));
        stack->addWidget(fraStep[i], 1);
    }
    outer->addLayout(stack, 1);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    outer->addWidget(line);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    const QStringList captions = {QStringLiteral("Cancel"), QStringLiteral("< Back"), QStringLiteral("Next >"),
                                  QStringLiteral("Finish")};
    for (int i : {1, 2, 0, 3}) {
        cmdNavigate[i] = new QPushButton(captions[i], this);
        cmdNavigate[i]->setObjectName(QStringLiteral("cmdNavigate_%1").arg(i));
        cmdNavigate[i]->setAutoDefault(false);
        connect(cmdNavigate[i], &QPushButton::clicked, this, [this, i] { cmdNavigate_Click(i); });
        row->addWidget(cmdNavigate[i]);
    }
    outer->addLayout(row);
    resize(640, 460);
}
