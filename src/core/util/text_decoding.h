// One place that turns the bytes of a user's text file into text. Files may be
// written by a recent editor (UTF-8, with or without a byte-order mark) or by an
// older Cyrillic system (Windows-1251); both must read the same.
#pragma once

#include <QByteArray>
#include <QString>

namespace kestrova {

// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is dropped),
// otherwise Windows-1251. Never fails: every byte has a meaning in Windows-1251.
QString DecodeFileText(const QByteArray& bytes);

// True when the bytes (after an optional byte-order mark) are valid UTF-8.
bool IsValidUtf8(const QByteArray& bytes);

// Windows-1251 alone, byte by byte.
QString DecodeWindows1251(const QByteArray& bytes);

}  // namespace kestrova
