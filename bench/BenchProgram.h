#pragma once
// The program as the window benchmarks start it, and the import without a window that
// they measure it against. Shared by bench/wizard and bench/explorer.

#include "core/StartupInfo.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/TreeDocument.h"
#include "import/cADODB.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace bench {

// The program's start as the wizard tests make it: the build's read-only files, a
// private data folder, a tree document holding one group, the main window's tree.
inline void StartProgram(const QString& dataFolder) {
    bGlobal::SetAppPathForTesting(QStringLiteral(MORVALEX_RESOURCE_DIR), dataFolder);
    bGlobal::Main();
    bGlobal::gTempPath = dataFolder + QStringLiteral("/");
    bGlobal::oGUID = std::make_shared<cGUID>();
    bGlobal::oLHXML = std::make_shared<cXML>();
    TreeDocument::AddGroup(*bGlobal::oLHXML, QStringLiteral("Morvalex Group"));
    bGlobal::gGroupIndex = 0;
    bGlobal::gConnectionIndex = 0;
}

// The tables of the structure document, -1 without one.
inline int Tables() {
    return bGlobal::oStructureXML ? int(bGlobal::oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE")).size()) : -1;
}

// One import without a window (cADODB alone): prints "seconds tables".
inline int HeadlessChild(const QString& connectionString) {
    QTemporaryDir data;
    StartProgram(data.path());
    bGlobal::gDatabaseType = qint16(bGlobal::dbOthers);
    bGlobal::gDatabaseName = QStringLiteral("bench");
    TreeDocument::AddDBConnection(*bGlobal::oLHXML, connectionString);
    QElapsedTimer timer;
    timer.start();
    cADODB reader;
    reader.SetConnection(connectionString);
    if (!reader.ADOConnect() || !reader.GenerateXML()) return 1;
    std::printf("%.4f %d\n", double(timer.nsecsElapsed()) / 1e9, Tables());
    return 0;
}

}  // namespace bench
