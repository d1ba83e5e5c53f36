#include "reports/WordReport.h"

#include "core/FileUtil.h"
#include "core/bGlobal.h"
#include "reports/bXMLSupport.h"
#include "reports/ReportSettings.h"
#include "reports/cWord.h"

#include <QFileInfo>

using namespace bGlobal;

namespace WordReport {

namespace {

const QString kNoWord = QStringLiteral("Microsoft Word does not exist, please install and try again");
const QString kNotCreated = QStringLiteral("Word document could not be created.");

// Puts the report globals back as they were when it was made.
class ReportGlobals {
public:
    ReportGlobals() : m_xsl(gReportXSLFile), m_index(gIndexXSLFile), m_template(gReportTemplateFile) {}
    ~ReportGlobals() {
        gReportXSLFile = m_xsl;
        gIndexXSLFile = m_index;
        gReportTemplateFile = m_template;
    }
    ReportGlobals(const ReportGlobals&) = delete;
    ReportGlobals& operator=(const ReportGlobals&) = delete;

private:
    QString m_xsl, m_index, m_template;
};

// Whether a conversion into the file may start: LibreOffice is there, and the target
// can become a document (not a folder, nor a file in a folder that may not be
// written). The user is told why not.
bool CanConvertInto(const cWord& word, const QString& sWordFileName) {
    if (!word.WordObjectCreated()) {
        Critical(kNoWord);
        return false;
    }
    const QString problem = ReportSettings::DestinationProblem(sWordFileName, false);
    if (problem.isEmpty()) return true;
    Critical(problem);
    return false;
}

bool ConvertWith(cWord& word, const QString& sHTMLFile, const QString& sWordFileName) {
    if (word.SaveAsWord(sHTMLFile, sWordFileName)) return true;
    QString text = kNotCreated;
    if (word.TimedOut()) text += QStringLiteral("\nLibreOffice did not finish the conversion in time.");
    Critical(text);
    return false;
}

}  // namespace

QString ContentFile() { return DataPath() + QStringLiteral("/tempwordcontent.html"); }
QString PreviewContentFile() { return DataPath() + QStringLiteral("/temppreviewcontent.html"); }

bool Save(const QString& sWordFileName) {
    cWord word;
    if (!CanConvertInto(word, sWordFileName)) return false;
    return TrapValue(QStringLiteral("frmDatabaseExplorer.SaveNowInWord"), [&] {
        const QString content = ContentFile();
        if (QFileInfo::exists(content)) {
            QString name = QStringLiteral("tempwordcontent.html");
            const qint32 open = word.CheckFileAndClose(name);
            if (open == 0 || open == -1) DeleteFileIfExists(content);
        }
        bool written = false;
        {
            const ReportGlobals keep;
            gReportXSLFile = gIndexXSLFile = AppPath() + QStringLiteral("/styles/morvword.xsl");
            gReportTemplateFile = AppPath() + QStringLiteral("/MorvalexWordTop.template");
            written = bXMLSupport::SaveAsHTML(content, false);
        }
        // A report that failed has been told about by the report generator.
        if (!written || !QFileInfo(content).isFile()) return false;
        return ConvertWith(word, content, sWordFileName);
    }, false);
}

bool Convert(const QString& sHTMLFile, const QString& sWordFileName) {
    cWord word;
    if (!CanConvertInto(word, sWordFileName)) return false;
    return ConvertWith(word, sHTMLFile, sWordFileName);
}

}  // namespace WordReport
