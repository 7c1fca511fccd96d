#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <limits>

// Sealing and opening against the toolkit work they cannot avoid: qCompress at level 9 plus
// qChecksum for sealing, qUncompress plus qChecksum for opening. Both sides run in alternating
// batches and the fastest batch of each counts: load from elsewhere only ever slows a batch down.
// Batches are timed in processor time, which other programs on a shared machine barely touch.

namespace {

const int Rounds = 21;
const qint64 BatchNanoseconds = 20 * 1000 * 1000;

// Text shaped like the registry dump that the tool seals.
QByteArray logText(int size)
{
    QByteArray text;
    for (int i = 0; text.size() < size; ++i) {
        text += "HKEY_CURRENT_USER\\Software\\Kormand\\Velto Studio\\Bibliothek"
                + QByteArray::number(i % 97) + " = D:/Musik/Interpret "
                + QByteArray::number(i * 7919 % 1013) + "/Titel " + QByteArray::number(i)
                + ".mp3\n";
    }
    text.truncate(size);
    return text;
}

quint64 sink = 0;

// Processor nanoseconds per call over one batch.
double nanosecondsPerCall(const std::function<void()> &work, int callsPerBatch)
{
    const std::clock_t start = std::clock();
    for (int i = 0; i < callsPerBatch; ++i)
        work();
    return double(std::clock() - start) * 1e9 / CLOCKS_PER_SEC / callsPerBatch;
}

struct Comparison
{
    double floor;
    double cipher;
};

Comparison compare(const std::function<void()> &floorWork, const std::function<void()> &cipherWork)
{
    QElapsedTimer probe;
    probe.start();
    int calls = 0;
    while (probe.nsecsElapsed() < BatchNanoseconds / 4) {
        floorWork();
        ++calls;
    }
    const int callsPerBatch = std::max(1, calls * 4);
    Comparison fastest = { std::numeric_limits<double>::max(), std::numeric_limits<double>::max() };
    for (int round = 0; round < Rounds; ++round) {
        fastest.floor = std::min(fastest.floor, nanosecondsPerCall(floorWork, callsPerBatch));
        fastest.cipher = std::min(fastest.cipher, nanosecondsPerCall(cipherWork, callsPerBatch));
    }
    return fastest;
}

void report(const char *operation, int size, const Comparison &result, double target)
{
    const double ratio = result.cipher / result.floor;
    std::printf("%-8s %8d B  floor %10.1f us %8.1f MB/s   cipher %10.1f us %8.1f MB/s   "
                "ratio %.3f (target %.2f) %s\n",
                operation, size, result.floor / 1000, size * 1000.0 / result.floor,
                result.cipher / 1000, size * 1000.0 / result.cipher, ratio, target,
                ratio <= target ? "ok" : "MISSED");
}

} // namespace

int main()
{
    std::printf("RepairCipher with the log export's settings (compress if smaller, CRC-16)\n");
    for (const int size : { 100, 10 * 1024, 1024 * 1024 }) {
        const QByteArray plaintext = logText(size);
        RepairCipher cipher(SupportLogKey);
        const QByteArray compressed = qCompress(plaintext, 9);
        const QByteArray record = cipher.encryptBytes(plaintext);

        const Comparison sealing = compare(
                [&] {
                    const QByteArray payload = qCompress(plaintext, 9);
                    sink += qChecksum(payload.constData(), uint(payload.size()));
                },
                [&] { sink += quint64(cipher.encryptBytes(plaintext).size()); });
        const Comparison opening = compare(
                [&] {
                    sink += qChecksum(compressed.constData(), uint(compressed.size()));
                    sink += quint64(qUncompress(compressed).size());
                },
                [&] { sink += quint64(cipher.decryptBytes(record).size()); });

        std::printf("%d B of log text: compressed to %d B, record %d B, stored %s\n", size,
                    compressed.size(), record.size(),
                    record.at(1) & RepairCipher::FlagCompressed ? "compressed" : "plain");
        report("sealing", size, sealing, 1.15);
        report("opening", size, opening, 1.30);
    }
    return sink == 0;
}
