// One part of a zip package (.xlsx, .ods) read as a stream through libzip:
// the part is capped in size and in how far it inflates, and XML parts can be
// fed chunk by chunk to QXmlStreamReader or to a byte scanner.
#pragma once

#include "core/import/workbook_data.h"

#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <string>

#include <zip.h>

namespace kestrova {

// Sheet XML packs about 5 to 20 times; a large part that packs more than 100
// times is a bomb (blanks or one repeated element), refused before inflating.
constexpr qint64 kRatioGrace = 64LL * 1024 * 1024;
constexpr qint64 kMaxPackRatio = 100;
constexpr qint64 kChunk = 256 * 1024;

struct tZipCloser {
    void operator()(zip_t* z) const {
        if (z) zip_discard(z);
    }
};

// Streams one zip part into a QXmlStreamReader, chunk by chunk.
class tPartStream {
public:
    tPartStream(zip_t* zip, const QString& name) {
        const QByteArray n = name.toUtf8();
        const zip_int64_t index = zip_name_locate(zip, n.constData(), ZIP_FL_NOCASE);
        if (index < 0) return;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip, zip_uint64_t(index), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)) {
            if (st.size > zip_uint64_t(XlsxPartLimit())) return;  // announced as too big: not even started
            if ((st.valid & ZIP_STAT_COMP_SIZE) && st.size > zip_uint64_t(kRatioGrace) &&
                st.size / std::max<zip_uint64_t>(st.comp_size, 1) > zip_uint64_t(kMaxPackRatio))
                return;
            Announced = qint64(st.size);
        }
        File = zip_fopen_index(zip, zip_uint64_t(index), 0);
        Buffer.resize(kChunk);
    }
    ~tPartStream() {
        if (File) zip_fclose(File);
    }
    bool IsOpen() const { return File != nullptr; }

    // Adds the next chunk; false at the end of the part or on a failure
    // (Failed() tells which).
    bool Feed(QXmlStreamReader& xml) {
        const qint64 n = ReadChunk(Buffer.data());
        if (n > 0) xml.addData(QByteArray(Buffer.constData(), qsizetype(n)));
        return n > 0;
    }
    bool Failed() const { return Bad; }

    // The same for a byte buffer: appends the next chunk to out.
    bool FeedBytes(std::string& out) {
        const size_t old = out.size();
        out.resize(old + size_t(kChunk));
        const qint64 n = ReadChunk(out.data() + old);
        out.resize(old + size_t(n));
        return n > 0;
    }

private:
    // Reads the next chunk into `into` (room for kChunk bytes) and returns its
    // size; 0 at the end of the part or on a failure.
    qint64 ReadChunk(char* into) {
        if (!File || Done) return 0;
        const zip_int64_t n = zip_fread(File, into, zip_uint64_t(kChunk));
        if (n <= 0) {
            (n < 0 ? Bad : Done) = true;
            return 0;
        }
        Total += n;
        // A part that inflates beyond the size its header announces is
        // corrupt or a bomb: stop at once instead of at the general limit.
        if (Total > XlsxPartLimit() || (Announced >= 0 && Total > Announced)) {
            Bad = true;
            return 0;
        }
        return n;
    }

    zip_file_t* File = nullptr;
    QByteArray Buffer;
    qint64 Total = 0;
    qint64 Announced = -1;
    bool Done = false;
    bool Bad = false;
};

// Runs handler over every token of a part. Fails on a missing part, a read or
// size failure, malformed XML, or when the handler returns false.
template <typename Handler>
bool ParsePart(zip_t* zip, const QString& name, Handler&& handler) {
    tPartStream stream(zip, name);
    if (!stream.IsOpen()) return false;
    QXmlStreamReader xml;
    stream.Feed(xml);
    for (;;) {
        const auto token = xml.readNext();
        if (xml.hasError()) {
            if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && stream.Feed(xml)) continue;
            return false;
        }
        if (token == QXmlStreamReader::EndDocument) return !stream.Failed();
        if (token == QXmlStreamReader::DTD) return false;  // spreadsheets carry no DTD
        if (!handler(xml, token)) return false;
    }
}

}  // namespace kestrova
