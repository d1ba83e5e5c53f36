#include "reports/cWord.h"

#include "platform/word/Word.h"

cWord::cWord() : m_created(!platform::word::sofficePath().isEmpty()) {}

bool cWord::SaveAsWord(const QString& sHTMLFileName, const QString& sWordFileName) {
    m_error.clear();
    m_timedOut = false;
    if (!m_created) {
        m_error = QStringLiteral("LibreOffice is not installed");
        return false;
    }
    const platform::word::Conversion c = platform::word::convertHtml(sHTMLFileName, sWordFileName);
    m_error = c.error;
    m_timedOut = c.timedOut;
    return c.ok;
}

qint32 cWord::CheckFileAndClose(QString& sFileName) {
    sFileName = sFileName.toLower();
    return -1;
}
