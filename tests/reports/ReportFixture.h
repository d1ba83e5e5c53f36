#pragma once
// Shared ground of the report tests: a private program folder with the installed
// styles and templates, the report options of a fresh start, a scripted host and an
// error dialog that records instead of ending the program.

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

namespace reporttest {

// tests/data/reports in the source tree.
QString DataFile(const QString& name);

struct ReportTest : ::testing::Test {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    QStringList errors;  // "number source" of every reported error

    void SetUp() override;
    void TearDown() override;

    // Loads a structure document into oStructureXML.
    void LoadStructure(const QString& file);
    // Sets Report to "0" on every element the pattern selects.
    void Unreport(const QString& pattern);
    // A folder for report output inside the program folder, ending in "/".
    QString Out(const QString& name) const;
};

// Names of the .html files in a folder, sorted.
QStringList HtmlFiles(const QString& folder);

// A report page as a browser's parser sees it (libxml2's HTML parser).
struct HtmlPage {
    QSet<QString> ids;
    QStringList hrefs;               // of the links (a elements)
    QStringList elements;            // lower-case names of every element, in order
    QStringList eventAttributes;     // on* attributes anywhere
    QHash<QString, QString> preText; // text of each <pre> by the id of its nearest ancestor with one
    QString text;                    // all text
};
HtmlPage ParseHtml(const QString& html);

// The report's date text (from the comment the contents start with) replaced by
// "DATE", so a page can be compared with a golden file.
QString WithoutDate(const QString& html);

// Compares text with tests/data/reports/<name>.golden; MORVALEX_UPDATE_GOLDEN=1
// rewrites the golden file instead.
void ExpectGolden(const QString& name, const QString& text);

}  // namespace reporttest
