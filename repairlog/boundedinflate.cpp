#include "repairlog/boundedinflate.h"

// A static toolkit carries its own zlib under prefixed names; a shared one uses the system's.
#ifdef REPAIRTOOL_QT_ZLIB
#include <QtZlib/zlib.h>
#else
#include <zlib.h>
#endif

#include <QtEndian>

#include <algorithm>

namespace {

const int PrefixSize = 4;
const int Chunk = 64 * 1024;

} // namespace

BoundedInflate inflateBounded(const QByteArray &compressed, int limit)
{
    BoundedInflate result;
    if (compressed.size() < PrefixSize)
        return result;
    const quint32 claimed = qFromBigEndian<quint32>(compressed.constData());
    // qCompress's form of no data is the size prefix alone.
    if (compressed.size() == PrefixSize) {
        if (claimed == 0)
            result.outcome = BoundedInflate::Inflated;
        return result;
    }

    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK)
        return result;
    stream.next_in
            = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData())) + PrefixSize;
    stream.avail_in = uInt(compressed.size() - PrefixSize);
    int status = Z_OK;
    while (status == Z_OK) {
        // One byte past the limit tells a stream that ends there from a longer one.
        const int room = std::min(Chunk, limit + 1 - result.data.size());
        if (room <= 0)
            break;
        const int before = result.data.size();
        result.data.resize(before + room);
        stream.next_out = reinterpret_cast<Bytef *>(result.data.data()) + before;
        stream.avail_out = uInt(room);
        status = inflate(&stream, Z_NO_FLUSH);
        result.data.resize(before + room - int(stream.avail_out));
    }
    inflateEnd(&stream);
    if (result.data.size() > limit) {
        result.data.clear();
        result.outcome = BoundedInflate::TooLong;
    } else if (status == Z_STREAM_END && !result.data.isEmpty()) {
        result.outcome = BoundedInflate::Inflated;
    } else {
        // A cut or broken stream, or one that opens to nothing though qCompress stores no data
        // as its prefix alone.
        result.data.clear();
    }
    return result;
}
