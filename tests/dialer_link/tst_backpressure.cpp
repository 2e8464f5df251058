// A dialer that sends faster than it reads: requests are served one at a
// time after the previous reply was handed over, the program holds at most
// one reply and one chunk of requests, and an outcome is never stored ahead
// of the acknowledgements before it.
#include <QtTest>

#include "../support/DialerPeer.h"
#include "../support/Program.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_link/OutcomeRecord.h"

using namespace packet;

namespace {

// The program on a demo campaign, and a fake dialer for it.
struct Bench : Program {
    DialerPeer dialer;
    explicit Bench(bool fast, int customers = 10, const QByteArray &settings = {})
        : Program(Options{settings, {customers, 5}, {}, fast})
    {
    }
    DialerLink &link() { return parts->dialerLink(); }
    // Connects without "Connetti", which would leave no-database mode.
    bool connect()
    {
        link().connectTo(QStringLiteral("127.0.0.1"), dialer.port());
        return dialer.accept() && dialer.receive().header.code == DbOk;
    }
};

QByteArray outcomeFor(qint64 customer)
{
    OutcomeRecord o;
    o.code = 5;
    o.customerId = QString::number(customer);
    return o.encode();
}

} // namespace

class TestBackpressure : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void outcomesAreNeverStoredAheadOfTheirAcks();
    void aDialerThatDoesNotReadGetsOneReplyAtATime();
    void nothingIsReadWhileAReplyWaits();
};

void TestBackpressure::outcomesAreNeverStoredAheadOfTheirAcks()
{
    Bench p(false, 100); // the original's pauses, shortened
    p.link().writer().setPauseMs(20);
    int acksHanded = 0;
    QObject::connect(&p.link().writer(), &PacketWriter::packetSent, [&](qint32 code) { acksHanded += code == AckEsito; });
    QVERIFY(p.connect());
    QByteArray pipelined;
    for (int i = 0; i < 40; ++i)
        pipelined += DialerPeer::request(Esito, 500 + i, outcomeFor(100001 + i));
    p.dialer.peer->write(pipelined); // forty outcomes in one write
    for (int i = 0; i < 3; ++i) {
        const Packet ack = p.dialer.receive();
        QCOMPARE(ack.header.code, qint32(AckEsito));
        QCOMPARE(ack.record.id, 500 + i);
    }
    p.dialer.peer->abort(); // the dialer goes away with 37 outcomes unanswered
    QTRY_VERIFY_WITH_TIMEOUT(p.link().state() != socketstates::kConnected, 20000);
    const qint64 stored = p.number(QStringLiteral("select count(*) from Esiti_Quorin"));
    // Each stored outcome had its acknowledgement handed over, but for the
    // one being answered when the link went: the dialer reports the rest again.
    QVERIFY2(stored >= 3 && stored <= acksHanded + 1,
             qPrintable(QStringLiteral("%1 stored, %2 acknowledged").arg(stored).arg(acksHanded)));
}

void TestBackpressure::aDialerThatDoesNotReadGetsOneReplyAtATime()
{
    Bench p(true, 4000);
    QVERIFY(p.connect());
    // The dialer's socket holds little (DialerPeer::kReadBuffer): when it
    // stops reading, TCP stops the program.
    constexpr int kRequests = 300; // about 900 KB of replies, more than the sockets hold
    QByteArray pipelined;
    for (int i = 0; i < kRequests; ++i)
        pipelined += DialerPeer::request(RichiestaClientiGruppi, 1000 + i,
                                         dialerbody::encode(dialerbody::CustomersRequest{{{1 + i % 6, 10}}}));
    p.dialer.peer->write(pipelined);
    const auto served = [&] { return p.controller->model().traffic[MainModel::Dispatched]->value(); };
    // The program ends up waiting on the dialer: its reply is not handed
    // over, and it has not served the requests behind it.
    QTRY_VERIFY_WITH_TIMEOUT(p.dialer.peer->bytesAvailable() >= DialerPeer::kReadBuffer
                                 && p.link().socket().bytesToWrite() > 0 && served() < kRequests,
                             30000);
    QVERIFY(served() < kRequests);
    const qint64 oneReply = (kPrefixSize + 4 + 10 * dialerbody::CustomerRecord::Size) + (kPrefixSize + 4);
    QVERIFY2(p.link().writer().peakQueuedBytes() <= oneReply, qPrintable(QString::number(p.link().writer().peakQueuedBytes())));
    QVERIFY(p.link().reader().peakHeld() <= RequestReader::kReadChunk);
    // Then it reads, freely: every reply, whole and in order.
    p.dialer.peer->setReadBufferSize(0);
    for (int i = 0; i < kRequests; ++i) {
        Packet reply = p.dialer.receive();
        while (reply.header.code == ClientiGruppo) {
            QCOMPARE(reply.record.id, 1000 + i);
            reply = p.dialer.receive();
        }
        QCOMPARE(reply.header.code, qint32(QueryEnd));
        QCOMPARE(reply.record.id, 1000 + i);
    }
    QCOMPARE(served(), kRequests);
    QVERIFY(p.link().writer().peakQueuedBytes() <= oneReply);
}

void TestBackpressure::nothingIsReadWhileAReplyWaits()
{
    Bench p(false, 10, "nodb=1\r\n");
    p.link().writer().setPauseMs(60000); // DBOK's pause outlasts the test
    p.link().connectTo(QStringLiteral("127.0.0.1"), p.dialer.port());
    QVERIFY(p.dialer.accept());
    QByteArray flood;
    for (int i = 0; i < 20000; ++i) // over a megabyte of requests
        flood += DialerPeer::request(RichiestaGruppi, i);
    p.dialer.peer->write(flood);
    // The socket's buffer fills and stays full: the rest waits in TCP.
    QTRY_VERIFY_WITH_TIMEOUT(p.link().socket().bytesAvailable() >= LinkSocket::kReadBuffer, 20000);
    QCOMPARE(p.link().reader().held(), 0);
    QCOMPARE(p.controller->model().traffic[MainModel::Dispatched]->value(), 0);
    QCOMPARE(p.link().socket().bytesAvailable(), LinkSocket::kReadBuffer);
}

QTEST_MAIN(TestBackpressure)
#include "tst_backpressure.moc"
