#pragma once
// Shared set-up of the explorer tests: a private program folder, the scripted host,
// started globals with "." as decimal symbol, and a record of reported errors.

#include "core/StartupInfo.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/frmDatabaseExplorer.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <gtest/gtest.h>
#include <memory>

namespace explorertest {

struct Fixture : ::testing::Test {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    // "source: description" of every reported error.
    QStringList errors;

    void SetUp() override {
        testsupport::StartProgram();
        bGlobal::gDecimalSymbol = QStringLiteral(".");
        bGlobal::gGroupIndex = bGlobal::gConnectionIndex = bGlobal::gTableIndex = 0;
        bGlobal::gShownNames.clear();
        bGlobal::gDatabaseName.clear();
        bGlobal::gServerName.clear();
        bGlobal::gDatabaseType = 0;
        bGlobal::gStructureFilePath.clear();
        bGlobal::gPreviewXPath.clear();
        bGlobal::oGUID = std::make_shared<cGUID>();
        bGlobal::SetErrorDialog([this](long, const QString& d, const QString& s) { errors << s + QStringLiteral(": ") + d; });
        frmDatabaseExplorer::ShowImportWizard.Provide({});
    }

    void TearDown() override {
        if (frmDatabaseExplorer::exists()) frmDatabaseExplorer::instance().Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmDatabaseExplorer::ShowImportWizard.Provide({});
    }

    // A styles folder holding the given file names (each with a line of CSS).
    void MakeStyles(const QStringList& names) {
        for (const QString& name : names)
            testsupport::WriteFile(folder.file(QStringLiteral("styles/") + name), QStringLiteral("body { color: black; }\n"));
    }

    // Loads and shows the main window.
    frmDatabaseExplorer& OpenWindow() {
        frmDatabaseExplorer& w = frmDatabaseExplorer::instance();
        w.Show();
        return w;
    }
};

// A cXML holding the given text (which must parse).
inline std::shared_ptr<cXML> Document(const QString& xml) {
    auto doc = std::make_shared<cXML>();
    EXPECT_TRUE(doc->LoadXMLContent(xml)) << qPrintable(xml);
    return doc;
}

// A structure document with four tables (the fourth with two indexes, a trigger and a
// foreign key; the second with one index), then the given views and procedures.
inline QString StructureXml(const QString& databaseName, const QStringList& views = {}, const QStringList& procedures = {}) {
    QString xml = QStringLiteral(
                      "<DATABASE Name=\"%1\" DatabaseEngine=\"MS Access 2000\" DatabaseType=\"9\" DatabaseName=\"%1\" "
                      "ServerName=\"C:/data/%1.mdb\" Time=\"1/2/2003 10:00:00\" CreatedOn=\"1/2/2003 10:00:00\" "
                      "ServerType=\"MS Access 2000\" CreatedBy=\"someone\">")
                      .arg(databaseName);
    const char* tables[] = {"Customers", "Orders", "Products", "Order Details"};
    for (int t = 0; t < 4; ++t) {
        xml += QStringLiteral("<TABLE Name=\"%1\" CreatedOn=\"t%2\" Report=\"1\" Migrate=\"0\"><COLUMN Name=\"Id\"/>")
                   .arg(QLatin1String(tables[t]))
                   .arg(t);
        if (t == 1) xml += QStringLiteral("<INDEX Name=\"IX_Orders\" Report=\"1\" Migrate=\"0\"/>");
        if (t == 3)
            xml += QStringLiteral(
                "<INDEX Name=\"PK_OD\" Report=\"1\" Migrate=\"0\"/><INDEX Name=\"IX_OD\" Report=\"1\" Migrate=\"0\"/>"
                "<FOREIGNKEY Name=\"FK_OD\" Report=\"1\" Migrate=\"0\"/>"
                "<TRIGGER Name=\"TR_OD\" Report=\"1\" Migrate=\"0\"><SQLSCRIPT><![CDATA[x]]></SQLSCRIPT></TRIGGER>");
        xml += QStringLiteral("</TABLE>");
    }
    for (const QString& v : views) xml += QStringLiteral("<VIEW Name=\"%1\" CreatedOn=\"\" Report=\"1\" Migrate=\"0\"/>").arg(v);
    for (const QString& p : procedures)
        xml += QStringLiteral("<STOREDPROCEDURE Name=\"%1\" CreatedOn=\"\" Report=\"1\" Migrate=\"0\"/>").arg(p);
    return xml + QStringLiteral("</DATABASE>");
}

// Names of an element's attributes, in order.
inline QStringList AttributeNames(const XmlNode& node) {
    QStringList names;
    for (const auto& a : node.attributes()) names << a.first;
    return names;
}

}  // namespace explorertest
