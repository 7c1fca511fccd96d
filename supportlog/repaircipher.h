#ifndef REPAIRCIPHER_H
#define REPAIRCIPHER_H

#include <QByteArray>
#include <QString>

// A small keyed cipher that seals a byte string into a record and opens it again:
//   0x03 | flags | E(random byte | integrity block | payload)
// where E is a chained XOR with the eight key bytes and the payload may be compressed.
class RepairCipher
{
public:
    enum CompressionPolicy { CompressIfSmaller = 0, CompressAlways = 1, CompressNever = 2 };
    enum IntegrityMode { IntegrityNone = 0, IntegrityChecksum16 = 1, IntegritySha1 = 2 };
    enum CipherStatus {
        CipherOk = 0,
        CipherNoKey = 1,
        CipherBadHeader = 2,
        CipherIntegrityMismatch = 3
    };
    enum RecordFlag { FlagCompressed = 0x01, FlagChecksum16 = 0x02, FlagSha1 = 0x04 };

    RepairCipher();
    explicit RepairCipher(quint64 key);

    void assignKey(quint64 key);
    bool isKeyed() const;

    void setCompressionPolicy(CompressionPolicy policy);
    CompressionPolicy compressionPolicy() const;
    void setIntegrityMode(IntegrityMode mode);
    IntegrityMode integrityMode() const;
    CipherStatus lastStatus() const;

    QByteArray encryptBytes(const QByteArray &plaintext);
    QByteArray encryptTextToBytes(const QString &plaintext);
    QString encryptTextToBase64(const QString &plaintext);
    QString encryptBytesToBase64(const QByteArray &plaintext);

    QByteArray decryptBytes(const QByteArray &record);
    QString decryptBytesToText(const QByteArray &record);
    QString decryptBase64ToText(const QString &base64);
    QByteArray decryptBase64ToBytes(const QString &base64);

private:
    void deriveKeyBytes();
    // Sets CipherNoKey and warns when no key is set.
    bool checkKeyed();

    quint64 key = 0;
    QByteArray keyBytes;
    CompressionPolicy compression = CompressIfSmaller;
    IntegrityMode integrity = IntegrityChecksum16;
    CipherStatus status = CipherOk;
};

#endif // REPAIRCIPHER_H
