#pragma once
// Turns an HTML report file into a Word document. LibreOffice stands in for Word
// (platform/word); the object is "created" when LibreOffice is installed. It shows
// no message of its own: callers test WordObjectCreated and SaveAsWord and tell the
// user. Window thread only.

#include <QString>

class cWord {
public:
    // Looks for LibreOffice; never reports an error.
    cWord();

    // Writes sWordFileName from the HTML file sHTMLFileName; True when the document
    // was written (judged by the written file). Blocks until the conversion ends or
    // its time limit has passed.
    bool SaveAsWord(const QString& sHTMLFileName, const QString& sWordFileName);
    // The caller's name is lower-cased. Every conversion runs in a LibreOffice of its
    // own that is gone when it returns, so no document is ever open: always -1.
    qint32 CheckFileAndClose(QString& sFileName);
    bool WordObjectCreated() const { return m_created; }

    // Why the last SaveAsWord failed ("" after a success), and whether it ran out of
    // time.
    QString LastError() const { return m_error; }
    bool TimedOut() const { return m_timedOut; }

private:
    bool m_created = false;
    bool m_timedOut = false;
    QString m_error;
};
