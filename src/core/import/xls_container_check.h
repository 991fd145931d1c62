// A look at an .xls file's compound-file container before libfreexl opens it.
//
// libfreexl 1.0.6 converts the name of every entry in the first directory
// sector with the entry's own 16-bit name length and never checks it against
// the 64-byte name field: a length past the sector makes it read beyond its
// stack copy of the sector (an uninitialised read, or a read of up to 64 KB
// past the end of its buffer). The check below reads the same header fields
// and the same sector the library reads and refuses such a file, so the
// library only ever sees names that fit their field.
#pragma once

#include <QString>

class QIODevice;

namespace kestrova {

enum class tXlsContainerCheck {
    Sound,              // the library may open it
    NotCompoundFile,    // no compound-file header, or one with a sector size the library does not read
    DirectoryMissing,   // the first directory sector lies beyond the end of the file
    NameTooLong,        // a directory entry's name length exceeds its 64-byte field
};

// Reads at most the 512-byte header and one directory sector (4 KB), however
// large the file.
tXlsContainerCheck CheckXlsContainer(QIODevice& file);
tXlsContainerCheck CheckXlsContainer(const QString& fileName);

}  // namespace kestrova
