// A look at an .xls file before libfreexl opens it.
//
// libfreexl 1.0.6 trusts several fields of a broken file far enough to read
// outside its own buffers:
// - it converts the name of each entry in the first directory sector with the
//   entry's own 16-bit name length, never checked against the 64-byte name
//   field, so a longer length reads past its stack copy of the sector;
// - a worksheet's DIMENSION record sets the sheet's size before its cells are
//   allocated; when a second one is too large to allocate, the sheet keeps
//   its old, smaller cell array and the clean-up walks past its end;
// - in the shared-string table it reads string headers wherever the
//   previous string's lengths point, and copies the rest of a string of
//   16-bit characters cut by a record's end from the next record without
//   comparing it with that record's length; the text of a LABEL, FORMAT or
//   BOUNDSHEET record is copied with its own character count, whatever the
//   record's length;
// - a workbook stream kept in the mini stream is read from a copy of the mini
//   stream's container, whose own length is never compared with the
//   workbook's.
// Besides, the library allocates 16 bytes for every cell each sheet declares
// while opening the file, so a few hostile records would take gigabytes, and
// it loses the cells of a sheet that declares its size twice.
// The check reads the same header, directory, allocation table and workbook
// stream the library reads, the way it reads them, and refuses such files.
// Files that are no compound file at all are left to the library.
#pragma once

#include <QString>

class QIODevice;

namespace kestrova {

enum class tXlsContainerCheck {
    Sound,                // the library may open it
    NotCompoundFile,      // no compound-file header, or one with a sector size the library does not read
    DirectoryMissing,     // the first directory sector lies beyond the end of the file
    NameTooLong,          // a directory entry's name length exceeds its 64-byte field
    ContainerBroken,      // allocation table or a stream's sector chain cannot be followed
    StreamPastContainer,  // the workbook or mini stream is longer than what holds it (mini stream, file)
    DimensionTooLarge,    // a DIMENSION record declares more cells than a sheet can hold
    DimensionRepeated,    // a substream has a second DIMENSION record
    StringPastRecord,     // a text runs past the record that holds it
    TooManyCells,         // the sheets declare more cells than the library should allocate
};

// Reads the header, the directory sector, the list of allocation-table
// sectors and the workbook stream once, a sector at a time: memory stays
// small and the time is bounded by the file's size, however large or
// hostile the file.
tXlsContainerCheck CheckXlsContainer(QIODevice& file);
tXlsContainerCheck CheckXlsContainer(const QString& fileName);

}  // namespace kestrova
