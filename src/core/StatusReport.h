#pragma once

#include <QObject>
#include <QString>

class QUdpSocket;

// The status report datagram sent to the central server at start and every
// 15 minutes. Its destination is the "StatusReportHost" setting; unset,
// nothing is sent.
class StatusReport : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kPort = 9999;
    static constexpr int kInstallation = 190;

    explicit StatusReport(QObject *parent = nullptr);

    // "190|ip|host|title|major.minor.revision" and CR LF.
    static QByteArray datagram(const QString &localIp, const QString &hostName, const QString &title,
                               const QString &version);

    // Errors are ignored: the report is best effort.
    void send(const QString &host, quint16 port = kPort);

Q_SIGNALS:
    void sent(const QByteArray &datagram);
};
