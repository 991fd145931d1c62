// Writing a file so that an existing one is never left half written or lost:
// the new content goes to a fresh temporary file beside the target (a name no
// other file has, so nothing of the user's is touched), which then replaces
// the target in one step.
#pragma once

#include <QFile>
#include <QString>

namespace kestrova {

// Read and write for everyone: what a new file is created with, less what
// the user's umask takes away.
QFile::Permissions OrdinaryFilePermissions();

// Creates an empty file with an unused name in the target's folder, ending in
// `suffix` (writers that pick their format by extension want it), and returns
// its path; empty when the folder cannot take a file. The file gets ordinary
// permissions following the umask, like any other new file, since it becomes
// the user's file when it replaces the target.
QString CreateTemporaryBeside(const QString& target, const QString& suffix);

// Moves `source` over `target`, replacing an existing target in one step (a
// plain rename on POSIX, a replacing move on Windows); a replaced target's
// permissions pass to the new file. On failure both files stay as they were.
bool ReplaceFile(const QString& source, const QString& target);

}  // namespace kestrova
