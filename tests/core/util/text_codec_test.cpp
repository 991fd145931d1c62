#include "core/util/text_codec.h"
#include "test_support.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

QString RandomText(QRandomGenerator& random, int maxLength) {
    QString text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i) {
        switch (random.bounded(4)) {
            case 0: text += QChar(u'a' + random.bounded(26)); break;
            case 1: text += QChar(0x0410 + random.bounded(64)); break;  // Cyrillic
            case 2: text += QChar(random.bounded(1, 128)); break;     // ASCII, control characters too
            default: text += QChar(0x00A0 + random.bounded(0x2000)); break;
        }
    }
    return text;
}

TEST(TextCodec, RoundTripForRandomTextsAndKeys) {
    QRandomGenerator random(20261208);
    for (int i = 0; i < 3000; ++i) {
        const QString text = RandomText(random, 200);
        QString key = RandomText(random, 12);
        if (key.isEmpty()) key = QStringLiteral("K");
        const QString encoded = EncodeText(text, key);
        ASSERT_EQ(DecodeText(encoded, key), text) << i;
    }
}

TEST(TextCodec, EncodedFormStartsUpperCaseHasEvenLengthAndCodesFrom64To127) {
    QRandomGenerator random(7);
    for (int i = 0; i < 200; ++i) {
        const QString text = RandomText(random, 60) + QStringLiteral("x");
        const QString encoded = EncodeText(text, QStringLiteral("Kestra"));
        ASSERT_FALSE(encoded.isEmpty());
        EXPECT_TRUE(encoded[0] >= QLatin1Char('A') && encoded[0] <= QLatin1Char('Z'));
        EXPECT_EQ(encoded.size() % 2, 0);
        // Odd positions: two digits, then codec characters.
        EXPECT_TRUE(encoded[1].isDigit() && encoded[3].isDigit());
        for (qsizetype j = 5; j < encoded.size(); j += 2)
            EXPECT_TRUE(encoded[j].unicode() >= 64 && encoded[j].unicode() <= 127);
        for (qsizetype j = 2; j < encoded.size(); j += 2) EXPECT_TRUE(encoded[j].isLetterOrNumber());
        EXPECT_EQ((encoded.size() / 2 - 2) % 4, 0);
    }
}

TEST(TextCodec, EmptyTextOrKeyComesBackUnchanged) {
    EXPECT_EQ(EncodeText(QString(), QStringLiteral("Kestra")), QString());
    EXPECT_EQ(EncodeText(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
    EXPECT_EQ(DecodeText(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
}

TEST(TextCodec, KnownPaddingCounts) {
    // "abc": 3 bytes, 5 zero bytes to a block of 8; 8 bytes need 1 more for groups of 3.
    const QString encoded = EncodeText(QStringLiteral("abc"), QStringLiteral("Key"));
    EXPECT_EQ(encoded[1], QLatin1Char('5'));
    EXPECT_EQ(encoded[3], QLatin1Char('1'));
    EXPECT_EQ(encoded.size(), 2 * (2 + 3 * 4));
}

TEST(TextCodec, EncodingDiffersFromCallToCallButDecodesTheSame) {
    const QString a = EncodeText(QStringLiteral("Kestrova road safety"), QStringLiteral("Mkvrst"));
    const QString b = EncodeText(QStringLiteral("Kestrova road safety"), QStringLiteral("Mkvrst"));
    EXPECT_EQ(DecodeText(a, "Mkvrst"), DecodeText(b, "Mkvrst"));
    // The filler characters are random; 20 bytes give 24 of them.
    EXPECT_NE(a, b);
}

TEST(TextCodec, WrongKeyDoesNotGiveTheText) {
    const QString encoded = EncodeText(QStringLiteral("secret text"), QStringLiteral("Abcdef"));
    EXPECT_NE(DecodeText(encoded, QStringLiteral("Abcdeg")), QStringLiteral("secret text"));
}

struct tNotEncoded {
    const char* what;
    const char* text;
};

class NotEncodedTest : public ::testing::TestWithParam<tNotEncoded> {};

TEST_P(NotEncodedTest, ComesBackAsGiven) {
    const QString text = QString::fromUtf8(GetParam().text);
    EXPECT_EQ(DecodeText(text, QStringLiteral("Kestra")), text) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NotEncodedTest,
    ::testing::Values(tNotEncoded{"plain words", "Kestrova"}, tNotEncoded{"lower-case start", "plain text"},
                      tNotEncoded{"too short", "A"}, tNotEncoded{"no digits", "AaBbCcDdEeFfGgHhIiJjKkLl"},
                      tNotEncoded{"length not 2 + 4k", "A5a1b@"},
                      tNotEncoded{"padding count out of range", "A9a1b@c@d@e@f@g@h@i@j@k@l@m@n@o@p@q@r@s@t@u@"},
                      tNotEncoded{"character below 64", "A0a0b!c!d!e!"},
                      tNotEncoded{"Cyrillic", "Дорога"}),
    [](const auto& info) { return kestrova::test::ReadableTestName(info.param.what); });

TEST(TextCodec, BlockScrambleIsABijection) {
    QRandomGenerator random(3);
    for (int i = 0; i < 500; ++i) {
        QByteArray block(8 * (1 + random.bounded(4)), Qt::Uninitialized);
        for (char& c : block) c = static_cast<char>(random.bounded(256));
        EXPECT_EQ(UnscrambleBlocks(ScrambleBlocks(block)), block);
    }
    // One set bit moves to a single, predictable place: bit 0 of byte 0
    // (reordered position 5) lands in output byte 6 (7 - (0 - 6) mod 8 = 5).
    QByteArray one(8, '\0');
    one[0] = 1;
    const QByteArray moved = ScrambleBlocks(one);
    EXPECT_EQ(moved, QByteArray("\0\0\0\0\0\0\x01\0", 8));
}

}  // namespace

// Found by fuzzing: texts that begin with byte-order marks survive the round trip.
TEST(TextCodec, LeadingByteOrderMarksSurvive) {
    const QString text = QString::fromUtf8("\xEF\xBB\xBF\xEF\xBB\xBF ");
    const QString key = QStringLiteral("KESTRV");
    const QString encoded = kestrova::EncodeText(text, key);
    EXPECT_EQ(kestrova::DecodeText(encoded, key), text) << encoded.toStdString() << " len " << text.size();
}
