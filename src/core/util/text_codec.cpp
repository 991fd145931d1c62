#include "core/util/text_codec.h"

#include <QStringDecoder>

#include <QRandomGenerator>

#include <array>

namespace kestrova {

namespace {

// Byte i of a reordered block is byte kOrder[i] of the block.
constexpr std::array<int, 8> kOrder = {2, 6, 7, 1, 5, 0, 4, 3};

int Mod8(int v) { return ((v % 8) + 8) % 8; }

// XOR with the key's bytes from its last one backwards, round and round.
void XorWithKey(QByteArray& bytes, const QByteArray& key) {
    const qsizetype n = key.size();
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(bytes[i] ^ key[n - 1 - (i % n)]);
}

QChar RandomFiller(bool first) {
    auto* random = QRandomGenerator::global();
    if (first) return QChar(u'A' + random->bounded(26));
    switch (random->bounded(3)) {
        case 0: return QChar(u'0' + random->bounded(10));
        case 1: return QChar(u'A' + random->bounded(26));
        default: return QChar(u'a' + random->bounded(26));
    }
}

bool IsUpperAscii(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); }
bool IsDigitAscii(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

}  // namespace

QByteArray ScrambleBlocks(const QByteArray& bytes) {
    QByteArray out(bytes.size(), '\0');
    for (qsizetype b = 0; b + 8 <= bytes.size(); b += 8) {
        unsigned char r[8];
        for (int i = 0; i < 8; ++i) r[i] = static_cast<unsigned char>(bytes[b + kOrder[i]]);
        // Bit n of output byte i is bit n of reordered byte 7 - ((n - i) mod 8).
        for (int i = 0; i < 8; ++i) {
            unsigned value = 0;
            for (int n = 0; n < 8; ++n) value |= ((r[7 - Mod8(n - i)] >> n) & 1u) << n;
            out[b + i] = static_cast<char>(value);
        }
    }
    return out;
}

QByteArray UnscrambleBlocks(const QByteArray& bytes) {
    QByteArray out(bytes.size(), '\0');
    for (qsizetype b = 0; b + 8 <= bytes.size(); b += 8) {
        unsigned char r[8] = {};
        for (int i = 0; i < 8; ++i) {
            const auto value = static_cast<unsigned char>(bytes[b + i]);
            for (int n = 0; n < 8; ++n) r[7 - Mod8(n - i)] |= static_cast<unsigned char>(((value >> n) & 1u) << n);
        }
        for (int i = 0; i < 8; ++i) out[b + kOrder[i]] = static_cast<char>(r[i]);
    }
    return out;
}

QString EncodeText(const QString& text, const QString& key) {
    if (text.isEmpty() || key.isEmpty()) return text;
    const QByteArray keyBytes = key.toUtf8();
    QByteArray bytes = text.toUtf8();

    const int p1 = static_cast<int>((8 - bytes.size() % 8) % 8);
    bytes.append(p1, '\0');
    bytes = ScrambleBlocks(bytes);
    XorWithKey(bytes, keyBytes);
    const int p2 = static_cast<int>((3 - bytes.size() % 3) % 3);
    bytes.append(p2, '\0');

    QString plain = QString::number(p1) + QString::number(p2);
    plain.reserve(2 + bytes.size() / 3 * 4);
    for (qsizetype i = 0; i < bytes.size(); i += 3) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        const auto b2 = static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 6; shift >= 0; shift -= 2) {
            const int value = (((b0 >> shift) & 3) << 4) | (((b1 >> shift) & 3) << 2) | ((b2 >> shift) & 3);
            plain += QChar(64 + value);
        }
    }

    QString result;
    result.reserve(plain.size() * 2);
    for (qsizetype i = 0; i < plain.size(); ++i) {
        result += RandomFiller(i == 0);
        result += plain[i];
    }
    return result;
}

QString DecodeText(const QString& text, const QString& key) {
    if (text.isEmpty() || key.isEmpty()) return text;
    QString plain = text;
    if (IsUpperAscii(text[0])) {
        plain.clear();
        for (qsizetype i = 1; i < text.size(); i += 2) plain += text[i];
    }
    if (plain.size() < 2 || (plain.size() - 2) % 4 != 0 || !IsDigitAscii(plain[0]) || !IsDigitAscii(plain[1]))
        return text;
    const int p1 = plain[0].unicode() - '0';
    const int p2 = plain[1].unicode() - '0';
    if (p1 > 7 || p2 > 2) return text;

    QByteArray bytes;
    bytes.reserve((plain.size() - 2) / 4 * 3);
    for (qsizetype i = 2; i < plain.size(); i += 4) {
        int b0 = 0, b1 = 0, b2 = 0;
        for (int j = 0; j < 4; ++j) {
            const int value = plain[i + j].unicode() - 64;
            if (value < 0 || value > 63) return text;
            const int shift = 6 - 2 * j;
            b0 |= ((value >> 4) & 3) << shift;
            b1 |= ((value >> 2) & 3) << shift;
            b2 |= (value & 3) << shift;
        }
        bytes.append(static_cast<char>(b0)).append(static_cast<char>(b1)).append(static_cast<char>(b2));
    }
    if (bytes.size() < p2) return text;
    bytes.chop(p2);
    if (bytes.size() % 8 != 0 || bytes.size() < p1) return text;
    XorWithKey(bytes, key.toUtf8());
    bytes = UnscrambleBlocks(bytes);
    bytes.chop(p1);
    // Keep a leading byte-order mark: it was part of the text when encoded.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

}  // namespace kestrova
