#include "fuzzinput.h"
#include "supportlog/repaircipher.h"

#include <QByteArray>
#include <QString>

#include <cstdlib>

namespace {

// The policy and mode of a sealing, from one byte of the input.
RepairCipher sealerFor(quint8 choice)
{
    RepairCipher cipher(Q_UINT64_C(0x0123456789ABCDEF));
    cipher.setCompressionPolicy(RepairCipher::CompressionPolicy(choice % 3));
    cipher.setIntegrityMode(RepairCipher::IntegrityMode(choice / 3 % 3));
    return cipher;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    dropQtMessages();
    return 0;
}

// Any input, opened as a record and as Base64 text, must neither crash, hang nor allocate out of
// proportion; sealed under any settings, it must open to itself.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzInput(data, size);
    RepairCipher cipher(Q_UINT64_C(0x0123456789ABCDEF));
    const QByteArray opened = cipher.decryptBytes(input);
    if (cipher.lastStatus() != RepairCipher::CipherOk && !opened.isEmpty())
        std::abort();
    // Nothing opens to more than deflate could have made of the record.
    if (quint64(opened.size()) > quint64(size) * 1032 + 1032)
        std::abort();
    cipher.decryptBase64ToText(QString::fromLatin1(input));

    if (size > 0) {
        RepairCipher sealer = sealerFor(data[0]);
        const QByteArray plaintext = input.mid(1);
        if (cipher.decryptBytes(sealer.encryptBytes(plaintext)) != plaintext
            || cipher.lastStatus() != RepairCipher::CipherOk)
            std::abort();
    }
    return 0;
}
