#include "core/bGlobal.h"
#include "core/cXML.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace bGlobal;

TEST(Encryption, RoundTripAndFailureCodes) {
    const QString text = QStringLiteral("<QUERIES><DATABASE/></QUERIES>");
    const QString cipher = EncryptText(text, PassPhrase(2));
    ASSERT_FALSE(IsFailureCode(cipher));
    EXPECT_EQ(DecryptText(cipher, PassPhrase(2)), text);
    EXPECT_EQ(DecryptText(cipher, PassPhrase(3)), QStringLiteral("-2"));
    EXPECT_EQ(DecryptText(QString(), PassPhrase(2)), QStringLiteral("-1"));
    EXPECT_EQ(DecryptText(QStringLiteral("<QUERIES/>"), PassPhrase(2)), QStringLiteral("-2"));
}

// Random, truncated and tampered inputs always give a failure code, never text.
TEST(Encryption, FuzzedInputsGiveFailureCodes) {
    const QString cipher = EncryptText(QStringLiteral("<a>some text</a>"), PassPhrase(4));
    QRandomGenerator rng(12345);
    for (int i = 0; i < 300; ++i) {
        QString input;
        switch (i % 3) {
        case 0: {
            QByteArray bytes(rng.bounded(0, 200), Qt::Uninitialized);
            for (char& c : bytes) c = char(rng.bounded(256));
            input = i % 2 ? QString::fromLatin1(bytes.toBase64()) : QString::fromLatin1(bytes);
            break;
        }
        case 1: input = cipher.left(rng.bounded(int(cipher.size()))); break;
        default: {
            input = cipher;
            const int at = rng.bounded(int(input.size()));
            input[at] = input[at] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
        }
        }
        if (input == cipher) continue;
        const QString out = DecryptText(input, PassPhrase(4));
        EXPECT_TRUE(IsFailureCode(out)) << i << ' ' << qPrintable(out.left(40));
    }
}

namespace {
void expectStartUpEnds(const QString& fileText, bool present, const QString& message) {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    const QString path = folder.file(QStringLiteral("queries.mxq"));
    QFile::remove(path);
    if (present) testsupport::WriteFile(path, fileText);
    EXPECT_THROW(testsupport::StartProgram(), platform::ui::ProgramEnded);
    if (!message.isEmpty()) {
        // The message names the file.
        EXPECT_EQ(host->messages(), QStringList{message + QStringLiteral("\r\n") + QDir::toNativeSeparators(path)});
    }
    EXPECT_EQ(host->prompts.last().kind, QStringLiteral("end"));
}
}  // namespace

TEST(Encryption, BadQueryCatalogueEndsStartUp) {
    const QString corrupted = QStringLiteral("Queries.mxq is corrupted, please check");
    expectStartUpEnds(QString(), true, corrupted);
    expectStartUpEnds(QStringLiteral("garbage"), true, corrupted);
    expectStartUpEnds(EncryptText(QStringLiteral("<QUERIES/>"), PassPhrase(3)), true, corrupted);
    // A missing file is an error the reporter handles; it too ends the program.
    expectStartUpEnds(QString(), false, QString());
}

TEST(Encryption, CatalogueThatIsNotXmlLeavesItEmpty) {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    testsupport::WriteFile(folder.file(QStringLiteral("queries.mxq")), EncryptText(QStringLiteral("<QUERIES>"), PassPhrase(2)));
    testsupport::StartProgram();
    EXPECT_FALSE(gErrorOccurred);
    EXPECT_TRUE(oQueriesXML->GetNodes(QStringLiteral("QUERIES/DATABASE")).isEmpty());
}

TEST(Encryption, ShippedDataTypeMapDeciphersWithPassPhraseOne) {
    const QString text = testsupport::ReadFile(QStringLiteral(MORVALEX_RESOURCE_DIR "/DataTypes.mxd"));
    const QString plain = DecryptText(text, PassPhrase(1));
    ASSERT_FALSE(IsFailureCode(plain));
    cXML map;
    ASSERT_TRUE(map.LoadXMLContent(plain));
    for (const char* key : {"ACCESS", "SQLSERVER", "SQLSERVER65", "ORACLE", "IBMDB2"})
        EXPECT_FALSE(map.GetNodes(QStringLiteral("MIGRATION/DATATYPES/") + QLatin1String(key)).isEmpty()) << key;
}
