#include "core/StatusReport.h"

#include "core/AppInfo.h"
#include "wire/AnsiCodec.h"

#include <QHostInfo>
#include <QUdpSocket>

StatusReport::StatusReport(QObject *parent) : QObject(parent) {}

QByteArray StatusReport::datagram(const QString &localIp, const QString &hostName, const QString &title,
                                  const QString &version)
{
    const QStringList fields = {QString::number(kInstallation), localIp, hostName, title, version};
    return ansi::encode(fields.join(QLatin1Char('|'))) + "\r\n";
}

void StatusReport::send(const QString &host, quint16 port)
{
    if (host.trimmed().isEmpty())
        return;
    // Connecting a UDP socket picks the local address the report leaves from.
    auto *socket = new QUdpSocket(this);
    connect(socket, &QUdpSocket::connected, this, [this, socket] {
        const QByteArray bytes = datagram(socket->localAddress().toString(), QHostInfo::localHostName(),
                                          appinfo::title(), appinfo::version());
        if (socket->write(bytes) == bytes.size())
            Q_EMIT sent(bytes);
        socket->deleteLater();
    });
    connect(socket, &QUdpSocket::errorOccurred, socket, &QObject::deleteLater);
    socket->connectToHost(host.trimmed(), port);
}
