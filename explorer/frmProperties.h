#pragma once
// The properties of the current connection (gGroupIndex / gConnectionIndex of the tree
// document): its object counts, its connection string with passwords hidden, server,
// database, engine, when and by whom it was read, and four server settings. It only
// reads. Shown modally through ShowDialog. Window thread only.

#include "core/Forms.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmProperties : public QDialog, public SharedForm<frmProperties> {
    Q_OBJECT
    friend class SharedForm<frmProperties>;
public:
    // Loads the dialog for the current connection and shows it modally.
    static void ShowDialog();

    QString FormName() const override { return QStringLiteral("frmProperties"); }
    void Unload() override;

    void Form_Load();
    void btnClose_Click();

    QLabel* pctDatabase = nullptr;
    QGroupBox* fraHeadline1 = nullptr;
    QLabel* lblDatabaseNameValue = nullptr;
    QLabel* lblServerNameValue = nullptr;
    QLabel* lblServerTypeValue = nullptr;
    QGroupBox* fraConnectionString = nullptr;
    QPlainTextEdit* txtConnectionString = nullptr;
    QGroupBox* fraSummary = nullptr;
    QLabel* lblTablesCount = nullptr;
    QLabel* lblIndexesCount = nullptr;
    QLabel* lblTriggersCount = nullptr;
    QLabel* lblViewsCount = nullptr;
    QLabel* lblStoredProceduresCount = nullptr;
    QGroupBox* fraReport = nullptr;
    QLabel* lblCreatedOnValue = nullptr;
    QLabel* lblCreatedByValue = nullptr;
    QGroupBox* fraAdditionalInfo = nullptr;
    QLabel* lblLangValue = nullptr;
    QLabel* lblMaxConnValue = nullptr;
    QLabel* lblMaxPrecision = nullptr;
    QLabel* lblTimeOutValue = nullptr;
    QPushButton* btnClose = nullptr;

private:
    frmProperties();
    void reject() override { btnClose_Click(); }
    void PopulateDBProperties();
};
