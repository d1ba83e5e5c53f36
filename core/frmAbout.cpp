#include "core/frmAbout.h"

#include "core/bGlobal.h"
#include "platform/ui/Host.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace bGlobal;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmAbout.") + QLatin1String(procedure); }

// A label that looks and acts like a link; clicking runs onClick.
QLabel* newLink(const char* name, const QString& text, QWidget* parent, std::function<void()> onClick) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"#\">") + text.toHtmlEscaped() + QStringLiteral("</a>"));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setCursor(Qt::PointingHandCursor);
    QObject::connect(label, &QLabel::linkActivated, parent, [onClick = std::move(onClick)](const QString&) { onClick(); });
    return label;
}

}  // namespace

void frmAbout::ShowDialog(QWidget* owner) {
    frmAbout& box = instance();
    if (owner && box.parentWidget() != owner) box.setParent(owner, Qt::Dialog);
    box.Form_Load();
    platform::ui::host().showModal(&box);
}

frmAbout::frmAbout() {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Morvalex"));
    setModal(true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QIcon(AppPath() + QStringLiteral("/images/morvalex.svg")).pixmap(64, 64));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTitle = new QLabel(QStringLiteral("Application Title"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);
    lblVersion = new QLabel(QStringLiteral("Version"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lbMorvalex = new QLabel(
        QStringLiteral("Morvalex is a database documentation and structure migration tool from Kestrova."), this);
    lbMorvalex->setObjectName(QStringLiteral("lbMorvalex"));
    lbMorvalex->setWordWrap(true);
    for (QLabel* l : {lblTitle, lblVersion, lbMorvalex}) l->setTextFormat(Qt::PlainText);

    fraSeperator = new QFrame(this);
    fraSeperator->setObjectName(QStringLiteral("fraSeperator"));
    fraSeperator->setFrameShape(QFrame::HLine);
    fraSeperator->setFrameShadow(QFrame::Sunken);

    // No mail or web address exists for these: each opens the help page.
    lblKestrova = newLink("lblKestrova", QStringLiteral("Kestrova support"), this, [this] { lblKestrova_Click(); });
    lblKestrovaLink = newLink("lblKestrovaLink", QStringLiteral("Kestrova"), this, [this] { lblKestrovaLink_Click(); });
    lblDunmereLink = newLink("lblDunmereLink", kCompany, this, [this] { lblDunmereLink_Click(); });
    for (QLabel* l : {lblKestrova, lblKestrovaLink, lblDunmereLink})
        l->setToolTip(QStringLiteral("Opens the Morvalex help page"));

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addSpacing(fontMetrics().lineSpacing() / 2);
    text->addWidget(lbMorvalex);
    text->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon);
    top->addLayout(text, 1);
    auto* links = new QVBoxLayout;
    for (QLabel* l : {lblKestrova, lblKestrovaLink, lblDunmereLink}) links->addWidget(l);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(links, 1);
    bottom->addWidget(cmdOK, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(fraSeperator);
    layout->addLayout(bottom);
    setMinimumWidth(fontMetrics().averageCharWidth() * 64);
}

void frmAbout::Unload() {
    hide();
    ReleaseInstance();
    deleteLater();
}

void frmAbout::Form_Load() {
    Trap(source("Form_Load"), [&] {
        const QString product = kAppTitle + QLatin1Char(' ') + kCompany;
        setWindowTitle(QStringLiteral("About ") + product);
        lblVersion->setText(QStringLiteral("Version 4.02   Build: ") + QString::number(gBuildNumber));
        // Plain text: an "&" of the name shows as it is.
        lblTitle->setText(product);
    });
}

void frmAbout::cmdOK_Click() {
    Trap(source("cmdOK_Click"), [&] { Unload(); });
}

void frmAbout::OpenHelpPage() {
    if (!platform::ui::host().openUrl(gHelpFile)) TellHelpNotShown();
}

void frmAbout::lblKestrova_Click() {
    Trap(source("lblKestrova_Click"), [&] { OpenHelpPage(); });
}

void frmAbout::lblKestrovaLink_Click() {
    Trap(source("lblKestrovaLink_Click"), [&] { OpenHelpPage(); });
}

void frmAbout::lblDunmereLink_Click() {
    Trap(source("lblDunmereLink_Click"), [&] { OpenHelpPage(); });
}
