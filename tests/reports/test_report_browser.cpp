// Generated reports opened in headless Chromium (Debian's chromium package): every
// link of the index and of every page must reach an element the browser can show,
// and a screenshot of each report is kept under the build folder.

#include "ReportFixture.h"

#include "reports/bXMLSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

using namespace bGlobal;
using namespace reporttest;

namespace {

// Loads the start page and every page it links to in frames, then loads every link
// in a frame of its own and asks the browser for the element the fragment selects.
const char* kLinkCheck = R"(<!DOCTYPE html>
<html><body><pre id="result">pending</pre><script>
function load(url) {
  return new Promise((resolve) => {
    const frame = document.createElement('iframe');
    frame.onload = () => resolve(frame);
    frame.src = url;
    document.body.appendChild(frame);
  });
}
(async () => {
  const start = new URL(START, location.href).href;
  const pages = [start], seen = new Set([start]), links = [];
  for (let i = 0; i < pages.length; i++) {
    const frame = await load(pages[i]);
    const doc = frame.contentDocument;
    if (!doc || !doc.body) { links.push({from: pages[i], href: '', url: pages[i], error: 'page not readable'}); continue; }
    for (const a of doc.querySelectorAll('a[href]')) {
      const url = new URL(a.getAttribute('href'), pages[i]).href;
      links.push({from: pages[i], href: a.getAttribute('href'), url});
      const page = url.split('#')[0];
      if (page.startsWith('file:') && !seen.has(page)) { seen.add(page); pages.push(page); }
    }
    frame.remove();
  }
  const bad = [];
  for (const link of links) {
    if (link.error) { bad.push(link); continue; }
    if (!link.url.startsWith('file:')) { bad.push({...link, error: 'leaves the report'}); continue; }
    const frame = await load(link.url);
    const doc = frame.contentDocument;
    const hash = new URL(link.url).hash;
    if (!doc || !doc.body || !doc.body.firstElementChild) bad.push({...link, error: 'no page'});
    else if (hash && !doc.querySelector(':target')) bad.push({...link, error: 'no element for ' + hash});
    frame.remove();
  }
  document.getElementById('result').textContent = JSON.stringify({pages: pages.length, links: links.length, bad});
})();
</script></body></html>
)";

class Browser {
public:
    Browser() : m_program(QStandardPaths::findExecutable(QStringLiteral("chromium"))) {}
    bool available() const { return !m_program.isEmpty(); }

    // Runs headless Chromium on one file:// URL with a fresh profile; its standard output.
    QString run(const QStringList& arguments, const QString& url) {
        QTemporaryDir profile;
        QStringList args = {QStringLiteral("--headless"),
                            QStringLiteral("--no-sandbox"),
                            QStringLiteral("--disable-gpu"),
                            QStringLiteral("--disable-quic"),
                            QStringLiteral("--no-first-run"),
                            QStringLiteral("--disable-background-networking"),
                            QStringLiteral("--disable-component-update"),
                            QStringLiteral("--disable-sync"),
                            QStringLiteral("--host-resolver-rules=MAP * ~NOTFOUND"),
                            QStringLiteral("--user-data-dir=") + profile.path()};
        args << arguments << url;
        QProcess process;
        process.start(m_program, args);
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "chromium did not finish";
        }
        return QString::fromUtf8(process.readAllStandardOutput());
    }

private:
    QString m_program;
};

QString FileUrl(const QString& path) { return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded); }

// A clean folder under the build tree, where the reports stay for a look.
QString KeptFolder(const QString& name) {
    const QString path = QStringLiteral(MORVALEX_BINARY_DIR "/tests/reports/browser/") + name + QLatin1Char('/');
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

struct BrowserCase {
    const char* name;
    const char* structure;
    const char* database;
    bool split;
};

void PrintTo(const BrowserCase& c, std::ostream* os) { *os << c.name; }

class ReportInBrowser : public ReportTest, public ::testing::WithParamInterface<BrowserCase> {};

TEST_P(ReportInBrowser, EveryLinkReachesAnElement) {
    Browser browser;
    MORVALEX_REQUIRE(browser.available(), "chromium is not installed");
    const BrowserCase& c = GetParam();
    LoadStructure(QString::fromLatin1(c.structure));
    gDatabaseName = QString::fromUtf8(c.database);
    const QString folderPath = KeptFolder(QString::fromLatin1(c.name));
    const QString start = c.split ? QStringLiteral("index.html") : QStringLiteral("report.html");
    ASSERT_TRUE(bXMLSupport::SaveAsHTML(c.split ? folderPath : folderPath + start, c.split));

    const QString check = folderPath + QStringLiteral("morv-linkcheck.html");
    testsupport::WriteFile(check, QString::fromLatin1(kLinkCheck)
                                      .replace(QLatin1String("START"), QLatin1Char('\'') + start + QLatin1Char('\'')));
    const QString dom = browser.run({QStringLiteral("--allow-file-access-from-files"),
                                     QStringLiteral("--virtual-time-budget=60000"), QStringLiteral("--dump-dom")},
                                    FileUrl(check));
    const auto m = QRegularExpression(QStringLiteral("<pre id=\"result\">(.*?)</pre>"),
                                      QRegularExpression::DotMatchesEverythingOption)
                       .match(dom);
    ASSERT_TRUE(m.hasMatch()) << qPrintable(dom.left(2000));
    const QString json = m.captured(1)
                             .replace(QLatin1String("&lt;"), QLatin1String("<"))
                             .replace(QLatin1String("&gt;"), QLatin1String(">"))
                             .replace(QLatin1String("&amp;"), QLatin1String("&"));
    const QJsonObject result = QJsonDocument::fromJson(json.toUtf8()).object();
    ASSERT_FALSE(result.isEmpty()) << qPrintable(json);
    EXPECT_GT(result.value(QLatin1String("links")).toInt(), 5);
    EXPECT_EQ(result.value(QLatin1String("pages")).toInt(), c.split ? QDir(folderPath).entryList({QStringLiteral("*.html")}).size() - 1 : 1);
    const QJsonArray bad = result.value(QLatin1String("bad")).toArray();
    EXPECT_TRUE(bad.isEmpty()) << qPrintable(QString::fromUtf8(QJsonDocument(bad).toJson()));

    const QString png = QStringLiteral(MORVALEX_BINARY_DIR "/tests/reports/browser/") + QString::fromLatin1(c.name) +
                        QStringLiteral(".png");
    QFile::remove(png);
    browser.run({QStringLiteral("--window-size=1280,2000"), QStringLiteral("--hide-scrollbars"),
                 QStringLiteral("--screenshot=") + png},
                FileUrl(folderPath + start));
    EXPECT_GT(QFileInfo(png).size(), 10000) << qPrintable(png);
}

INSTANTIATE_TEST_SUITE_P(Reports, ReportInBrowser,
                         ::testing::Values(BrowserCase{"shop_single", "shop.xml", "shop", false},
                                           BrowserCase{"shop_split", "shop.xml", "shop", true},
                                           BrowserCase{"hostile_single", "hostile.xml", "Sales/2024 <Q1> #1", false},
                                           BrowserCase{"hostile_split", "hostile.xml", "Sales/2024 <Q1> #1", true}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
