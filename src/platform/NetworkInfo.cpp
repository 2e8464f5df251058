#include "platform/NetworkInfo.h"

#include <QNetworkInterface>

namespace platform {

QString localAddress()
{
    for (const QHostAddress &a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a.toString();
    }
    return QStringLiteral("127.0.0.1");
}

} // namespace platform
