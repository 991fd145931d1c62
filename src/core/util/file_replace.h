// Writing a file so that an existing one is never left half written or lost:
// the new content goes to a fresh temporary file beside the target (a name no
// other file has, so nothing of the user's is touched), which then replaces
// the target in one step.
#pragma once

#include <QFile>
#include <QString>

#include <functional>

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

// Writes one file through a temporary file beside it that replaces it only
// when complete, so a failed write leaves an existing file as it was.
//
// With `mayWriteInPlace`, a target that is an existing file the user may
// write, in a folder that takes no new file (so no temporary file can be made
// there), is written in place instead: overwriting it is all the folder
// allows. Only there; in every other case where the temporary file cannot be
// made (a full disk, a missing folder, a folder in the target's place) Open
// fails and nothing is touched.
class TReplacingFile {
public:
    TReplacingFile(const QString& target, const QString& suffix, bool mayWriteInPlace);
    ~TReplacingFile();  // Cancel unless committed

    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    bool Open();
    // Writes all of bytes; false on a short write.
    bool Write(const QByteArray& bytes);
    // Closes the file and puts it in place; false when either fails (the
    // temporary file is then removed and the old target kept).
    bool Commit();
    // Drops what was written: the temporary file is removed. Written in
    // place, the bytes written so far stay in the target.
    void Cancel();
    bool InPlace() const { return FInPlace; }

    // The two questions the writer asks of the file system, open for tests:
    // make the temporary file (its name, or empty), and whether the target's
    // folder takes new files.
    std::function<QString()> MakeTemporary;
    std::function<bool()> FolderTakesNewFiles;

private:
    QString FTarget;
    QString FTemp;
    bool FMayWriteInPlace = false;
    bool FInPlace = false;
    bool FDone = false;
    QFile FFile;
};

}  // namespace kestrova
