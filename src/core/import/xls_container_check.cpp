#include "core/import/xls_container_check.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

namespace kestrova {

namespace {

constexpr qint64 kHeaderSize = 512;
constexpr quint32 kEntrySize = 128;
constexpr quint16 kNameField = 64;  // UTF-16 name with its terminator, in bytes
constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint16 kBof = 0x0809;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kDimension = 0x0200;
constexpr quint16 kSst = 0x00FC;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kLabel = 0x0204;
constexpr quint16 kFormat = 0x041E;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kMulRk = 0x00BD;
constexpr quint16 kMulBlank = 0x00BE;

// Records of one cell or a run of cells, starting with row and column.
bool IsCell(quint16 type) {
    switch (type) {
    case 0x0006: case 0x0201: case 0x0203: case 0x0204: case 0x0205: case 0x027E: case 0x00FD:
    case kMulRk: case kMulBlank: return true;
    default: return false;
    }
}
constexpr quint32 kMaxSstStrings = 0x100000;  // the library refuses more
// The largest sheet of the BIFF formats, 65,536 rows by 256 columns, is also
// the most cells the library allocates for a sheet.
constexpr quint64 kMaxCells = quint64(1) << 24;
// The library allocates 16 bytes for every cell a sheet declares, all of
// them while opening, and keeps (or loses) them until it closes. The most it
// may allocate for one workbook: the largest sheet and a million cells more
// (272 MB); and the most it may lose when it sizes sheets without a
// DIMENSION: 65,536 cells (1 MB).
constexpr quint64 kMaxWorkbookCells = kMaxCells + (quint64(1) << 20);
constexpr quint64 kMaxLostCells = quint64(1) << 16;
// More sheets than the reader takes.
constexpr size_t kMaxSheets = 4096;
// Longest record the library takes from a sector chain and from the mini
// stream; a longer one ends its reading.
constexpr quint16 kMaxRecord = 0x2020;
constexpr quint16 kMaxMiniRecord = 0x1FFF;

quint16 U16(const char* p) { return quint16(uchar(p[0]) | uchar(p[1]) << 8); }
quint32 U32(const char* p) { return quint32(U16(p)) | quint32(U16(p + 2)) << 16; }

// The file's sectors as the library finds them: sector n starts at
// (n + 1) * sector size, computed in 32 bits.
class tSectors {
public:
    tSectors(QIODevice& file, quint32 sectorSize)
        : File(file), Size(sectorSize), FileSize(file.size()), Count(FileSize / sectorSize) {}

    quint32 SectorSize() const { return Size; }
    // More sectors than this in one chain means the chain runs in a circle.
    qint64 FileSectors() const { return Count; }

    bool Readable(quint32 sector) const { return qint64((sector + 1u) * Size) + Size <= FileSize; }

    bool Read(quint32 sector, QByteArray& to) {
        if (!Readable(sector) || !File.seek(qint64((sector + 1u) * Size))) return false;
        to = File.read(Size);
        return to.size() == qsizetype(Size);
    }

    // The sectors holding the allocation table, in the library's order.
    std::vector<quint32> Table;

    // The allocation-table entry of sector; false when the table has none.
    bool Next(quint32 sector, quint32& next) {
        const quint32 perSector = Size / 4;
        const quint64 index = sector / perSector;
        if (index >= Table.size()) return false;
        if (qint64(index) != CachedIndex) {
            if (!Read(Table[index], Cached)) return false;
            CachedIndex = qint64(index);
        }
        next = U32(Cached.constData() + (sector % perSector) * 4);
        return true;
    }

private:
    QIODevice& File;
    quint32 Size;
    qint64 FileSize;
    qint64 Count;
    QByteArray Cached;
    qint64 CachedIndex = -1;
};

// Lists the allocation-table sectors: those named in the header, then those
// named by the chain of extra list sectors. The library quietly stops or
// fails where a sector cannot be read; a sound file never gets there, so
// those files are refused instead of followed.
bool LoadTable(tSectors& s, const QByteArray& header) {
    auto add = [&s](quint32 sector) {
        if (!s.Readable(sector) || qint64(s.Table.size()) >= s.FileSectors()) return false;
        s.Table.push_back(sector);
        return true;
    };
    for (qint64 at = 0x4C; at < kHeaderSize; at += 4) {
        const quint32 sector = U32(header.constData() + at);
        if (sector != kFreeSector && !add(sector)) return false;
    }
    const quint32 listSectors = U32(header.constData() + 0x48);
    if (listSectors > s.FileSectors()) return false;
    quint32 next = U32(header.constData() + 0x44);
    const quint32 perSector = s.SectorSize() / 4;
    QByteArray list;
    for (quint32 done = 0; done < listSectors;) {
        if (!s.Read(next, list)) return false;
        ++done;
        for (quint32 i = 0; i < perSector; ++i) {
            const quint32 v = U32(list.constData() + 4 * i);
            if (v == kEndOfChain) return done == listSectors;
            if (i == perSector - 1)
                next = v;
            else if (v != kFreeSector && !add(v))
                return false;
        }
    }
    return true;
}

struct tStream {
    quint32 Start = kEndOfChain;
    quint32 Size = 0;
};

// Whether the library can copy the mini stream's container: its chain must
// hold exactly its size and then end.
bool ContainerReadable(tSectors& s, const tStream& root) {
    quint64 total = 0;
    quint32 sector = root.Start;
    for (qint64 steps = 0; total < root.Size; ++steps) {
        quint32 next = 0;
        if (steps > s.FileSectors() || !s.Readable(sector) || !s.Next(sector, next)) return false;
        total += s.SectorSize();
        if (next == kEndOfChain) return total >= root.Size;
        sector = next;
    }
    return false;
}

// The first `limit` bytes of a sector chain, read a sector at a time.
class tChainReader {
public:
    tChainReader(tSectors& sectors, quint32 start, quint32 limit) : S(sectors), Sector(start), Left(limit) {}

    // False at the end of the chain or of the limit.
    bool Read(char* to, quint32 n) {
        if (n > Left) return false;
        while (n > 0) {
            if (At == Buffer.size() && !Load()) return false;
            const quint32 part = std::min<quint32>(n, quint32(Buffer.size() - At));
            std::copy_n(Buffer.constData() + At, part, to);
            At += part;
            to += part;
            n -= part;
            Left -= part;
        }
        return true;
    }
    // The chain came back to a sector it had passed.
    bool Circled() const { return Steps > S.FileSectors(); }

private:
    bool Load() {
        if (Steps > 0) {
            quint32 next = 0;
            if (!S.Next(Sector, next) || next == kEndOfChain) return false;
            Sector = next;
        }
        if (++Steps > S.FileSectors() || !S.Read(Sector, Buffer)) return false;
        At = 0;
        return true;
    }

    tSectors& S;
    quint32 Sector;
    quint32 Left;
    qint64 Steps = 0;
    QByteArray Buffer;
    qsizetype At = 0;
};

enum class tStep { Go, LibraryStops, Overrun };

// The library's progress through the shared-string table (SST record and
// the CONTINUE records after it), kept the way the library keeps it.
struct tSst {
    bool Started = false;
    quint32 Count = 0;
    quint32 Index = 0;       // next string
    quint32 Pending = 0;     // characters of a string cut by the record's end
    quint32 Collected = 0;   // of those, the ones already read
    quint32 Skip = 0;        // formatting runs and extension bytes after it
    quint32 NextOffset = 0;  // where the next record's first string starts
};

// Follows one SST or CONTINUE record as the library parses it. Overrun when
// the library would read past the end of the record: string headers that do
// not fit, or the rest of a cut string of 16-bit characters that is longer
// than the record, which the library copies without looking.
tStep SstRecord(tSst& st, const char* rec, quint32 size) {
    quint64 pos = 0;
    if (!st.Started) {
        st.Started = true;
        st.Count = U32(rec + 4);
        if (st.Count > kMaxSstStrings) return tStep::LibraryStops;
        pos = 8;
    } else if (st.Pending != 0) {
        const quint32 remaining = st.Pending - st.Collected;
        const bool wide = (uchar(rec[0]) & 1) != 0;
        const quint64 bytes = wide ? 2 * quint64(remaining) : remaining;
        if (1 + bytes > size) return wide ? tStep::Overrun : tStep::LibraryStops;
        const quint64 end = 1 + bytes + st.Skip;
        // Formatting runs that spill over are remembered where the next
        // record does not look: it starts reading at its beginning.
        st.Skip = end >= size ? quint32(end) - size : 0;
        st.NextOffset = 0;
        st.Pending = st.Collected = 0;
        ++st.Index;
        pos = end;
    }
    while (st.Index < st.Count) {
        if (quint32(pos) >= size) return tStep::Go;  // the library compares the low 32 bits
        const quint64 at = pos + st.NextOffset;
        if (at + 3 > size) return tStep::Overrun;
        const quint16 chars = U16(rec + at);
        const uchar flags = uchar(rec[at + 2]);
        const bool rich = (flags & 8) != 0;
        const bool ext = (flags & 4) != 0;
        const quint64 header = 3 + (rich ? 2 : 0) + (ext ? 4 : 0);
        if (at + header > size) return tStep::Overrun;
        quint32 skip = rich ? 4u * U16(rec + at + 3) : 0;
        if (ext) skip += U32(rec + at + 3 + (rich ? 2 : 0));
        const quint64 start = at + header;
        const bool wide = (flags & 1) != 0;
        const quint32 need = wide ? 2u * chars : chars;
        const quint32 avail = size - quint32(start);
        st.NextOffset = 0;
        st.Skip = skip;
        if (avail < need) {
            // Cut by the record's end: the rest follows in the next record.
            st.Pending = chars;
            st.Collected = wide ? avail / 2 : avail;
            return tStep::Go;
        }
        if (chars == 0) return tStep::LibraryStops;
        const quint64 end = start + need + skip;
        st.NextOffset = end >= size ? quint32(end) - size : 0;
        st.Skip = 0;
        ++st.Index;
        pos = end;
    }
    return tStep::Go;
}

// Whether the text of a LABEL, FORMAT or BOUNDSHEET record, where the
// library finds it and as long as its character count and flags make it,
// lies within the record. The library copies it without looking, up to
// 128 KB past a LABEL or FORMAT record.
bool TextFits(quint16 type, int version, const char* r, quint32 length) {
    if (type == kBoundSheet) {
        const quint64 chars = uchar(r[6]);
        return version == 5 ? 7 + chars <= length : 8 + chars * (r[7] != 0 ? 2 : 1) <= length;
    }
    if (type == kFormat && version == 5) return true;  // at most 255 bytes, within the record buffer
    const quint64 chars = type == kLabel ? U16(r + 6) : U16(r + 2);
    const quint64 at = type == kLabel ? 8 : 4;
    if (version == 5) return at + chars <= length;
    const uchar flags = uchar(r[at]);
    const quint64 header = 1 + ((flags & 8) ? 2 : 0) + ((flags & 4) ? 4 : 0);
    return at + header + chars * ((flags & 1) ? 2 : 1) <= length;
}

// A sheet as the library keeps it: found through the stream offset of its
// BOF, sized by its DIMENSION record, with the cells allocated for it.
struct tSheet {
    quint32 Offset = 0;
    quint32 Rows = 0;
    quint16 Cols = 0;
    bool Sized = false;
    quint64 Allocated = 0;  // cells
};

// The library's cell allocations: it allocates rows x columns cells for the
// active sheet and drops, without freeing, whatever that sheet had.
struct tCells {
    quint64 Total = 0;
    quint64 Lost = 0;
    void Allocate(tSheet& sheet) {
        Lost += sheet.Allocated;
        sheet.Allocated = quint64(sheet.Rows) * sheet.Cols;
        Total += sheet.Allocated;
    }
};

// Where the walk through the workbook stream stands.
struct tWalk {
    int Version = 0;
    bool InSubstream = false;
    quint16 Last = 0;           // type of the last record that was no CONTINUE
    std::deque<tSheet> Sheets;  // keeps its elements in place as it grows
    tSheet* Active = nullptr;
    tCells Cells;
    tSst Sst;
};

// The verdict of a step; empty while the walk goes on.
using tVerdict = std::optional<tXlsContainerCheck>;

tVerdict SstStep(tSst& sst, const char* r, quint16 length) {
    const tStep step = SstRecord(sst, r, length);
    if (step == tStep::Overrun) return tXlsContainerCheck::StringPastRecord;
    if (step == tStep::LibraryStops) return tXlsContainerCheck::Sound;
    return std::nullopt;
}

// The BOF that opens a substream makes the sheet listed at its offset active.
void ActivateSheetAt(tWalk& w, quint64 offset) {
    w.InSubstream = true;
    w.Active = nullptr;
    for (tSheet& sheet : w.Sheets) {
        if (quint64(sheet.Offset) == offset) {
            w.Active = &sheet;
            break;
        }
    }
}

// A record inside a substream: its end, the shared strings, and the texts
// and sheet list the library reads.
tVerdict SubstreamRecord(tWalk& w, quint16 type, const char* r, quint16 length) {
    if (type == kEof) {
        w.InSubstream = false;
    } else if (type == kSst) {
        return SstStep(w.Sst, r, length);
    } else if (type == kLabel || type == kFormat || type == kBoundSheet) {
        if (!TextFits(type, w.Version, r, length)) return tXlsContainerCheck::StringPastRecord;
        if (type == kBoundSheet) {
            if (w.Sheets.size() >= kMaxSheets) return tXlsContainerCheck::TooManyCells;
            w.Sheets.push_back({U32(r), 0, 0, false, 0});
        }
    }
    return std::nullopt;
}

// Before its DIMENSION the library sizes a sheet by the cells it meets.
void SizeByCell(tSheet& sheet, quint16 type, const char* r, quint16 length) {
    const quint16 col = (type == kMulRk || type == kMulBlank) && length >= 6 ? U16(r + length - 2) : U16(r + 2);
    sheet.Rows = std::max<quint32>(sheet.Rows, U16(r));
    sheet.Cols = std::max(sheet.Cols, std::max(col, U16(r + 2)));
}

// The active sheet's DIMENSION: its size, and the cells allocated for it.
tVerdict Dimension(tWalk& w, const char* r) {
    const quint32 rows = w.Version == 8 ? U32(r + 4) : U16(r + 2);
    const quint16 cols = w.Version == 8 ? U16(r + 10) : U16(r + 6);
    if (quint64(rows) * cols > kMaxCells) return tXlsContainerCheck::DimensionTooLarge;
    // A second one makes the library allocate the sheet's cells anew
    // and lose the first ones.
    if (w.Active->Sized) return tXlsContainerCheck::DimensionRepeated;
    w.Active->Rows = rows;
    w.Active->Cols = cols;
    w.Active->Sized = true;
    w.Cells.Allocate(*w.Active);
    if (w.Cells.Total > kMaxWorkbookCells) return tXlsContainerCheck::TooManyCells;
    return std::nullopt;
}

// At the end the library gives each sheet without a DIMENSION one row and
// column more and then allocates the cells of the active sheet again,
// losing the ones it had.
tXlsContainerCheck SizeUnsizedSheets(tWalk& w) {
    if (!w.Active) return tXlsContainerCheck::Sound;  // with sheets left to size, the library fails there
    for (tSheet& sheet : w.Sheets) {
        if (sheet.Sized) continue;
        ++sheet.Rows;
        ++sheet.Cols;
        if (quint64(w.Active->Rows) * w.Active->Cols > kMaxCells) break;  // the library refuses the file there
        w.Cells.Allocate(*w.Active);
        sheet.Sized = true;
        if (w.Cells.Total > kMaxWorkbookCells || w.Cells.Lost > kMaxLostCells) return tXlsContainerCheck::TooManyCells;
    }
    return tXlsContainerCheck::Sound;
}

// Walks the workbook stream's records as the library reads them, following
// the shared strings, the texts and the sheets' DIMENSION records.
tXlsContainerCheck WalkRecords(tChainReader& in, bool mini) {
    // The library keeps each record in one buffer; a short record leaves the
    // bytes of a longer one before it there, and the library reads them too.
    QByteArray buffer(kMaxRecord, '\0');
    const char* r = buffer.constData();
    tWalk w;
    quint64 offset = 0;  // of the record in the stream
    char head[4];
    for (quint64 next = 0; in.Read(head, 4); offset = next) {
        const quint16 type = U16(head);
        const quint16 length = U16(head + 2);
        next = offset + 4 + length;
        if (!mini && type == 0 && length == 0) break;
        if (length > (mini ? kMaxMiniRecord : kMaxRecord) || !in.Read(buffer.data(), length)) break;
        if (w.Version == 0) {
            // The library takes only a BIFF5 or BIFF8 workbook and refuses
            // anything else right here.
            const quint16 vers = U16(r);
            if (type != kBof || (vers != 0x0500 && vers != 0x0600)) return tXlsContainerCheck::Sound;
            w.Version = vers == 0x0600 ? 8 : 5;
            w.InSubstream = true;
            w.Last = type;
            continue;
        }
        if (type == kContinue && w.Last == kSst) {
            if (const tVerdict v = SstStep(w.Sst, r, length)) return *v;
            continue;
        }
        if (type == kContinue) continue;  // the library skips any other
        w.Last = type;
        if (!w.InSubstream) {
            // Between substreams only a BOF may follow; the library stops at anything else.
            if (type != kBof) return tXlsContainerCheck::Sound;
            ActivateSheetAt(w, offset);
            continue;
        }
        if (const tVerdict v = SubstreamRecord(w, type, r, length)) return *v;
        if (w.Active && !w.Active->Sized && length >= 4 && IsCell(type)) SizeByCell(*w.Active, type, r, length);
        if (type == kDimension && w.Active && w.InSubstream)
            if (const tVerdict v = Dimension(w, r)) return *v;
    }
    if (in.Circled()) return tXlsContainerCheck::ContainerBroken;
    return SizeUnsizedSheets(w);
}

}  // namespace

tXlsContainerCheck CheckXlsContainer(QIODevice& file) {
    if (file.isSequential() || !file.seek(0)) return tXlsContainerCheck::NotCompoundFile;
    const QByteArray header = file.read(kHeaderSize);
    if (header.size() != kHeaderSize || !header.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return tXlsContainerCheck::NotCompoundFile;
    // The library reads only 512- and 4096-byte sectors and refuses the rest.
    const quint16 shift = U16(header.constData() + 0x1E);
    if (shift != 9 && shift != 12) return tXlsContainerCheck::NotCompoundFile;
    tSectors sectors(file, 1u << shift);

    // The first directory sector, where a start sector near 0xFFFFFFFF wraps
    // round (to the header itself for 0xFFFFFFFF) just as in the library.
    QByteArray directory;
    if (!sectors.Read(U32(header.constData() + 0x30), directory)) return tXlsContainerCheck::DirectoryMissing;
    // The library converts the names of this sector's entries in turn until
    // it meets the workbook stream. A sound writer keeps every length within
    // the name field (unused entries have 0), so all of them are checked.
    for (quint32 at = 0; at < sectors.SectorSize(); at += kEntrySize)
        if (U16(directory.constData() + at + 0x40) > kNameField) return tXlsContainerCheck::NameTooLong;

    // The streams the library picks: the last "Root Entry" and the first
    // "Workbook" or "Book" with a start sector, up to the first NUL of the name.
    tStream root;
    tStream book;
    bool found = false;
    for (quint32 at = 0; at < sectors.SectorSize() && !found; at += kEntrySize) {
        const char* entry = directory.constData() + at;
        const quint16 length = U16(entry + 0x40);
        if (length % 2 != 0) return tXlsContainerCheck::Sound;  // the library fails to convert it and stops
        QString name;
        for (quint16 i = 0; i + 1 < length; i += 2) {
            const char16_t c = U16(entry + i);
            if (c == 0) break;
            name += QChar(c);
        }
        const tStream stream{U32(entry + 0x74), U32(entry + 0x78)};
        if (name == u"Root Entry") root = stream;
        if ((name == u"Workbook" || name == u"Book") && stream.Start != kFreeSector) {
            book = stream;
            found = true;
        }
    }
    if (!found) return tXlsContainerCheck::Sound;  // the library finds no workbook and stops
    // The library allocates a stream's or the mini stream's whole size before
    // it follows the chain, and loses that memory when the chain then fails:
    // a 1.5 KB file claiming a 640 MB mini stream took 640 MB (found by
    // fuzzing). Neither can be longer than the file that holds it.
    const quint64 fileBytes = quint64(sectors.FileSectors() + 1) * sectors.SectorSize();
    if (root.Size > fileBytes || book.Size > fileBytes) return tXlsContainerCheck::StreamPastContainer;

    if (!LoadTable(sectors, header)) return tXlsContainerCheck::ContainerBroken;
    // A stream no longer than the header's mini-stream cutoff is read from
    // the start of the mini stream's container, up to the stream's size. The
    // library heeds the cutoff only in a file with a mini allocation table.
    const quint32 cutoff = U32(header.constData() + 0x40) != 0 ? U32(header.constData() + 0x38) : 0;
    const bool mini = book.Size <= cutoff;
    if (mini) {
        if (!ContainerReadable(sectors, root)) return tXlsContainerCheck::Sound;  // the library stops there
        if (book.Size > root.Size) return tXlsContainerCheck::StreamPastContainer;
        tChainReader in(sectors, root.Start, book.Size);
        return WalkRecords(in, true);
    }
    tChainReader in(sectors, book.Start, book.Size);
    return WalkRecords(in, false);
}

tXlsContainerCheck CheckXlsContainer(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return tXlsContainerCheck::NotCompoundFile;
    return CheckXlsContainer(file);
}

}  // namespace kestrova
