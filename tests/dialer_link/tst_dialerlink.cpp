// The dialer link over real loopback sockets, against a fake dialer. A
// dialer that sends faster than it reads gets one request served at a time,
// after the previous reply was handed over; the program holds at most one
// reply and one chunk of requests.
#include <QtTest>

#include "../support/Bytes.h"
#include "../support/DialerPeer.h"
#include "../support/Loopback.h"
#include "../support/Program.h"
#include "core/LogList.h"
#include "dialer_link/DialerBodies.h"

using namespace packet;

namespace {

struct Fixture {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    MainController controller{MainController::Options{{dir.path(), dir.path(), dir.path()}, false}, prompts};
    Composition parts;
    DialerPeer dialer;

    explicit Fixture(bool fast) : parts(controller, prompts, fast)
    {
        controller.model().serverIp.setText(QStringLiteral("127.0.0.1"));
        controller.model().serverPort.setText(QString::number(dialer.port()));
        controller.model().debugLevel.setText(QStringLiteral("0"));
    }
    DialerLink &link() { return parts.dialerLink(); }
    QTcpSocket &peer() { return *dialer.peer; }
    // "Connetti", and the link up.
    bool connect()
    {
        controller.connetti();
        return dialer.accept() && QTest::qWaitFor([this] { return link().state() == 7; }, 20000);
    }
    QStringList list1() const { return const_cast<MainController &>(controller).log().list1().lines(); }
    // The first n bytes the dialer receives; fewer if they do not come.
    QByteArray readExactly(int n)
    {
        QTest::qWaitFor([&] { return peer().bytesAvailable() >= n; }, 20000);
        return peer().read(n);
    }
};

} // namespace

class TestDialerLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dbOkOnConnectThenRepliesInOrder();
    void dbDownLeavesBeforeTheClose_data();
    void dbDownLeavesBeforeTheClose();
    void refusedConnectionIsReportedAndRecycled();
    void linkDroppedMidPacket();
    void aDialerThatDoesNotReadGetsOneReplyAtATime();
    void nothingIsReadWhileAReplyWaits();
};

void TestDialerLink::dbOkOnConnectThenRepliesInOrder()
{
    Fixture f(false);
    QVERIFY(f.connect());
    const QByteArray dbok = f.readExactly(20);
    QCOMPARE(dbok, hex("00000010" "FFFFFFFF") + le32(f.peer().peerPort()) + hex("DE110100" "00000000"));
    QTRY_COMPARE_WITH_TIMEOUT(f.controller.model().traffic[MainModel::PacketsSent]->value(), 1, 20000);
    const QStringList lines = f.list1();
    QCOMPARE(lines.mid(0, 4), (QStringList{QStringLiteral("Tento la connessione"), QStringLiteral("Connesso a 127.0.0.1"),
                                           QStringLiteral("70110"), QStringLiteral("Invio DBOK")}));
    QCOMPARE(f.controller.model().traffic[MainModel::LastCodeSent]->value(), 70110);
    QCOMPARE(readFile(f.controller.debugFile().path()), dbok); // the header bytes, no identification record

    // Replies leave in the order they were given.
    for (int id = 1; id <= 3; ++id)
        f.link().writer().sendReply(AckEsito, QStringLiteral("Invio AckEsito"), {id, QStringLiteral("tag%1").arg(id)}, {});
    for (int id = 1; id <= 3; ++id) {
        const Packet reply = f.dialer.receive();
        QCOMPARE(reply.header.code, qint32(AckEsito));
        QCOMPARE(reply.record.id, id);
        QCOMPARE(reply.record.contact, QStringLiteral("tag%1").arg(id).leftJustified(20));
    }
    QTRY_COMPARE_WITH_TIMEOUT(f.controller.model().traffic[MainModel::PacketsSent]->value(), 4, 20000);
}

void TestDialerLink::dbDownLeavesBeforeTheClose_data()
{
    QTest::addColumn<bool>("programEnds");
    // At once, with DBOK's second half still waiting for its pause.
    QTest::newRow("Chiudi") << false;
    // The program's objects go without another turn of the event loop.
    QTest::newRow("the program ends at once") << true;
}

void TestDialerLink::dbDownLeavesBeforeTheClose()
{
    QFETCH(bool, programEnds);
    auto f = std::make_unique<Fixture>(programEnds);
    QVERIFY(f->connect());
    std::unique_ptr<QTcpSocket> peer(f->dialer.peer);
    peer->setParent(nullptr);
    if (programEnds) {
        QVERIFY(QTest::qWaitFor([&] { return peer->bytesAvailable() >= 20; }, 20000)); // DBOK whole
        f->prompts.answers = {true};
        QVERIFY(f->controller.requestClose());
        f.reset();
    } else {
        f->controller.chiudi();
        QCOMPARE(f->link().state(), 0);
        QVERIFY(f->list1().contains(QStringLiteral("Invio DBDOWN")));
    }
    const QByteArray all = readToClose(*peer);
    QCOMPARE(all.size(), 40);
    QCOMPARE(all.mid(12, 4), hex("DE110100"));
    QCOMPARE(all.mid(32, 4), hex("DD110100"));
}

void TestDialerLink::refusedConnectionIsReportedAndRecycled()
{
    Fixture f(true);
    f.dialer.server.close(); // nobody listens there any more
    f.controller.model().debugLevel.setText(QStringLiteral("01"));
    f.controller.connetti();
    QTRY_COMPARE_WITH_TIMEOUT(f.link().state(), 9, 20000);
    const QStringList errors = f.list1().filter(QStringLiteral("ErrWs1 #10061 "));
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().contains(QStringLiteral(" Src Winsock1")));
    QVERIFY(f.prompts.asked.filter(QStringLiteral("ErrWs1")).isEmpty()); // "01" is not "1"
    QVERIFY(readFile(f.controller.debugFile().path()).contains(" ErrWs1 #10061 "));

    f.controller.model().debugLevel.setText(QStringLiteral("1"));
    f.controller.mainTick().tick(); // state 9: closed and connected again
    QCOMPARE(f.list1().filter(QStringLiteral("Tento la connessione")).size(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(f.prompts.asked.filter(QStringLiteral("ErrWs1 #10061")).size(), 1, 20000);
    QCOMPARE(f.link().state(), 9);
}

void TestDialerLink::linkDroppedMidPacket()
{
    Fixture f(false);
    f.link().writer().setPauseMs(3000); // long enough to drop the link between two pieces
    QVERIFY(f.connect());
    f.link().writer().sendReply(AckEsito, QStringLiteral("Invio AckEsito"), {1, QStringLiteral("x")}, {});
    QCOMPARE(f.readExactly(4), QByteArray::fromHex("00000010")); // DBOK's length, then its pause
    f.peer().abort();
    QTRY_COMPARE_WITH_TIMEOUT(f.link().state(), 9, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(f.list1().count(QStringLiteral("Socket non connessa")), 2, 20000);
    QVERIFY(!f.link().writer().busy());
    QCOMPARE(f.controller.model().traffic[MainModel::PacketsSent]->value(), 0); // no packet completed
}

void TestDialerLink::aDialerThatDoesNotReadGetsOneReplyAtATime()
{
    Program p(Program::Options{{}, {4000, 5}});
    DialerLink &link = p.parts->dialerLink();
    DialerPeer dialer;
    link.connectTo(QStringLiteral("127.0.0.1"), dialer.port());
    QVERIFY(dialer.accept());
    QCOMPARE(dialer.receive().header.code, qint32(DbOk));
    // The dialer's socket holds little (DialerPeer::kReadBuffer): when it
    // stops reading, TCP stops the program.
    constexpr int kRequests = 300; // about 900 KB of replies, more than the sockets hold
    QByteArray pipelined;
    for (int i = 0; i < kRequests; ++i)
        pipelined += DialerPeer::request(RichiestaClientiGruppi, 1000 + i,
                                         dialerbody::encode(dialerbody::CustomersRequest{{{1 + i % 6, 10}}}));
    dialer.peer->write(pipelined);
    const auto served = [&] { return p.controller->model().traffic[MainModel::Dispatched]->value(); };
    // The program ends up waiting on the dialer: its reply is not handed
    // over, and it has not served the requests behind it.
    QTRY_VERIFY_WITH_TIMEOUT(dialer.peer->bytesAvailable() >= DialerPeer::kReadBuffer
                                 && link.socket().bytesToWrite() > 0 && served() < kRequests,
                             30000);
    QVERIFY(served() < kRequests);
    const qint64 oneReply = (kPrefixSize + 4 + 10 * dialerbody::CustomerRecord::Size) + (kPrefixSize + 4);
    QVERIFY2(link.writer().peakQueuedBytes() <= oneReply, qPrintable(QString::number(link.writer().peakQueuedBytes())));
    QVERIFY(link.reader().peakHeld() <= RequestReader::kReadChunk);
    // Then it reads, freely, and the program serves the rest.
    dialer.peer->setReadBufferSize(0);
    QTRY_COMPARE_WITH_TIMEOUT(served(), kRequests, 30000);
    QVERIFY(link.writer().peakQueuedBytes() <= oneReply);
}

void TestDialerLink::nothingIsReadWhileAReplyWaits()
{
    Fixture f(false);
    f.link().writer().setPauseMs(60000); // DBOK's pause outlasts the test
    QVERIFY(f.connect());
    QByteArray flood;
    for (int i = 0; i < 20000; ++i) // over a megabyte of requests
        flood += DialerPeer::request(RichiestaGruppi, i);
    f.peer().write(flood);
    // The socket's buffer fills and stays full: the rest waits in TCP.
    QTRY_VERIFY_WITH_TIMEOUT(f.link().socket().bytesAvailable() >= LinkSocket::kReadBuffer, 20000);
    QCOMPARE(f.link().reader().held(), 0);
    QCOMPARE(f.controller.model().traffic[MainModel::Dispatched]->value(), 0);
    QCOMPARE(f.link().socket().bytesAvailable(), LinkSocket::kReadBuffer);
}

QTEST_MAIN(TestDialerLink)
#include "tst_dialerlink.moc"
