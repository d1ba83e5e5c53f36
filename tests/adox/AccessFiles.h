#pragma once
// Access files for tests: copies of the files under tests/data/access (never the
// originals) and the output of the mdbtools programs, which read the same files on
// their own and serve as the reviewed expectation.

#include "support/TestSupport.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace accesstest {

// A private folder holding copies of the test files.
class AccessFiles {
public:
    // A writable copy of tests/data/access/<name> in the folder; "" when the file
    // is missing.
    QString copy(const QString& name, const QString& as = QString()) const;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// Runs an mdbtools program; its standard output, or a null QString when it cannot
// be run.
QString RunMdbTool(const QString& program, const QStringList& arguments);

}  // namespace accesstest
