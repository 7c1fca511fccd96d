#include "supportlog/repaircipher.h"

#include <QDateTime>
#include <QStringList>
#include <QTest>
#include <QtEndian>

Q_DECLARE_METATYPE(RepairCipher::CompressionPolicy)
Q_DECLARE_METATYPE(RepairCipher::IntegrityMode)
Q_DECLARE_METATYPE(RepairCipher::CipherStatus)

namespace {

const quint64 TestKey = Q_UINT64_C(0x0123456789ABCDEF);

// Collects the warnings logged while it lives.
class WarningRecorder
{
public:
    WarningRecorder() { previous = qInstallMessageHandler(&WarningRecorder::record); }
    ~WarningRecorder()
    {
        qInstallMessageHandler(previous);
        recorded.clear();
    }
    QStringList warnings() const { return recorded; }

private:
    static void record(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type == QtWarningMsg)
            recorded.append(message);
    }

    static QStringList recorded;
    QtMessageHandler previous;
};

QStringList WarningRecorder::recorded;

int qrandWithoutWarning()
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return qrand();
    QT_WARNING_POP
}

void qsrandWithoutWarning(uint seed)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(seed);
    QT_WARNING_POP
}

// Seeds the generator so that the next sealing draws the given random byte.
void seedForRandomByte(quint8 wanted)
{
    for (uint seed = 1;; ++seed) {
        qsrandWithoutWarning(seed);
        if ((qrandWithoutWarning() & 0xFF) == wanted) {
            qsrandWithoutWarning(seed);
            return;
        }
    }
}

// Undoes the chained XOR, giving the random byte, the integrity block and the payload.
QByteArray decipheredBody(const QByteArray &record, quint64 key)
{
    QByteArray body = record.mid(2);
    char previous = 0;
    for (int i = 0; i < body.size(); ++i) {
        const char enciphered = body[i];
        body[i] = char(enciphered ^ previous ^ char(key >> (8 * (i & 7))));
        previous = enciphered;
    }
    return body;
}

RepairCipher cipherWith(RepairCipher::CompressionPolicy policy, RepairCipher::IntegrityMode mode,
                        quint64 key = TestKey)
{
    RepairCipher cipher(key);
    cipher.setCompressionPolicy(policy);
    cipher.setIntegrityMode(mode);
    return cipher;
}

QByteArray randomBytes(int size)
{
    qsrandWithoutWarning(99);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(qrandWithoutWarning());
    return bytes;
}

QByteArray plaintextNamed(const QString &name)
{
    if (name == QLatin1String("empty"))
        return QByteArray();
    if (name == QLatin1String("short"))
        return QByteArrayLiteral("abc");
    if (name == QLatin1String("with NUL"))
        return QByteArray("a\0b\0", 4);
    if (name == QLatin1String("log line"))
        return QByteArrayLiteral(
                "HKEY_CURRENT_USER\\Software\\Kormand\\Velto Studio\\Pfad = C:/Musik");
    if (name == QLatin1String("repeated"))
        return QByteArray(5000, 'x');
    return randomBytes(5000);
}

} // namespace

class TestRepairCipher : public QObject
{
    Q_OBJECT

private slots:
    void recordLayout_data();
    void recordLayout();
    void recordSizeAndFlags_data();
    void recordSizeAndFlags();
    void checksumIsCrc16X25();
    void opensEveryCombination_data();
    void opensEveryCombination();
    void opensForgedAndDamagedRecords_data();
    void opensForgedAndDamagedRecords();
    void wrongKey_data();
    void wrongKey();
    void unkeyedCipherRefusesEveryOperation();
    void keyZeroOnlyChains();
    void assignKeyReplacesKeyWithoutReseeding();
    void constructorSeedsFromTheClock();
    void randomByteDifferenceReachesEveryByte();
    void bothIntegrityFlagsTestTheChecksumOnly();
    void shortRecordSetsStatusWithoutWarning();
    void compressedLengthClaimIsBounded_data();
    void compressedLengthClaimIsBounded();
    void base64Forms_data();
    void base64Forms();
    void textKeepsEmbeddedNul();
};

void TestRepairCipher::recordLayout_data()
{
    QTest::addColumn<QByteArray>("plaintext");
    QTest::addColumn<RepairCipher::CompressionPolicy>("policy");
    QTest::addColumn<RepairCipher::IntegrityMode>("mode");
    QTest::addColumn<quint64>("key");
    QTest::addColumn<QByteArray>("record");

    // Worked out by hand with the random byte 0x5A.
    QTest::newRow("three bytes, initial settings")
            << QByteArray("abc") << RepairCipher::CompressIfSmaller
            << RepairCipher::IntegrityChecksum16 << TestKey
            << QByteArray::fromHex("0302b5e6688085a3");
    QTest::newRow("empty, initial settings")
            << QByteArray() << RepairCipher::CompressIfSmaller << RepairCipher::IntegrityChecksum16
            << TestKey << QByteArray::fromHex("0302b578d3");
    QTest::newRow("CRC-16/X-25 check value 0x906E")
            << QByteArray("123456789") << RepairCipher::CompressNever
            << RepairCipher::IntegrityChecksum16 << TestKey
            << QByteArray::fromHex("0302b5e82d95c0b6a1954cb62595");
    QTest::newRow("no integrity block")
            << QByteArray("abc") << RepairCipher::CompressNever << RepairCipher::IntegrityNone
            << TestKey << QByteArray::fromHex("0300b519d03a");
    QTest::newRow("SHA-1 block") << QByteArray("abc") << RepairCipher::CompressNever
                                 << RepairCipher::IntegritySha1 << TestKey
                                 << QByteArray::fromHex(
                                            "0304b5d1e354050722a22750c5697f4231f271205b0af0d495f7");
    QTest::newRow("key bytes wrap after eight")
            << QByteArray("0123456789") << RepairCipher::CompressNever
            << RepairCipher::IntegrityNone << TestKey
            << QByteArray::fromHex("0300b548d2693d4c5a6db540d2");
}

void TestRepairCipher::recordLayout()
{
    QFETCH(QByteArray, plaintext);
    QFETCH(RepairCipher::CompressionPolicy, policy);
    QFETCH(RepairCipher::IntegrityMode, mode);
    QFETCH(quint64, key);
    QFETCH(QByteArray, record);

    RepairCipher cipher = cipherWith(policy, mode, key);
    seedForRandomByte(0x5A);
    QCOMPARE(cipher.encryptBytes(plaintext).toHex(), record.toHex());
    QCOMPARE(cipher.lastStatus(), RepairCipher::CipherOk);
}

void TestRepairCipher::recordSizeAndFlags_data()
{
    QTest::addColumn<QByteArray>("plaintext");
    QTest::addColumn<RepairCipher::CompressionPolicy>("policy");
    QTest::addColumn<RepairCipher::IntegrityMode>("mode");
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("blockSize");

    const QByteArray text("a text that does not shrink");
    const QByteArray run(1000, 'z');
    const RepairCipher::CompressionPolicy ifSmaller = RepairCipher::CompressIfSmaller;
    const RepairCipher::CompressionPolicy always = RepairCipher::CompressAlways;
    const RepairCipher::CompressionPolicy never = RepairCipher::CompressNever;
    const RepairCipher::IntegrityMode none = RepairCipher::IntegrityNone;
    const RepairCipher::IntegrityMode crc = RepairCipher::IntegrityChecksum16;
    const RepairCipher::IntegrityMode sha1 = RepairCipher::IntegritySha1;

    QTest::newRow("if smaller, text stays") << text << ifSmaller << crc << false << 0x02 << 2;
    QTest::newRow("if smaller, run shrinks") << run << ifSmaller << crc << true << 0x03 << 2;
    // Compressed exactly as long as it is: not smaller, so stored as it is.
    const QByteArray tie("091983875767659551443335227119010928947866785");
    QVERIFY2(qCompress(tie, 9).size() == tie.size(), "this zlib no longer makes a tie of it");
    QTest::newRow("if smaller, as long stays") << tie << ifSmaller << crc << false << 0x02 << 2;
    QTest::newRow("always, text") << text << always << none << true << 0x01 << 0;
    QTest::newRow("always, empty") << QByteArray() << always << sha1 << true << 0x05 << 20;
    QTest::newRow("never, run") << run << never << sha1 << false << 0x04 << 20;
    QTest::newRow("never, none") << text << never << none << false << 0x00 << 0;
    QTest::newRow("unknown policy acts as never")
            << run << RepairCipher::CompressionPolicy(7) << crc << false << 0x02 << 2;
    QTest::newRow("unknown mode acts as none")
            << text << never << RepairCipher::IntegrityMode(9) << false << 0x00 << 0;
}

void TestRepairCipher::recordSizeAndFlags()
{
    QFETCH(QByteArray, plaintext);
    QFETCH(RepairCipher::CompressionPolicy, policy);
    QFETCH(RepairCipher::IntegrityMode, mode);
    QFETCH(bool, compressed);
    QFETCH(int, flags);
    QFETCH(int, blockSize);

    RepairCipher cipher = cipherWith(policy, mode);
    const QByteArray record = cipher.encryptBytes(plaintext);
    const QByteArray payload = compressed ? qCompress(plaintext, 9) : plaintext;

    QCOMPARE(record.size(), 3 + blockSize + payload.size());
    QCOMPARE(int(record.at(0)), 0x03);
    QCOMPARE(int(record.at(1)), flags);
    QCOMPARE(decipheredBody(record, TestKey).mid(1 + blockSize), payload);
}

void TestRepairCipher::checksumIsCrc16X25()
{
    RepairCipher cipher
            = cipherWith(RepairCipher::CompressNever, RepairCipher::IntegrityChecksum16);
    const QByteArray body = decipheredBody(cipher.encryptBytes("123456789"), TestKey);
    // The catalogued check value of CRC-16/X-25, most significant byte first.
    QCOMPARE(body.mid(1, 2).toHex(), QByteArray("906e"));
}

void TestRepairCipher::opensEveryCombination_data()
{
    QTest::addColumn<RepairCipher::CompressionPolicy>("policy");
    QTest::addColumn<RepairCipher::IntegrityMode>("mode");
    QTest::addColumn<QByteArray>("plaintext");

    const QStringList plaintexts
            = { QStringLiteral("empty"),    QStringLiteral("short"),    QStringLiteral("with NUL"),
                QStringLiteral("log line"), QStringLiteral("repeated"), QStringLiteral("random") };
    for (int policy = 0; policy < 3; ++policy) {
        for (int mode = 0; mode < 3; ++mode) {
            for (const QString &name : plaintexts) {
                QTest::addRow("policy %d, mode %d, %s", policy, mode, qPrintable(name))
                        << RepairCipher::CompressionPolicy(policy)
                        << RepairCipher::IntegrityMode(mode) << plaintextNamed(name);
            }
        }
    }
}

void TestRepairCipher::opensEveryCombination()
{
    QFETCH(RepairCipher::CompressionPolicy, policy);
    QFETCH(RepairCipher::IntegrityMode, mode);
    QFETCH(QByteArray, plaintext);

    RepairCipher sealer = cipherWith(policy, mode);
    const QByteArray record = sealer.encryptBytes(plaintext);
    // The opener's own settings play no part.
    RepairCipher opener = cipherWith(RepairCipher::CompressAlways, RepairCipher::IntegritySha1);
    opener.decryptBytes(QByteArray("x"));
    QCOMPARE(opener.decryptBytes(record), plaintext);
    QCOMPARE(opener.lastStatus(), RepairCipher::CipherOk);
}

void TestRepairCipher::opensForgedAndDamagedRecords_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<RepairCipher::CipherStatus>("status");
    QTest::addColumn<QByteArray>("plaintext");
    QTest::addColumn<QStringList>("warnings");

    const QStringList none;
    const QStringList badHeader = { QStringLiteral("Invalid version or not a cyphertext.") };
    const RepairCipher::CipherStatus mismatch = RepairCipher::CipherIntegrityMismatch;

    QTest::newRow("random byte alone")
            << QByteArray("\x03\x00\x77", 3) << RepairCipher::CipherOk << QByteArray() << none;
    QTest::newRow("high flag bits are ignored")
            << QByteArray::fromHex("03f8b519d03a") << RepairCipher::CipherOk << QByteArray("abc")
            << none;
    QTest::newRow("version 2") << QByteArray::fromHex("0200b519d03a")
                               << RepairCipher::CipherBadHeader << QByteArray() << badHeader;
    QTest::newRow("plain text") << QByteArray("Hello") << RepairCipher::CipherBadHeader
                                << QByteArray() << badHeader;
    QTest::newRow("CRC flag, one byte behind the random byte")
            << QByteArray::fromHex("0302b5e6") << mismatch << QByteArray() << none;
    QTest::newRow("SHA-1 flag, 19 bytes behind the random byte")
            << QByteArray::fromHex("0304b5d1e354050722a22750c5697f4231f271205b0af0") << mismatch
            << QByteArray() << none;
    QTest::newRow("one payload bit flipped under CRC")
            << QByteArray::fromHex("0302b5e6688085a2") << mismatch << QByteArray() << none;
    QTest::newRow("one payload bit flipped under SHA-1")
            << QByteArray::fromHex("0304b5d1e354050722a22750c5697f4231f271205b0af0d495f6")
            << mismatch << QByteArray() << none;
    // "abc" sealed without compression, then flagged as compressed: too short for qCompress's form.
    QTest::newRow("compressed flag on plain payload")
            << QByteArray::fromHex("0301b519d03a") << mismatch << QByteArray() << none;
}

void TestRepairCipher::opensForgedAndDamagedRecords()
{
    QFETCH(QByteArray, record);
    QFETCH(RepairCipher::CipherStatus, status);
    QFETCH(QByteArray, plaintext);
    QFETCH(QStringList, warnings);

    RepairCipher cipher(TestKey);
    WarningRecorder recorder;
    const QByteArray opened = cipher.decryptBytes(record);
    QCOMPARE(opened, plaintext);
    QCOMPARE(cipher.lastStatus(), status);
    QCOMPARE(recorder.warnings(), warnings);
}

void TestRepairCipher::wrongKey_data()
{
    QTest::addColumn<RepairCipher::IntegrityMode>("mode");
    QTest::addColumn<RepairCipher::CipherStatus>("status");

    QTest::newRow("CRC-16") << RepairCipher::IntegrityChecksum16
                            << RepairCipher::CipherIntegrityMismatch;
    QTest::newRow("SHA-1") << RepairCipher::IntegritySha1 << RepairCipher::CipherIntegrityMismatch;
    QTest::newRow("none scrambles") << RepairCipher::IntegrityNone << RepairCipher::CipherOk;
}

void TestRepairCipher::wrongKey()
{
    QFETCH(RepairCipher::IntegrityMode, mode);
    QFETCH(RepairCipher::CipherStatus, status);

    const QByteArray plaintext("Velto Studio 7.2, Bibliothek D:/Musik");
    RepairCipher sealer = cipherWith(RepairCipher::CompressNever, mode);
    seedForRandomByte(0x11);
    const QByteArray record = sealer.encryptBytes(plaintext);

    RepairCipher opener(TestKey ^ Q_UINT64_C(0x0100000000000000));
    const QByteArray opened = opener.decryptBytes(record);
    QCOMPARE(opener.lastStatus(), status);
    if (status == RepairCipher::CipherOk) {
        QCOMPARE(opened.size(), plaintext.size());
        QVERIFY(opened != plaintext);
    } else {
        QVERIFY(opened.isEmpty());
    }
}

void TestRepairCipher::unkeyedCipherRefusesEveryOperation()
{
    RepairCipher cipher;
    QVERIFY(!cipher.isKeyed());
    const QByteArray record = RepairCipher(TestKey).encryptBytes("abc");
    WarningRecorder recorder;

    QVERIFY(cipher.encryptBytes("abc").isEmpty());
    QCOMPARE(cipher.lastStatus(), RepairCipher::CipherNoKey);
    QVERIFY(cipher.encryptTextToBytes(QStringLiteral("abc")).isEmpty());
    QVERIFY(cipher.encryptTextToBase64(QStringLiteral("abc")).isEmpty());
    QVERIFY(cipher.encryptBytesToBase64("abc").isEmpty());
    QVERIFY(cipher.decryptBytes(record).isEmpty());
    QVERIFY(cipher.decryptBytesToText(record).isEmpty());
    QVERIFY(cipher.decryptBase64ToText(QString::fromLatin1(record.toBase64())).isEmpty());
    QVERIFY(cipher.decryptBase64ToBytes(QString::fromLatin1(record.toBase64())).isEmpty());
    QCOMPARE(cipher.lastStatus(), RepairCipher::CipherNoKey);
    QStringList refusals;
    for (int operation = 0; operation < 8; ++operation)
        refusals.append(QStringLiteral("No key set."));
    QCOMPARE(recorder.warnings(), refusals);

    cipher.assignKey(TestKey);
    QVERIFY(cipher.isKeyed());
    QCOMPARE(cipher.lastStatus(), RepairCipher::CipherNoKey);
    QCOMPARE(cipher.decryptBytes(record), QByteArray("abc"));
    QCOMPARE(cipher.lastStatus(), RepairCipher::CipherOk);
}

void TestRepairCipher::keyZeroOnlyChains()
{
    RepairCipher cipher;
    cipher.assignKey(0);
    QVERIFY(cipher.isKeyed());
    cipher.setCompressionPolicy(RepairCipher::CompressNever);
    cipher.setIntegrityMode(RepairCipher::IntegrityNone);
    seedForRandomByte(0x5A);
    // 0x5A, 'a' ^ 0x5A, 'b' ^ 'a' ^ 0x5A, 'c' ^ 'b' ^ 'a' ^ 0x5A
    const QByteArray record = cipher.encryptBytes("abc");
    QCOMPARE(record.toHex(), QByteArray("03005a3b593a"));
    QCOMPARE(cipher.decryptBytes(record), QByteArray("abc"));
}

void TestRepairCipher::assignKeyReplacesKeyWithoutReseeding()
{
    RepairCipher cipher(Q_UINT64_C(0xFFFFFFFFFFFFFFFF));
    cipher.setIntegrityMode(RepairCipher::IntegrityNone);
    cipher.setCompressionPolicy(RepairCipher::CompressNever);
    seedForRandomByte(0x5A);
    cipher.assignKey(TestKey);
    // Still the byte seeded above, enciphered with the new key alone.
    QCOMPARE(cipher.encryptBytes("abc").toHex(), QByteArray("0300b519d03a"));
}

void TestRepairCipher::constructorSeedsFromTheClock()
{
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    RepairCipher cipher(TestKey);
    const int drawn = qrandWithoutWarning();
    const qint64 after = QDateTime::currentMSecsSinceEpoch();

    bool seededFromClock = false;
    for (qint64 msecs = before; msecs <= after && !seededFromClock; ++msecs) {
        qsrandWithoutWarning(uint(msecs & 0xFFFF));
        seededFromClock = qrandWithoutWarning() == drawn;
    }
    QVERIFY(seededFromClock);
}

void TestRepairCipher::randomByteDifferenceReachesEveryByte()
{
    RepairCipher cipher(TestKey);
    seedForRandomByte(0x00);
    const QByteArray first = cipher.encryptBytes(QByteArray(40, 'q'));
    seedForRandomByte(0x81);
    const QByteArray second = cipher.encryptBytes(QByteArray(40, 'q'));

    QCOMPARE(second.left(2), first.left(2));
    QCOMPARE(second.size(), first.size());
    for (int offset = 2; offset < first.size(); ++offset)
        QCOMPARE(quint8(first[offset] ^ second[offset]), quint8(0x81));
}

void TestRepairCipher::bothIntegrityFlagsTestTheChecksumOnly()
{
    RepairCipher cipher(TestKey);
    QByteArray record = cipher.encryptBytes("abc");
    record[1] = char(record[1] | RepairCipher::FlagSha1);
    QCOMPARE(cipher.decryptBytes(record), QByteArray("abc"));
    QCOMPARE(cipher.lastStatus(), RepairCipher::CipherOk);

    // A SHA-1 record flagged with both bits is checked as if it carried a CRC.
    QByteArray sha1Record
            = QByteArray::fromHex("0304b5d1e354050722a22750c5697f4231f271205b0af0d495f7");
    sha1Record[1] = char(RepairCipher::FlagChecksum16 | RepairCipher::FlagSha1);
    QVERIFY(cipher.decryptBytes(sha1Record).isEmpty());
    QCOMPARE(cipher.lastStatus(), RepairCipher::CipherIntegrityMismatch);
}

void TestRepairCipher::shortRecordSetsStatusWithoutWarning()
{
    RepairCipher cipher(TestKey);
    const QList<QByteArray> shortRecords
            = { QByteArray(), QByteArray("\x03"), QByteArray("\x03\x02", 2) };
    for (const QByteArray &record : shortRecords) {
        cipher.decryptBytes(cipher.encryptBytes("ok"));
        QCOMPARE(cipher.lastStatus(), RepairCipher::CipherOk);
        WarningRecorder recorder;
        QVERIFY(cipher.decryptBytes(record).isEmpty());
        QCOMPARE(cipher.lastStatus(), RepairCipher::CipherBadHeader);
        QVERIFY(recorder.warnings().isEmpty());
    }
}

void TestRepairCipher::compressedLengthClaimIsBounded_data()
{
    QTest::addColumn<QByteArray>("plaintext");
    QTest::addColumn<qint64>("claimedSize");
    QTest::addColumn<RepairCipher::CipherStatus>("status");

    const RepairCipher::CipherStatus ok = RepairCipher::CipherOk;
    const RepairCipher::CipherStatus mismatch = RepairCipher::CipherIntegrityMismatch;
    // Runs of one byte compress close to deflate's limit and must still open.
    QTest::newRow("16 MiB of zeros") << QByteArray(16 << 20, '\0') << qint64(-1) << ok;
    QTest::newRow("empty") << QByteArray() << qint64(-1) << ok;
    // qUncompress itself would allocate the claimed 100 MiB and then open the record.
    QTest::newRow("claims 100 MiB") << QByteArray("abc") << qint64(100 << 20) << mismatch;
    QTest::newRow("claims 4 GiB") << QByteArray("abc") << qint64(0xFFFFFFFF) << mismatch;
    QTest::newRow("empty form with a claim") << QByteArray() << qint64(3) << mismatch;
}

void TestRepairCipher::compressedLengthClaimIsBounded()
{
    QFETCH(QByteArray, plaintext);
    QFETCH(qint64, claimedSize);
    QFETCH(RepairCipher::CipherStatus, status);

    QByteArray payload = qCompress(plaintext, 9);
    if (claimedSize >= 0)
        qToBigEndian(quint32(claimedSize), payload.data());
    // Sealed as a plain payload, then flagged as compressed: the CRC covers the forged prefix.
    RepairCipher cipher
            = cipherWith(RepairCipher::CompressNever, RepairCipher::IntegrityChecksum16);
    QByteArray record = cipher.encryptBytes(payload);
    record[1] = char(record[1] | RepairCipher::FlagCompressed);

    const QByteArray opened = cipher.decryptBytes(record);
    QCOMPARE(cipher.lastStatus(), status);
    if (status == RepairCipher::CipherOk)
        QVERIFY(opened == plaintext);
    else
        QVERIFY(opened.isEmpty());
}

void TestRepairCipher::base64Forms_data()
{
    QTest::addColumn<QString>("plaintext");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("padding");

    QTest::newRow("three bytes: 8-byte record")
            << QStringLiteral("abc") << 12 << QStringLiteral("=");
    QTest::newRow("empty: 5-byte record") << QString() << 8 << QStringLiteral("=");
    QTest::newRow("umlauts: 7 UTF-8 bytes, no fill")
            << QStringLiteral("Gr\u00FC\u00DFe") << 16 << QString();
    QTest::newRow("snowman: 11 UTF-8 bytes")
            << QStringLiteral("Gr\u00FC\u00DFe \u2603") << 24 << QStringLiteral("==");
}

void TestRepairCipher::base64Forms()
{
    QFETCH(QString, plaintext);
    QFETCH(int, length);
    QFETCH(QString, padding);

    RepairCipher cipher(TestKey);
    const QString base64 = cipher.encryptTextToBase64(plaintext);
    QCOMPARE(base64.size(), length);
    QVERIFY(base64.endsWith(padding));
    QVERIFY(!base64.chopped(padding.size()).contains(QLatin1Char('=')));
    QCOMPARE(base64, QString::fromLatin1(QByteArray::fromBase64(base64.toLatin1()).toBase64()));

    QCOMPARE(cipher.decryptBase64ToText(base64), plaintext);
    QCOMPARE(cipher.decryptBase64ToText(base64 + QStringLiteral("\r\n")), plaintext);
    QString broken = base64;
    for (int at = broken.size() - 4; at > 0; at -= 4)
        broken.insert(at, QStringLiteral("\n "));
    QCOMPARE(cipher.decryptBase64ToText(broken), plaintext);
    QCOMPARE(cipher.lastStatus(), RepairCipher::CipherOk);
    QCOMPARE(cipher.decryptBase64ToBytes(broken), plaintext.toUtf8());
}

void TestRepairCipher::textKeepsEmbeddedNul()
{
    RepairCipher cipher(TestKey);
    const QString text = QStringLiteral("vor") + QChar(0) + QStringLiteral("nach");
    QCOMPARE(cipher.decryptBytesToText(cipher.encryptTextToBytes(text)), text);
    QCOMPARE(cipher.decryptBase64ToText(cipher.encryptTextToBase64(text)), text);
}

QTEST_GUILESS_MAIN(TestRepairCipher)
#include "tst_repaircipher.moc"
