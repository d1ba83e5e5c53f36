// Opening connections, running statements and reading their results, on real SQLite
// files and the PostgreSQL test server.

#include "support/TestSupport.h"
#include "platform/Error.h"
#include "platform/ado/Ado.h"
#include "tests/ado/support/TestDatabases.h"
#include "tests/support/SilentPort.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace platform::ado;

namespace {

long openError(Connection& c, const QString& connectionString) {
    try {
        c.Open(connectionString);
    } catch (const platform::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

// A database with table t (a int) on each engine that runs here: a SQLite file, and a
// PostgreSQL database when the test server is configured.
struct BothEngines {
    testdb::SqliteFile lite{QStringLiteral("CREATE TABLE t (a int);")};
    std::unique_ptr<testdb::PgDatabase> pg;
    QList<QString> strings{lite.connectionString()};
    BothEngines() {
        if (!testdb::PgConfigured()) return;
        pg = std::make_unique<testdb::PgDatabase>(QStringLiteral("CREATE TABLE t (a int)"));
        strings << pg->connectionString();
    }
};

long errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

TEST(ConnectionTest, OpenFailuresGiveTheAdoNumbers) {
    testdb::UseTestOdbc();
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.db"));
    struct Case {
        const char* what;
        QString connectionString;
        long number;
        bool fromDriver;  // the driver's diagnostics fill Errors()
    };
    QList<Case> cases = {
        // Refused before the driver is asked, with the message for a missing file.
        {"missing SQLite file", QStringLiteral("Driver=SQLite3;Database=%1;NoCreat=1").arg(missing), platform::err::FileNotFound,
         false},
        {"closed port", QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=x;UID=u;PWD=p"),
         adErrGeneric, true},
        {"unknown driver", QStringLiteral("Driver={No Such Driver};Database=x"), adErrProviderNotFound, true},
        {"unknown provider", QStringLiteral("Provider=NoSuch.Provider;Data Source=x"), adErrProviderNotFound, false},
    };
    if (testdb::PgConfigured()) {
        cases << Case{"wrong password", testdb::PgConnectionString(QStringLiteral("postgres"), QStringLiteral("wrong")),
                      adErrLoginFailed, true};
        cases << Case{"unknown database", testdb::PgConnectionString(QStringLiteral("no_such_database_here")), adErrGeneric, true};
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connection connection;
        EXPECT_EQ(openError(connection, c.connectionString), c.number);
        EXPECT_EQ(connection.State(), adStateClosed);
        if (c.fromDriver) {
            ASSERT_FALSE(connection.Errors().isEmpty());
            EXPECT_EQ(connection.Errors().first().Number, c.number);
            EXPECT_FALSE(connection.Errors().first().Description.isEmpty());
        } else {
            EXPECT_TRUE(connection.Errors().isEmpty());
        }
    }
    EXPECT_FALSE(QFileInfo::exists(missing)) << "NoCreat=1 must not create the file";
    MORVALEX_REQUIRE_TEST_PG();  // the PostgreSQL cases above need the test server
}

TEST(ConnectionTest, ClosedConnectionAndCommandRefuseWork) {
    Connection c;
    EXPECT_EQ(errorOf([&] { c.Execute(QStringLiteral("SELECT 1")); }), adErrClosed);
    EXPECT_EQ(errorOf([&] { c.OpenSchema(adSchemaTables); }), adErrClosed);
    Command cmd;
    cmd.CommandText = QStringLiteral("SELECT 1");
    EXPECT_EQ(errorOf([&] { cmd.Execute(); }), 3709);
    cmd.ActiveConnection = &c;
    EXPECT_EQ(errorOf([&] { cmd.Execute(); }), 3709);
}

// Values of every kind come back typed, Nulls as null variants, text whole.
TEST(ConnectionTest, SqliteExecuteReadsTypesNullsAndUnicode) {
    testdb::SqliteFile db(QStringLiteral(
        "CREATE TABLE t (i integer, b bigint, d double, s varchar(20), dt date, ts datetime, flag boolean, note text);"));
    Connection c;
    c.Open(db.connectionString());
    EXPECT_EQ(c.DbmsName(), QStringLiteral("SQLite"));
    const QString unicode = QStringLiteral("Grüße €😀 中文");
    const QString longText = QString(10000, QLatin1Char('x')) + unicode;
    long affected = -1;
    RecordsetPtr none = c.Execute(QStringLiteral("INSERT INTO t VALUES (42, 9000000000, 1.25, '%1', '2024-02-29', "
                                                 "'2024-02-29 13:45:10', 1, '%2')")
                                      .arg(unicode, longText),
                                  &affected);
    EXPECT_EQ(none->State(), adStateClosed);
    EXPECT_EQ(affected, 1);
    c.Execute(QStringLiteral("INSERT INTO t VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)"));

    RecordsetPtr rs = c.Execute(QStringLiteral("SELECT i, b, d, s, dt, ts, flag, note FROM t ORDER BY i DESC"));
    ASSERT_EQ(rs->State(), adStateOpen);
    ASSERT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->FieldType(0), adInteger);
    EXPECT_EQ(rs->FieldType(1), adBigInt);
    EXPECT_EQ(rs->FieldType(4), adDBDate);
    EXPECT_EQ(rs->FieldType(5), adDBTimeStamp);
    EXPECT_EQ(rs->Fields(QStringLiteral("I")).toInt(), 42);  // names ignore case
    EXPECT_EQ(rs->Fields(QStringLiteral("b")).toLongLong(), 9000000000LL);
    EXPECT_DOUBLE_EQ(rs->Fields(QStringLiteral("d")).toDouble(), 1.25);
    EXPECT_EQ(rs->Fields(QStringLiteral("s")).toString(), unicode);
    EXPECT_EQ(rs->Fields(QStringLiteral("dt")).toDate(), QDate(2024, 2, 29));
    EXPECT_EQ(rs->Fields(QStringLiteral("ts")).toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(13, 45, 10)));
    EXPECT_EQ(rs->Fields(QStringLiteral("flag")).toBool(), true);
    EXPECT_EQ(rs->Fields(QStringLiteral("note")).toString(), longText);
    rs->MoveNext();
    for (int f = 0; f < rs->FieldCount(); ++f) EXPECT_TRUE(rs->Fields(f).isNull()) << f;
    rs->MoveNext();
    EXPECT_TRUE(rs->IsEOF());

    // A file whose path is not ASCII.
    QTemporaryDir dir;
    const QString unusual = dir.filePath(QStringLiteral("Daten Grüße 😀.db"));
    ASSERT_TRUE(QFile::copy(db.path(), unusual));
    Connection other;
    other.Open(QStringLiteral("Driver=SQLite3;Database=%1;NoCreat=1").arg(unusual));
    EXPECT_EQ(other.Execute(QStringLiteral("SELECT s FROM t WHERE s = '%1'").arg(unicode))->RecordCount(), 1);
}

TEST(ConnectionTest, PostgresExecuteReadsTypesNullsAndUnicode) {
    MORVALEX_REQUIRE_TEST_PG();
    testdb::PgDatabase db(QStringLiteral(
        "CREATE TABLE t (i integer, b bigint, n numeric(10,2), d double precision, s varchar(20), dt date, "
        "ts timestamp, u uuid, note text)"));
    Connection c;
    c.Open(db.connectionString());
    EXPECT_EQ(c.DbmsName(), QStringLiteral("PostgreSQL"));
    const QString unicode = QStringLiteral("Grüße €😀 中文");
    c.Execute(QStringLiteral("INSERT INTO t VALUES (42, 9000000000, 12.5, 1.25, '%1', '2024-02-29', "
                             "'2024-02-29 13:45:10.250', 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11', repeat('y', 9000))")
                  .arg(unicode));
    c.Execute(QStringLiteral("INSERT INTO t VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)"));
    RecordsetPtr rs = c.Execute(QStringLiteral("SELECT i, b, n, d, s, dt, ts, u, note FROM t ORDER BY i NULLS LAST"));
    ASSERT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->FieldType(0), adInteger);
    EXPECT_EQ(rs->FieldType(1), adBigInt);
    EXPECT_EQ(rs->FieldType(2), adNumeric);
    EXPECT_EQ(rs->FieldType(4), adVarWChar);
    EXPECT_EQ(rs->Fields(0).toInt(), 42);
    EXPECT_EQ(rs->Fields(1).toLongLong(), 9000000000LL);
    EXPECT_EQ(rs->Fields(2).toString(), QStringLiteral("12.50"));  // every digit kept
    EXPECT_DOUBLE_EQ(rs->Fields(3).toDouble(), 1.25);
    EXPECT_EQ(rs->Fields(4).toString(), unicode);
    EXPECT_EQ(rs->Fields(5).toDate(), QDate(2024, 2, 29));
    EXPECT_EQ(rs->Fields(6).toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(13, 45, 10, 250)));
    EXPECT_EQ(rs->Fields(7).toString().toLower(), QStringLiteral("a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11"));
    EXPECT_EQ(rs->Fields(8).toString(), QString(9000, QLatin1Char('y')));
    rs->MoveNext();
    for (int f = 0; f < rs->FieldCount(); ++f) EXPECT_TRUE(rs->Fields(f).isNull()) << f;

    // Of several results, the first with columns.
    RecordsetPtr second = c.Execute(QStringLiteral("UPDATE t SET i = i; SELECT 7 AS seven"));
    ASSERT_EQ(second->State(), adStateOpen);
    EXPECT_EQ(second->Fields(QStringLiteral("seven")).toInt(), 7);

    // User and password given to Open rather than in the string.
    const testdb::PgServer server = testdb::PgServerFacts();
    Connection byArguments;
    byArguments.Open(QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3")
                         .arg(server.host)
                         .arg(server.port)
                         .arg(db.name()),
                     server.user, server.password);
    EXPECT_EQ(byArguments.State(), adStateOpen);
}

// A text is read in one piece when it is short and in several when it is not; texts
// of every length around the piece boundaries, with characters of two, three and four
// UTF-8 bytes falling across them, come back whole on the narrow SQLite driver and on
// the wide PostgreSQL one. An empty text stays an empty, non-null text.
TEST(ConnectionTest, TextsOfEveryLengthAroundThePieceBoundaryComeBackWhole) {
    const BothEngines engines;
    QList<QString> texts{QString()};
    for (const int n : {1, 250, 254, 255, 256, 505, 506, 507, 508, 509, 510, 511, 512, 513, 1019, 1020, 1021, 1022, 1023})
        texts << QString(n, QLatin1Char('a')) << QString(n, QLatin1Char('b')) + QStringLiteral("é€😀é€😀 z");
    for (const QString& connectionString : engines.strings) {
        Connection c;
        c.Open(connectionString);
        SCOPED_TRACE(c.DbmsName().toStdString());
        for (const QString& text : texts) {
            RecordsetPtr rs = c.Execute(QStringLiteral("SELECT '%1' AS v").arg(text));
            ASSERT_EQ(rs->RecordCount(), 1);
            const QVariant value = rs->Fields(0);
            EXPECT_FALSE(value.isNull()) << text.size();
            EXPECT_EQ(value.toString(), text) << text.size();
        }
    }
    if (!engines.pg) MORVALEX_REQUIRE_TEST_PG();  // the wide driver's half could not run
}

TEST(ConnectionTest, RejectedStatementsRaiseCommandFailedWithDiagnostics) {
    const BothEngines engines;
    for (const QString& cs : engines.strings) {
        SCOPED_TRACE(cs.toStdString());
        Connection c;
        c.Open(cs);
        EXPECT_EQ(errorOf([&] { c.Execute(QStringLiteral("SELECT * FROM no_such_table")); }), adErrCommandFailed);
        ASSERT_FALSE(c.Errors().isEmpty());
        EXPECT_TRUE(c.Errors().first().Description.contains(QLatin1String("no_such_table")));
        // The next good statement clears the collection.
        EXPECT_EQ(c.Execute(QStringLiteral("SELECT a FROM t"))->State(), adStateOpen);
        EXPECT_TRUE(c.Errors().isEmpty());
        Command cmd;
        cmd.ActiveConnection = &c;
        cmd.CommandText = QStringLiteral("INSERT INTO t VALUES (7)");
        long affected = 0;
        EXPECT_EQ(cmd.Execute(&affected)->State(), adStateClosed);
        EXPECT_EQ(affected, 1);
    }
    MORVALEX_REQUIRE_TEST_PG();  // the PostgreSQL cases above need the test server
}

TEST(RecordsetTest, GetStringWritesClipFormatFromTheCurrentRow) {
    Recordset rs({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, {adInteger, adVarWChar, adBoolean},
                 {{1, QStringLiteral("x"), true}, {2, QVariant(), false}, {3, QStringLiteral("z"), QVariant()}});
    struct Case {
        const char* column;
        const char* row;
        const char* null;
        bool skipFirst;
        const char* expected;
    };
    const Case cases[] = {
        {"\t", "\r", "", false, "1\tx\tTrue\r2\t\tFalse\r3\tz\t\r"},
        {" ", "", "", false, "1 x True2  False3 z "},
        {",", "\n", "NULL", true, "2,NULL,False\n3,z,NULL\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        rs.MoveFirst();
        if (c.skipFirst) rs.MoveNext();
        EXPECT_EQ(rs.GetString(QString::fromUtf8(c.column), QString::fromUtf8(c.row), QString::fromUtf8(c.null)),
                  QString::fromUtf8(c.expected));
        EXPECT_TRUE(rs.IsEOF());
        EXPECT_EQ(rs.GetString(), QString());  // nothing left
    }
}

TEST(RecordsetTest, FieldErrorsAndEmptyResults) {
    Recordset rs({QStringLiteral("a")}, {adInteger}, {{1}});
    EXPECT_EQ(errorOf([&] { rs.Fields(QStringLiteral("missing")); }), adErrItemNotFound);
    EXPECT_FALSE(rs.HasField(QStringLiteral("missing")));
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(errorOf([&] { rs.Fields(QStringLiteral("a")); }), 3021);
    EXPECT_EQ(errorOf([&] { rs.MoveNext(); }), 3021);

    Recordset empty({QStringLiteral("a")}, {adInteger}, {});
    EXPECT_TRUE(empty.IsBOF());
    EXPECT_TRUE(empty.IsEOF());

    Recordset closed;
    EXPECT_EQ(closed.State(), adStateClosed);
    EXPECT_EQ(errorOf([&] { closed.IsEOF(); }), adErrClosed);
}

TEST(RecordsetTest, RecordsetOutlivesItsConnection) {
    testdb::SqliteFile db(QStringLiteral("CREATE TABLE t (a int); INSERT INTO t VALUES (5);"));
    RecordsetPtr rs;
    {
        Connection c;
        c.Open(db.connectionString());
        rs = c.Execute(QStringLiteral("SELECT a FROM t"));
    }
    EXPECT_EQ(rs->Fields(QStringLiteral("a")).toInt(), 5);
    EXPECT_EQ(rs->GetString(), QStringLiteral("5\r"));
}

}  // namespace

TEST(ConnectionTest, SqliteFilesThatAreMissingOrNoDatabaseAreRefusedWithAClearMessage) {
    testdb::UseTestOdbc();
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("mistyped.db"));
    const QString text = dir.filePath(QStringLiteral("notes.db"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("These are notes, not a database. ").repeated(20));
    }
    const struct {
        const char* what;
        QString connectionString;
        long number;
        QString message;
    } cases[] = {
        {"missing file, no NoCreat", QStringLiteral("Driver=SQLite3;Database=") + missing, platform::err::FileNotFound,
         QStringLiteral("File does not exist, please enter a valid file name")},
        {"missing file, NoCreat=1", QStringLiteral("Driver={SQLite3};Database={%1};NoCreat=1").arg(missing),
         platform::err::FileNotFound, QStringLiteral("File does not exist, please enter a valid file name")},
        {"a folder", QStringLiteral("Driver=SQLite3;Database=") + dir.path(), platform::err::FileNotFound,
         QStringLiteral("File does not exist, please enter a valid file name")},
        {"not a database", QStringLiteral("Driver=SQLite3;Database=") + text, platform::err::InvalidFileFormat,
         QStringLiteral("The file \"%1\" is not a SQLite database. Please select a valid database file.").arg(text)},
    };
    for (const auto& c : cases) {
        Connection conn;
        try {
            conn.Open(c.connectionString);
            ADD_FAILURE() << c.what << ": opened";
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number(), c.number) << c.what;
            EXPECT_EQ(e.description(), c.message) << c.what;
        }
        EXPECT_EQ(conn.State(), adStateClosed) << c.what;
        EXPECT_FALSE(QFileInfo::exists(missing)) << c.what;
    }
}

TEST(ConnectionTest, ConnectionStringsAreNeverCut) {
    // The keys that name the database come after the long part: a string cut to 16
    // bits would reach another database or none. The longest string SQLDriverConnect
    // can take arrives whole; a longer one is refused with its length, never cut.
    MORVALEX_REQUIRE_TEST_PG();
    testdb::PgDatabase db(QStringLiteral("CREATE TABLE far_end (a int);"));
    const QString tail = QLatin1Char(';') + db.connectionString().section(QLatin1Char(';'), 1);
    const auto withLength = [&](qsizetype total) {
        const QString head = QStringLiteral("Driver={PostgreSQL Unicode};Description=");
        return head + QString(total - head.size() - tail.size(), QLatin1Char('x')) + tail;
    };
    Connection c;
    c.Open(withLength(32767));
    EXPECT_EQ(c.Execute(QStringLiteral("SELECT current_database()"))->Fields(0).toString(), db.name());
    for (const qsizetype total : {32768, 65593}) {
        Connection refused;
        try {
            refused.Open(withLength(total));
            ADD_FAILURE() << total << " characters opened";
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number(), platform::err::InvalidArgument);
            EXPECT_TRUE(e.description().contains(QString::number(total))) << e.description().toStdString();
        }
        EXPECT_EQ(refused.State(), adStateClosed);
    }
}

using testsupport::SilentPort;

TEST(ConnectionTest, AFrozenServerIsGivenUpAfterTheLoginTimeWithTheDriversMessage) {
    testdb::UseTestOdbc();
    SilentPort silent;
    ASSERT_GT(silent.port(), 0);
    // On the calling thread, and on a worker while the calling thread's events flow.
    for (const bool waitInEventLoop : {false, true}) {
        SCOPED_TRACE(waitInEventLoop ? "waiting in an event loop" : "on the calling thread");
        Connection c;
        c.ConnectionTimeout = 2;
        c.WaitInEventLoop = waitInEventLoop;
        testsupport::TimerTicks ticks;
        QElapsedTimer timer;
        timer.start();
        try {
            c.Open(QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=x;UID=u;PWD=p").arg(silent.port()));
            ADD_FAILURE() << "opened a connection to a port that never answers";
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number(), adErrTimeout) << e.description().toStdString();
            EXPECT_FALSE(e.description().isEmpty());
        }
        EXPECT_LT(timer.elapsed(), 8000);
        EXPECT_EQ(c.State(), adStateClosed);
        if (waitInEventLoop) {
            EXPECT_GE(ticks.count, 25) << "the event loop did not run while connecting";
        }
    }
}

TEST(ConnectionTest, CancelStopsARunningStatementFromAnotherThread) {
    MORVALEX_REQUIRE_TEST_PG();
    testdb::PgDatabase db;
    Connection c;
    c.Open(db.connectionString());
    long number = 0;
    QElapsedTimer timer;
    timer.start();
    std::thread worker([&] {
        try {
            c.Execute(QStringLiteral("SELECT pg_sleep(30)"));
        } catch (const platform::RuntimeError& e) {
            number = e.number();
        }
    });
    QThread::msleep(500);
    c.Cancel();
    worker.join();
    EXPECT_EQ(number, adErrCancelled);
    EXPECT_LT(timer.elapsed(), 5000);
    // The connection stays usable.
    EXPECT_EQ(c.Execute(QStringLiteral("SELECT 1"))->Fields(0).toInt(), 1);
}

// A statement run while the calling thread waits in an event loop: the loop keeps
// running (a timer ticks), the cancel request is seen within a poll and ends the
// statement, and the results of an ordinary statement are as without the wait.
TEST(ConnectionTest, WaitingInEventLoopKeepsEventsFlowingAndCancels) {
    MORVALEX_REQUIRE_TEST_PG();
    testdb::PgDatabase db;
    Connection c;
    c.WaitInEventLoop = true;
    c.Open(db.connectionString());
    EXPECT_EQ(c.Execute(QStringLiteral("SELECT 41 + 1"))->Fields(0).toInt(), 42);
    EXPECT_EQ(c.OpenSchema(adSchemaTables)->State(), adStateOpen);

    testsupport::TimerTicks ticks;
    QElapsedTimer timer;
    timer.start();
    qint64 cancelAt = -1;
    c.CancelRequested = [&] {
        if (cancelAt < 0 && timer.elapsed() >= 500) cancelAt = timer.elapsed();
        return cancelAt >= 0;
    };
    long number = 0;
    try {
        c.Execute(QStringLiteral("SELECT pg_sleep(30)"));
    } catch (const platform::RuntimeError& e) {
        number = e.number();
    }
    EXPECT_EQ(number, adErrCancelled);
    ASSERT_GE(cancelAt, 0);
    EXPECT_LT(timer.elapsed() - cancelAt, 1500);
    EXPECT_GE(ticks.count, 5);  // about 25 while the statement ran on a quiet machine
    c.CancelRequested = nullptr;
    EXPECT_EQ(c.Execute(QStringLiteral("SELECT 1"))->Fields(0).toInt(), 1);
}
