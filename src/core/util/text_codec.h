// The codec in which the product name and the about texts are kept inside the
// application: a light scrambling with a short key, not a protection.
#pragma once

#include <QByteArray>
#include <QString>

namespace kestrova {

// Texts and keys are handled as their UTF-8 bytes. With an empty text or key
// the text comes back unchanged. The result starts with an upper-case letter
// and has even length; random filler characters make each call differ.
QString EncodeText(const QString& text, const QString& key);

// Undoes EncodeText. A text that does not have the encoded form (wrong length,
// characters out of range, bad padding counts) comes back as given.
QString DecodeText(const QString& text, const QString& key);

// The byte-level steps, for the tests.
QByteArray ScrambleBlocks(const QByteArray& bytes);    // reorder and bit move of each 8-byte block
QByteArray UnscrambleBlocks(const QByteArray& bytes);  // its inverse

}  // namespace kestrova
