#include "platform/crypto/Crypto.h"

#include <QByteArray>
#include <QStringList>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace platform::crypto;

TEST(Crypto, RoundTripsAndRefusesOtherPassPhrase) {
    const QString text = QStringLiteral("<DATABASE Name=\"Ünïcode ☃\"/>");
    const Result enc = encrypt(text, QStringLiteral("pass one"));
    ASSERT_EQ(enc.status, Status::Ok);
    EXPECT_FALSE(enc.text.contains(QStringLiteral("DATABASE")));
    EXPECT_EQ(decrypt(enc.text, QStringLiteral("pass one")).text, text);
    EXPECT_EQ(decrypt(enc.text, QStringLiteral("pass two")).status, Status::BadData);
    // Two encryptions of one text differ (fresh salt and nonce).
    EXPECT_NE(encrypt(text, QStringLiteral("pass one")).text, enc.text);
}

TEST(Crypto, EmptyPlainTextRoundTrips) {
    const Result enc = encrypt(QString(), QStringLiteral("p"));
    ASSERT_EQ(enc.status, Status::Ok);
    const Result dec = decrypt(enc.text, QStringLiteral("p"));
    EXPECT_EQ(dec.status, Status::Ok);
    EXPECT_TRUE(dec.text.isEmpty());
}

TEST(Crypto, DamagedTextsAreBadData) {
    const QString good = encrypt(QStringLiteral("hello world"), QStringLiteral("p")).text;
    const QByteArray raw = QByteArray::fromBase64(good.toLatin1());
    QStringList bad = {QStringLiteral("not base64 !!"), QStringLiteral("AAAA"), good.left(good.size() / 2),
                       QString::fromLatin1(QByteArray("plain text").toBase64())};
    for (int i = 0; i < raw.size(); i += 7) {
        QByteArray flipped = raw;
        flipped[i] = char(flipped[i] ^ 0x01);
        bad << QString::fromLatin1(flipped.toBase64());
    }
    for (const QString& t : bad) EXPECT_EQ(decrypt(t, QStringLiteral("p")).status, Status::BadData) << qPrintable(t);
}
