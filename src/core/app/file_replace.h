// Writing a file so that an existing one is never left half written or lost:
// the new content goes to a fresh temporary file beside the target (a name no
// other file has, so nothing of the user's is touched), which then replaces
// the target in one step.
#pragma once

#include <QString>

namespace kestrova {

// Creates an empty file with an unused name in the target's folder, ending in
// `suffix` (writers that pick their format by extension want it), and returns
// its path; empty when the folder cannot take a file.
QString CreateTemporaryBeside(const QString& target, const QString& suffix);

// Moves `source` over `target`, replacing an existing target in one step (a
// plain rename on POSIX, a replacing move on Windows). On failure both files
// stay as they were.
bool ReplaceFile(const QString& source, const QString& target);

}  // namespace kestrova
