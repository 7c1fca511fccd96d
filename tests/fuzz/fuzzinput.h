#ifndef FUZZINPUT_H
#define FUZZINPUT_H

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>

// The toolkit's warnings (the cipher's, qUncompress's) would drown the fuzzer's own output.
inline void dropQtMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

// The fuzzer's input, not copied.
inline QByteArray fuzzInput(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
}

#endif // FUZZINPUT_H
