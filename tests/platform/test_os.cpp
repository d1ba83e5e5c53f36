#include "platform/os/Os.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

TEST(Os, GuidHasFullWidthUpperCaseGroups) {
    const QRegularExpression shape(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString g = platform::os::newGuid();
        ASSERT_TRUE(shape.match(g).hasMatch()) << qPrintable(g);
        seen.insert(g);
    }
    EXPECT_EQ(seen.size(), 200);
}

TEST(Os, SpecialFoldersEndInSlashAndUnknownIsEmpty) {
    qputenv("XDG_CONFIG_HOME", "/nonexistent-config");
    const QString docs = platform::os::specialFolderPath(platform::os::FolderDocuments);
    EXPECT_TRUE(docs.endsWith(QLatin1Char('/')));
    // No writable all-users folder exists here.
    EXPECT_EQ(platform::os::specialFolderPath(platform::os::FolderCommonDocuments), QString());
    EXPECT_EQ(platform::os::specialFolderPath(1234), QString());
}

TEST(Os, LocaleSymbolsAreOneCharacter) {
    EXPECT_EQ(platform::os::decimalSymbol().size(), 1);
    EXPECT_LE(platform::os::digitGroupingSymbol().size(), 1);
    EXPECT_FALSE(platform::os::userName().isEmpty());
}
