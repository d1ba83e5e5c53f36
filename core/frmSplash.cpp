#include "core/frmSplash.h"

#include "core/StartupInfo.h"
#include "core/bGlobal.h"
#include "platform/os/Os.h"
#include "platform/ui/Host.h"

#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>
#include <QVBoxLayout>

namespace {

bool isComponentError(long n) { return n == 429 || n == 430 || n == 339; }

// A missing component ends the program after its own message; anything else goes to
// the error reporter.
template <class F>
void guarded(const QString& source, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        const auto [n, d] = bGlobal::Describe(e);
        if (isComponentError(n)) {
            bGlobal::Critical(QStringLiteral("Activex controls required for Morvalex is not installed properly, \r\n"
                                             "Check and try again later.\r\n") + d);
            platform::ui::endProgram(1);
        }
        bGlobal::ShowError(n, d, source);
    }
}
}  // namespace

frmSplash::frmSplash() {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    imgSplashImage = new QLabel(this);
    imgSplashImage->setObjectName(QStringLiteral("imgSplashImage"));
    imgSplashImage->setAlignment(Qt::AlignCenter);
    layout->addWidget(imgSplashImage);
    tmSplash = new QTimer(this);
    tmSplash->setObjectName(QStringLiteral("tmSplash"));
    tmSplash->setInterval(5000);
    connect(tmSplash, &QTimer::timeout, this, &frmSplash::tmSplash_Timer);
}

void frmSplash::Unload() {
    tmSplash->stop();
    hide();
    ReleaseInstance();
    deleteLater();
}

void frmSplash::FixReportsFolder() {
    // Reports go to the user's own documents folder; nothing is made anywhere else.
    const QString documents = bSpecialFolders::GetSpecialFolderPath(platform::os::FolderDocuments);
    if (documents.isEmpty()) throw platform::RuntimeError(platform::err::PathNotFound, QStringLiteral("Path not found: documents folder"));
    bGlobal::gReportsFolder = documents + QStringLiteral("Morvalex Reports");
    if (!QDir(bGlobal::gReportsFolder).exists() && !QDir().mkpath(bGlobal::gReportsFolder))
        throw platform::RuntimeError(platform::err::PathNotFound,
                                     QStringLiteral("Path not found: ") + QDir::toNativeSeparators(bGlobal::gReportsFolder));
}

void frmSplash::Form_Load() {
    guarded(QStringLiteral("frmSplash.Form_Load"), [&] {
        QSvgRenderer picture(bGlobal::AppPath() + QStringLiteral("/images/vizavodizo.svg"));
        if (picture.isValid()) {
            QPixmap pixmap(picture.defaultSize());
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            picture.render(&painter);
            imgSplashImage->setPixmap(pixmap);
        }
        setWindowTitle(bGlobal::kAppTitle + QLatin1Char(' ') + bGlobal::kCompany);
        bGlobal::oGUID = std::make_shared<cGUID>();
        FixReportsFolder();
        bGlobal::Main();
        tmSplash->start();
        if (!isVisible()) platform::ui::host().showModal(this);
    });
}

void frmSplash::tmSplash_Timer() {
    guarded(QStringLiteral("frmSplash.tmSplash_Timer"), [&] {
        if (!isVisible()) return;
        accept();
        Unload();
        if (!bGlobal::gErrorOccurred) showMainWindow();
    });
}
