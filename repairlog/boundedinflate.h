#ifndef BOUNDEDINFLATE_H
#define BOUNDEDINFLATE_H

#include <QByteArray>

// Opens qCompress's form (a 4-byte big-endian size, then a zlib stream) without trusting the
// size it claims: the stream is inflated piece by piece and stops once the output would pass
// limit bytes.
struct BoundedInflate
{
    enum Outcome { Inflated, Corrupt, TooLong };

    Outcome outcome = Corrupt;
    QByteArray data;
};

BoundedInflate inflateBounded(const QByteArray &compressed, int limit);

#endif // BOUNDEDINFLATE_H
