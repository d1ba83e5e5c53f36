#include "reports/WordReport.h"

#include "core/FileUtil.h"
#include "core/bGlobal.h"
#include "platform/Error.h"
#include "reports/bXMLSupport.h"
#include "reports/ReportSettings.h"
#include "reports/cWord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>

using namespace bGlobal;

namespace WordReport {

namespace {

const QString kNoWord = QStringLiteral("Microsoft Word does not exist, please install and try again");
const QString kNotCreated = QStringLiteral("Word document could not be created.");

// Puts the report globals back as they were when it was made.
class ReportGlobals {
public:
    ReportGlobals()
        : m_xsl(gReportXSLFile), m_index(gIndexXSLFile), m_template(gReportTemplateFile), m_ownXSL(gOwnXSL) {}
    ~ReportGlobals() {
        gReportXSLFile = m_xsl;
        gIndexXSLFile = m_index;
        gReportTemplateFile = m_template;
        gOwnXSL = m_ownXSL;
    }
    ReportGlobals(const ReportGlobals&) = delete;
    ReportGlobals& operator=(const ReportGlobals&) = delete;

private:
    QString m_xsl, m_index, m_template;
    bool m_ownXSL;
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
    else if (!word.LastError().isEmpty()) text += QStringLiteral("\n") + word.LastError();
    Critical(text);
    return false;
}

}  // namespace

QString PreviewContentFile() { return DataPath() + QStringLiteral("/temppreviewcontent.html"); }

bool WriteHTML(const QString& sHTMLFile) {
    const ReportGlobals keep;
    // The Word layout, whatever layout the HTML reports have.
    gOwnXSL = false;
    gReportXSLFile = gIndexXSLFile = AppPath() + QStringLiteral("/styles/morvword.xsl");
    gReportTemplateFile = AppPath() + QStringLiteral("/MorvalexWordTop.template");
    return bXMLSupport::SaveAsHTML(sHTMLFile, false) && QFileInfo(sHTMLFile).isFile();
}

bool Save(const QString& sWordFileName) {
    cWord word;
    if (!CanConvertInto(word, sWordFileName)) return false;
    return CommandTrapValue(QStringLiteral("frmDatabaseExplorer.SaveNowInWord"), [&] {
        // In this run's temporary folder, which the next start clears should the
        // program end before the folder is removed.
        const QString base = gTempPath.isEmpty() ? DataPath() + QLatin1Char('/') : gTempPath;
        QByteArray pattern = QFile::encodeName(base + QStringLiteral("word-XXXXXX"));
        if (!::mkdtemp(pattern.data())) {
            const int code = errno;
            if (code == ENOSPC || code == EDQUOT)
                throw platform::RuntimeError(platform::err::DiskFull,
                                             QStringLiteral("Disk full: the working folder of the Word report could not be made in ") +
                                                 QDir::toNativeSeparators(base) + QStringLiteral(". Free some space and try again."));
            ThrowWriteError(code, QFile::decodeName(pattern));
        }
        const struct WorkFolder {
            QString path;
            ~WorkFolder() { QDir(path).removeRecursively(); }
            QString filePath(const QString& name) const { return path + QLatin1Char('/') + name; }
        } work{QFile::decodeName(pattern)};
        const QString content = work.filePath(QStringLiteral("tempwordcontent.html"));
        // A report that failed has been told about by the report generator.
        if (!WriteHTML(content)) return false;
        return ConvertWith(word, content, sWordFileName);
    }, false);
}

bool Convert(const QString& sHTMLFile, const QString& sWordFileName) {
    cWord word;
    if (!CanConvertInto(word, sWordFileName)) return false;
    return ConvertWith(word, sHTMLFile, sWordFileName);
}

}  // namespace WordReport
