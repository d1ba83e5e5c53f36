#pragma once
// Conversion of an HTML file into a word-processor document by LibreOffice in
// headless mode. Nothing here knows about Morvalex.
//
// Every conversion runs soffice with a private user profile (a fresh temporary
// folder), so a LibreOffice the user has open is neither disturbed nor used, and
// within a time limit: a conversion that has not ended by then is killed with its
// whole process group. soffice exits 0 even when it wrote nothing, so success is
// judged by the output file alone. Blocking; call from one thread at a time.

#include <QString>

namespace platform::word {

enum class Format { Doc, Docx };

struct Conversion {
    bool ok = false;
    bool timedOut = false;
    // Why it failed, for logs and messages ("" when ok).
    QString error;
};

// The soffice program found on PATH, or "" when LibreOffice is not installed.
QString sofficePath();

// The time limit of one conversion in milliseconds: MORVALEX_WORD_TIMEOUT_MS when it
// holds a positive number, otherwise two minutes.
int timeLimitMs();

// Converts htmlFile into target (an existing target is replaced only when the
// conversion succeeded). The format follows the target's extension: ".docx" gives
// Word 2007 XML, anything else Word 97.
Conversion convertHtml(const QString& htmlFile, const QString& target, int timeoutMs = timeLimitMs());

}  // namespace platform::word
