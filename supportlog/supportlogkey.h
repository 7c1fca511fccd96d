#ifndef SUPPORTLOGKEY_H
#define SUPPORTLOGKEY_H

#include <QtGlobal>

// The key that seals every support log; support opens the logs with the same value.
constexpr quint64 SupportLogKey = Q_UINT64_C(0x4b6f726d616e6452);

#endif // SUPPORTLOGKEY_H
