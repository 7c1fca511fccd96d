#include "supportlog/repaircipher.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QtEndian>

#include <cstring>

namespace {

const char FormatVersion = 0x03;
const int HeaderSize = 2;
const int Checksum16Size = 2;
const int Sha1Size = 20;
const int CompressionLevel = 9;
// Deflate turns one stored byte into at most about 1032; qCompress's size prefix may not claim
// more than that (give or take a block), or a forged record would make qUncompress allocate at
// will.
const quint64 DeflateMaxRatio = 1032;
const quint64 DeflateRatioSlack = 1032;

void reseedRandom()
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(uint(QDateTime::currentMSecsSinceEpoch() & 0xFFFF));
    QT_WARNING_POP
}

char randomByte()
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return char(qrand() & 0xFF);
    QT_WARNING_POP
}

int integrityBlockSize(int flags)
{
    if (flags & RepairCipher::FlagChecksum16)
        return Checksum16Size;
    if (flags & RepairCipher::FlagSha1)
        return Sha1Size;
    return 0;
}

QByteArray sha1(const char *data, int size)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(data, size);
    return hash.result();
}

bool integrityHolds(int flags, const char *block, const QByteArray &payload)
{
    if (flags & RepairCipher::FlagChecksum16)
        return qFromBigEndian<quint16>(block)
                == qChecksum(payload.constData(), uint(payload.size()));
    if (flags & RepairCipher::FlagSha1)
        return sha1(payload.constData(), payload.size())
                == QByteArray::fromRawData(block, Sha1Size);
    return true;
}

// Opens a qCompress form. False when it does not decompress; only qCompress's form of no data
// (a zero size prefix alone) legitimately decompresses to nothing.
bool uncompress(const QByteArray &payload, QByteArray *plaintext)
{
    if (payload.size() < 4)
        return false;
    const quint64 claimed = qFromBigEndian<quint32>(payload.constData());
    const quint64 stored = quint64(payload.size() - 4);
    if (claimed > stored * DeflateMaxRatio + DeflateRatioSlack)
        return false;
    *plaintext = qUncompress(payload);
    return !plaintext->isEmpty() || (claimed == 0 && stored == 0);
}

// Undoes the chained XOR for body positions [from, from + count); from is at least 1, so the
// previous enciphered byte is always in the record.
void decipher(const QByteArray &record, const char *keyBytes, int from, int count, char *out)
{
    const char *body = record.constData() + HeaderSize;
    for (int position = from; position < from + count; ++position)
        out[position - from] = body[position] ^ body[position - 1] ^ keyBytes[position & 7];
}

} // namespace

RepairCipher::RepairCipher()
{
    reseedRandom();
}

RepairCipher::RepairCipher(quint64 key)
    : key(key)
{
    reseedRandom();
    deriveKeyBytes();
}

void RepairCipher::assignKey(quint64 key)
{
    this->key = key;
    deriveKeyBytes();
}

bool RepairCipher::isKeyed() const
{
    return !keyBytes.isEmpty();
}

void RepairCipher::setCompressionPolicy(CompressionPolicy policy)
{
    compression = policy;
}

RepairCipher::CompressionPolicy RepairCipher::compressionPolicy() const
{
    return compression;
}

void RepairCipher::setIntegrityMode(IntegrityMode mode)
{
    integrity = mode;
}

RepairCipher::IntegrityMode RepairCipher::integrityMode() const
{
    return integrity;
}

RepairCipher::CipherStatus RepairCipher::lastStatus() const
{
    return status;
}

QByteArray RepairCipher::encryptBytes(const QByteArray &plaintext)
{
    if (!checkKeyed())
        return QByteArray();

    int flags = 0;
    QByteArray compressed;
    if (compression == CompressIfSmaller || compression == CompressAlways) {
        compressed = qCompress(plaintext, CompressionLevel);
        if (compression == CompressAlways || compressed.size() < plaintext.size())
            flags |= FlagCompressed;
    }
    const QByteArray &payload = (flags & FlagCompressed) ? compressed : plaintext;

    // The random byte and the integrity block, which precede the payload.
    char front[1 + Sha1Size];
    int frontSize = 1;
    if (integrity == IntegrityChecksum16) {
        flags |= FlagChecksum16;
        qToBigEndian(qChecksum(payload.constData(), uint(payload.size())), front + 1);
        frontSize += Checksum16Size;
    } else if (integrity == IntegritySha1) {
        flags |= FlagSha1;
        const QByteArray digest = sha1(payload.constData(), payload.size());
        std::memcpy(front + 1, digest.constData(), Sha1Size);
        frontSize += Sha1Size;
    }
    front[0] = randomByte();

    QByteArray record(HeaderSize + frontSize + payload.size(), Qt::Uninitialized);
    record[0] = FormatVersion;
    record[1] = char(flags);
    char *body = record.data() + HeaderSize;
    const char *keys = keyBytes.constData();
    char previous = 0;
    int position = 0;
    const auto encipher = [&](const char *data, int size) {
        for (int i = 0; i < size; ++i, ++position) {
            previous = data[i] ^ keys[position & 7] ^ previous;
            body[position] = previous;
        }
    };
    encipher(front, frontSize);
    encipher(payload.constData(), payload.size());

    status = CipherOk;
    return record;
}

QByteArray RepairCipher::encryptTextToBytes(const QString &plaintext)
{
    return encryptBytes(plaintext.toUtf8());
}

QString RepairCipher::encryptTextToBase64(const QString &plaintext)
{
    return encryptBytesToBase64(plaintext.toUtf8());
}

QString RepairCipher::encryptBytesToBase64(const QByteArray &plaintext)
{
    return QString::fromLatin1(encryptBytes(plaintext).toBase64());
}

QByteArray RepairCipher::decryptBytes(const QByteArray &record)
{
    if (!checkKeyed())
        return QByteArray();
    // Too short for a version, flags and random byte: nothing to open, but no stale status either.
    if (record.size() < HeaderSize + 1) {
        status = CipherBadHeader;
        return QByteArray();
    }
    if (record.at(0) != FormatVersion) {
        status = CipherBadHeader;
        qWarning("Invalid version or not a cyphertext.");
        return QByteArray();
    }

    const int flags = quint8(record.at(1));
    const int blockSize = integrityBlockSize(flags);
    const int dataSize = record.size() - HeaderSize - 1;
    if (dataSize < blockSize) {
        status = CipherIntegrityMismatch;
        return QByteArray();
    }
    char block[Sha1Size];
    decipher(record, keyBytes.constData(), 1, blockSize, block);
    QByteArray payload(dataSize - blockSize, Qt::Uninitialized);
    decipher(record, keyBytes.constData(), 1 + blockSize, payload.size(), payload.data());
    if (!integrityHolds(flags, block, payload)) {
        status = CipherIntegrityMismatch;
        return QByteArray();
    }

    if (flags & FlagCompressed) {
        QByteArray plaintext;
        if (!uncompress(payload, &plaintext)) {
            status = CipherIntegrityMismatch;
            return QByteArray();
        }
        status = CipherOk;
        return plaintext;
    }
    status = CipherOk;
    return payload;
}

QString RepairCipher::decryptBytesToText(const QByteArray &record)
{
    const QByteArray plaintext = decryptBytes(record);
    return QString::fromUtf8(plaintext.constData(), plaintext.size());
}

QString RepairCipher::decryptBase64ToText(const QString &base64)
{
    const QByteArray plaintext = decryptBase64ToBytes(base64);
    return QString::fromUtf8(plaintext.constData(), plaintext.size());
}

QByteArray RepairCipher::decryptBase64ToBytes(const QString &base64)
{
    return decryptBytes(QByteArray::fromBase64(base64.toLatin1()));
}

void RepairCipher::deriveKeyBytes()
{
    keyBytes.resize(0);
    keyBytes.resize(8);
    for (int j = 0; j < 8; ++j)
        keyBytes[j] = char((key >> (8 * j)) & 0xFF);
}

bool RepairCipher::checkKeyed()
{
    if (isKeyed())
        return true;
    status = CipherNoKey;
    qWarning("No key set.");
    return false;
}
