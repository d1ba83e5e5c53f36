// The main window's "Execute Query" tab: running the selected lines against the
// connection selected in the tree, the messages and the grid, query files, the
// output page and "Open All Rows".

#include "core/FileUtil.h"
#include "core/TreeFill.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/QueryResultModel.h"
#include "explorer/QueryText.h"
#include "explorer/TreeDocument.h"
#include "explorer/frmDatabaseExplorer.h"
#include "platform/ui/Host.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableView>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <exception>

using namespace bGlobal;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

constexpr int kOutputTab = 0;
constexpr int kMessagesTab = 1;
constexpr int kQueryTab = 3;
// A statement still running after this long shows the busy animation.
constexpr int kBusyAfterMs = 500;

// The chosen name of a file dialog; "" when cancelled or when it still is the
// pattern the dialog showed.
QString chosen(const QString& name, const QString& pattern) { return name == pattern ? QString() : name; }

}  // namespace

// ---- menus and tool bars ------------------------------------------------------------------

void frmDatabaseExplorer::mnuSubMainQuery_Click(int Index) {
    Trap(source("mnuSubMainQuery_Click"), [&] {
        switch (Index) {
        case 0: NewQueryFile(); break;
        case 1: OpenQueryFile(); break;
        case 2: SaveQueryFile(false); break;
        case 3: SaveQueryFile(true); break;
        case 5: SaveQueryOutputAsHTML(); break;
        case 7: tlbExecute_ButtonClick(Button(tlbExecute, QStringLiteral("Execute"))); break;
        default: break;
        }
    });
}

void frmDatabaseExplorer::mnuSubQuery_Click(int Index) {
    Trap(source("mnuSubQuery_Click"), [&] {
        if (Index >= 0 && Index <= 3) mnuSubMainQuery_Click(Index);
    });
}

void frmDatabaseExplorer::mnuSubOutput_Click(int Index) {
    Trap(source("mnuSubOutput_Click"), [&] {
        if (Index == 0) SaveQueryOutputAsHTML();
    });
}

void frmDatabaseExplorer::tlbQuery_ButtonClick(QToolButton* Button) {
    Trap(source("tlbQuery_ButtonClick"), [&] { PopupBelow(Button, mnuQuery); });
}

void frmDatabaseExplorer::tlbResult_ButtonClick(QToolButton* Button) {
    Trap(source("tlbResult_ButtonClick"), [&] { PopupBelow(Button, mnuOutput); });
}

void frmDatabaseExplorer::tlbExecute_ButtonClick(QToolButton*) {
    Trap(source("tlbExecute_ButtonClick"), [&] {
        if (m_queryRunning) return;
        m_queryCancelRequested = false;
        QTextCursor cursor = txtQuery->textCursor();
        const int anchor = cursor.anchor(), position = cursor.position();
        const int start = cursor.selectionStart(), length = cursor.selectionEnd() - start;
        const QStringList statements = QueryText::SelectedLines(txtQuery->toPlainText(), start, length);
        AppendMessage(QString());
        QPointer<frmDatabaseExplorer> self(this);
        for (const QString& statement : statements) {
            ProcessQuery(statement);
            if (!self || mbClosing) return;
            if (m_queryCancelRequested) break;  // the rest of the selection is not run
        }
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        txtQuery->setTextCursor(cursor);
    });
}

// ---- running a statement ------------------------------------------------------------------

void frmDatabaseExplorer::AppendMessage(const QString& sMessage) {
    Trap(source("AppendMessage"), [&] {
        if (sMessage.isEmpty())
            txtMessages->clear();
        else if (txtMessages->toPlainText().isEmpty())
            txtMessages->setPlainText(sMessage);
        else
            txtMessages->setPlainText(txtMessages->toPlainText() + QLatin1Char('\n') + sMessage);
    });
}

void frmDatabaseExplorer::RunWhilePainting(const std::function<void()>& work) {
    // The work waits for the driver in event loops of its own, so this thread keeps
    // the window painted; the controls that could start more work or change the
    // connection are off meanwhile, and the user's input other than the cancel command
    // is dropped (DropInputWhileQueryRuns).
    m_queryRunning = true;
    pctTools->setEnabled(false);
    txtQuery->setReadOnly(true);
    EnableControls(false);
    cmdCancelQuery->setEnabled(true);
    cmdCancelQuery->show();
    std::exception_ptr failure;
    bool animating = false;
    QTimer busy;
    busy.setSingleShot(true);
    connect(&busy, &QTimer::timeout, this, [&] {
        animating = true;
        StartAnimation();
    });
    busy.start(kBusyAfterMs);
    try {
        work();
    } catch (...) {
        failure = std::current_exception();
    }
    busy.stop();
    if (animating) {
        StopAnimation();
        ssRHPanel->setCurrentIndex(kQueryTab);
    }
    cmdCancelQuery->hide();
    EnableControls(true);
    txtQuery->setReadOnly(false);
    pctTools->setEnabled(true);
    m_queryRunning = false;
    if (m_closeAfterQuery) {
        // The close asked for meanwhile goes ahead once the command in hand has ended.
        m_closeAfterQuery = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
    if (failure) std::rethrow_exception(failure);
}

void frmDatabaseExplorer::cmdCancelQuery_Click() {
    Trap(source("cmdCancelQuery_Click"), [&] {
        // The connection's wait sees the request within its poll and sends the
        // driver's cancel (SQLCancel) from a thread of its own.
        if (!m_queryRunning) return;
        m_queryCancelRequested = true;
        cmdCancelQuery->setEnabled(false);
        sbPanels[1]->setText(QStringLiteral("Cancelling the statement..."));
    });
}

bool frmDatabaseExplorer::DropInputWhileQueryRuns(QObject* watched, QEvent* e) {
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this) return false;
    switch (e->type()) {
    case QEvent::ShortcutOverride:
        // Taken here, so that no shortcut of the window's fires; the key press follows.
        e->accept();
        return true;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Escape || (key->key() == Qt::Key_L && key->modifiers() == Qt::AltModifier))
            cmdCancelQuery_Click();
        return true;
    }
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return watched != cmdCancelQuery;
    default:
        return false;
    }
}

bool frmDatabaseExplorer::ProcessQuery(const QString& sQuery) {
    try {
        if (!oLHXML || !oLHXML->HasDocument()) return false;
        const XmlNode attribute = oLHXML->FindNode(TreeDocument::ConnectionPath(gGroupIndex, gConnectionIndex) +
                                                   QStringLiteral("/@ConnectionString"));
        if (!attribute) return false;
        gConnectionString = attribute.text();
        if (!mQueryConnection) mQueryConnection = std::make_shared<platform::ado::Connection>();
        // The statement runs on the connection it started with, even when the window
        // goes away meanwhile.
        const std::shared_ptr<platform::ado::Connection> connection = mQueryConnection;
        if (connection->State() == platform::ado::adStateOpen) connection->Close();
        connection->ConnectionString = QueryText::QueryConnectionString(gConnectionString);
        mQueryRowset = QueryRowset::None;

        // Rows come to this thread in batches while the statement is read; the first
        // batch puts a new model in the grid.
        QPointer<frmDatabaseExplorer> self(this);
        QPointer<QueryResultModel> model;
        QStringList names;
        bool hasColumns = false;
        long affected = -1;
        const auto receive = [this, &model, &names](const std::shared_ptr<PackedRows>& rows) {
            if (!model) {
                model = new QueryResultModel(names, dgResult);
                QAbstractItemModel* previous = dgResult->model();
                dgResult->setModel(model);
                delete previous;
                ssQueryResult->setCurrentIndex(kOutputTab);
            }
            model->AppendRows(std::move(*rows));
        };
        // The connection waits for the driver on a thread of its own and cancels the
        // statement once the cancel command has been given.
        connection->WaitInEventLoop = true;
        connection->CancelRequested = [self] { return !self || self->m_queryCancelRequested; };
        bool skipped = false;
        RunWhilePainting([&] {
            connection->Open();
            if (m_queryCancelRequested) {
                skipped = true;  // cancelled while connecting: the statement is not sent
                return;
            }
            connection->ExecuteInBatches(
                sQuery, QueryResultModel::kBatch,
                [&](const QStringList& columns) {
                    // Read by this thread only until the first batch is posted.
                    names = columns;
                    hasColumns = true;
                },
                [&](QList<QVariantList>&& batch) {
                    auto rows = std::make_shared<PackedRows>(PackRows(batch));
                    QMetaObject::invokeMethod(this, [receive, rows] { receive(rows); }, Qt::QueuedConnection);
                },
                &affected);
        });
        if (!self || mbClosing) return false;
        if (skipped) {
            ShowCancelled(QString());
            return false;
        }

        const int count = model ? model->TotalRows() : 0;
        if (hasColumns)
            mQueryCount = count;
        else
            // No rowset: the rows the driver says the statement touched.
            mQueryCount = affected >= 0 ? qint32(affected) : QueryText::kDefinitionCount;
        if (QueryText::IsDefinition(sQuery)) mQueryCount = QueryText::kDefinitionCount;
        if (hasColumns) mQueryRowset = count > 0 ? QueryRowset::Rows : QueryRowset::Empty;

        if (count > 0) {
            ssQueryResult->setCurrentIndex(kOutputTab);
            mQueryCount = count;
            AppendMessage(QueryText::OutcomeMessage(mQueryCount));
            return true;
        }
        AppendMessage(QueryText::OutcomeMessage(mQueryCount));
        ssQueryResult->setCurrentIndex(kMessagesTab);
        return false;
    } catch (const std::exception& e) {
        if (m_queryCancelRequested) {
            // A connection whose server did not answer the cancel was closed: its own
            // description says so.
            const bool closed = !mQueryConnection || mQueryConnection->State() != platform::ado::adStateOpen;
            ShowCancelled(closed ? Describe(e).second : QString());
            return false;
        }
        if (mQueryConnection && !mQueryConnection->Errors().isEmpty()) {
            QStringList descriptions;
            for (const platform::ado::Error& error : mQueryConnection->Errors()) descriptions << error.Description;
            AppendMessage(descriptions.join(QLatin1Char('\n')));
            ssQueryResult->setCurrentIndex(kMessagesTab);
            return false;
        }
        const auto [n, d] = Describe(e);
        ShowError(n, d, source("ProcessQuery"));
        return false;
    }
}

void frmDatabaseExplorer::ShowCancelled(const QString& sDetail) {
    AppendMessage(sDetail.isEmpty() ? QStringLiteral("The statement was cancelled.") : sDetail);
    ssQueryResult->setCurrentIndex(kMessagesTab);
    sbPanels[1]->setText(QStringLiteral("The statement was cancelled."));
}

void frmDatabaseExplorer::OpenAllRows() {
    Trap(source("OpenAllRows"), [&] {
        QTreeWidgetItem* node = TreeNodes::FindByIndex(trvMain, iCurrentNodeIndex);
        if (!node) throw platform::RuntimeError(35600, QStringLiteral("Index out of bounds"));
        const QString statement = QueryText::OpenAllRowsStatement(node->text(0), gDatabaseType);
        txtQuery->setPlainText(statement);
        txtQuery->selectAll();
        AppendMessage(QString());
        m_queryCancelRequested = false;
        ProcessQuery(statement);
        ssRHPanel->setCurrentIndex(kQueryTab);
        EnableMainQuery(true);
    });
}

// ---- query files and the output page --------------------------------------------------------

void frmDatabaseExplorer::NewQueryFile() {
    Trap(source("NewQueryFile"), [&] {
        mQueryFilePath.clear();
        txtQuery->clear();
    });
}

void frmDatabaseExplorer::OpenQueryFile() {
    CommandTrap(source("OpenQueryFile"), [&] {
        const QString path = chosen(platform::ui::host().openFile(QString(), QStringLiteral("Morvalex Database ScreenShot file (*.sql)"),
                                                                  gReportsFolder),
                                    QStringLiteral("*.sql"));
        if (path.isEmpty()) return;
        if (!QFileInfo(path).isFile()) {
            Critical(QStringLiteral("Query file does not exist"));
            return;
        }
        txtQuery->setPlainText(ReadTextFile(path));
        mQueryFilePath = path;
    });
}

void frmDatabaseExplorer::SaveQueryFile(bool bSaveAs) {
    CommandTrap(source("SaveQueryFile"), [&] {
        QString path = mQueryFilePath;
        if (bSaveAs || path.isEmpty()) {
            path = platform::ui::saveFileName(QString(), QStringLiteral("SQL Query file (*.sql)"), gReportsFolder, QString());
            if (path.isEmpty()) return;
        }
        try {
            WriteTextFileAtomic(path, txtQuery->toPlainText());
        } catch (const platform::RuntimeError& e) {
            Critical(QStringLiteral("The query file could not be written:\r\n") + path + QStringLiteral("\r\n") + e.description());
            return;
        }
        mQueryFilePath = path;
    });
}

void frmDatabaseExplorer::SaveQueryOutputAsHTML() {
    CommandTrap(source("SaveQueryOutputAsHTML"), [&] {
        const auto* model = qobject_cast<const QueryResultModel*>(dgResult->model());
        if (mQueryRowset == QueryRowset::None || (mQueryRowset == QueryRowset::Rows && !model)) {
            Critical(QStringLiteral("No results found to save"));
            return;
        }
        if (mQueryRowset == QueryRowset::Empty) {
            Critical(QStringLiteral("Please run query and try to save"));
            return;
        }
        const QString path =
            platform::ui::saveFileName(QString(), QStringLiteral("HTML file (*.html)"), gReportsFolder, QString());
        if (path.isEmpty()) return;

        Hourglass wait;
        StartAnimation();
        QString failure;
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            failure = file.errorString();
        } else {
            try {
                int next = 0;
                QueryText::WriteOutputPage(file, model->Names(), [&](QVariantList& row) {
                    if (next >= model->TotalRows()) return false;
                    row = model->Row(next++);
                    return true;
                });
                if (!file.commit()) failure = file.errorString();
            } catch (const platform::RuntimeError& e) {
                file.cancelWriting();
                failure = e.description();
            }
        }
        StopAnimation();
        ssRHPanel->setCurrentIndex(kQueryTab);
        if (!failure.isEmpty())
            Critical(QStringLiteral("The output could not be saved:\r\n") + path + QStringLiteral("\r\n") + failure);
    });
}
