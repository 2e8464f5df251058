// The status report datagram to the central server.
#include <QtTest>

#include "core/AppInfo.h"
#include "core/StatusReport.h"

#include <QHostInfo>
#include <QUdpSocket>

class TestStatusReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldsSentOverUdpFromTheLocalAddress();
    void unsetHostSendsNothing();
};

void TestStatusReport::fieldsSentOverUdpFromTheLocalAddress()
{
    QUdpSocket receiver;
    QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
    StatusReport report;
    report.send(QStringLiteral("127.0.0.1"), receiver.localPort());
    QTRY_VERIFY_WITH_TIMEOUT(receiver.hasPendingDatagrams(), 10000);
    QByteArray bytes(int(receiver.pendingDatagramSize()), '\0');
    receiver.readDatagram(bytes.data(), bytes.size());
    const QList<QByteArray> fields = bytes.chopped(2).split('|');
    QCOMPARE(fields.size(), 5);
    QCOMPARE(fields[0], QByteArray("190"));
    QCOMPARE(fields[1], QByteArray("127.0.0.1"));
    QCOMPARE(fields[2], QHostInfo::localHostName().toLatin1());
    QCOMPARE(fields[3], QByteArray("Vastel Quorin DB Server"));
    QCOMPARE(fields[4], appinfo::version().toLatin1());
    QVERIFY(bytes.endsWith("\r\n"));
}

void TestStatusReport::unsetHostSendsNothing()
{
    StatusReport report;
    QSignalSpy sent(&report, &StatusReport::sent);
    report.send(QStringLiteral("  "));
    QVERIFY(report.findChildren<QUdpSocket *>().isEmpty());
    QCOMPARE(sent.count(), 0);
}

QTEST_GUILESS_MAIN(TestStatusReport)
#include "tst_statusreport.moc"
