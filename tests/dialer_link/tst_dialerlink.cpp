// The dialer link over real loopback sockets, against a fake dialer.
#include <QtTest>

#include "../core/TestSupport.h"
#include "../support/DialerPeer.h"
#include "app/Composition.h"
#include "core/LogList.h"
#include "core/MainController.h"
#include "dialer_link/PacketFormat.h"

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
    QByteArray readExactly(int n)
    {
        QByteArray out;
        if (!QTest::qWaitFor([&] {
                out += peer().read(n - out.size());
                return out.size() >= n;
            }, 20000))
            qWarning("waited in vain for %d bytes", n);
        return out;
    }
};

} // namespace

class TestDialerLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dbOkOnConnectThenRepliesInOrder();
    void chiudiSendsDbDownBeforeClosing();
    void refusedConnectionIsReportedAndRecycled();
    void requestsAreDispatchedAndCounted();
    void linkDroppedMidPacket();
    void dbDownLeavesEvenWhenTheProgramEndsAtOnce();
};

void TestDialerLink::dbOkOnConnectThenRepliesInOrder()
{
    Fixture f(false);
    QVERIFY(f.connect());
    const QByteArray dbok = f.readExactly(20);
    QByteArray port(4, '\0');
    qToLittleEndian<qint32>(f.peer().peerPort(), port.data());
    QCOMPARE(dbok, QByteArray::fromHex("00000010FFFFFFFF") + port + QByteArray::fromHex("DE11010000000000"));
    QTRY_COMPARE_WITH_TIMEOUT(f.controller.model().traffic[MainModel::PacketsSent]->value(), 1, 20000);
    const QStringList lines = f.list1();
    QCOMPARE(lines.mid(0, 4), (QStringList{QStringLiteral("Tento la connessione"), QStringLiteral("Connesso a 127.0.0.1"),
                                           QStringLiteral("70110"), QStringLiteral("Invio DBOK")}));
    QVERIFY(f.controller.model().closeEnabled.value());
    QVERIFY(!f.controller.model().connectEnabled.value());
    QCOMPARE(f.controller.model().traffic[MainModel::LastCodeSent]->value(), 70110);
    QCOMPARE(readFile(f.controller.debugFile().path()), dbok); // the header bytes, no identification record

    // Replies leave in the order they were given.
    for (int id = 1; id <= 3; ++id)
        f.link().writer().sendReply(AckEsito, QStringLiteral("Invio AckEsito"), {id, QStringLiteral("tag%1").arg(id)}, {});
    const QByteArray all = f.readExactly(3 * 44);
    QCOMPARE(all.size(), 132);
    for (int i = 0; i < 3; ++i) {
        const QByteArray one = all.mid(i * 44, 44);
        QCOMPARE(readInt32Be(one, 0), 40);
        QCOMPARE(readInt32Le(one, 12), qint32(AckEsito));
        RecordId r;
        QVERIFY(decodeRecordId(one, r, kHeaderSize).ok());
        QCOMPARE(r.id, i + 1);
        QCOMPARE(r.contact, QStringLiteral("tag%1").arg(i + 1).leftJustified(20));
    }
    QTRY_COMPARE_WITH_TIMEOUT(f.controller.model().traffic[MainModel::PacketsSent]->value(), 4, 20000);
}

void TestDialerLink::chiudiSendsDbDownBeforeClosing()
{
    Fixture f(false);
    QVERIFY(f.connect());
    f.controller.chiudi(); // at once, with DBOK's second half still waiting for its pause
    QCOMPARE(f.link().state(), 0);
    QVERIFY(f.controller.model().connectEnabled.value());
    QByteArray all;
    QTRY_VERIFY_WITH_TIMEOUT((all += f.peer().readAll(), f.peer().state() == QAbstractSocket::UnconnectedState), 20000);
    all += f.peer().readAll();
    QCOMPARE(all.size(), 40);
    QCOMPARE(all.mid(12, 4), QByteArray::fromHex("DE110100"));
    QCOMPARE(all.mid(32, 4), QByteArray::fromHex("DD110100"));
    QVERIFY(f.list1().contains(QStringLiteral("Invio DBDOWN")));
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

void TestDialerLink::requestsAreDispatchedAndCounted()
{
    Fixture f(true);
    QVERIFY(f.connect());
    f.peer().write(DialerPeer::request(RichiestaGruppi, 5) + DialerPeer::request(71003, 6) + DialerPeer::request(75555, 7)
                   + DialerPeer::request(100, 8));
    QTRY_COMPARE_WITH_TIMEOUT(f.controller.model().traffic[MainModel::DataErrors]->value(), 2, 20000);
    const QStringList lines = f.list1();
    QVERIFY(lines.contains(QStringLiteral("Ricevuta Richiesta gruppi")));
    QVERIFY(lines.contains(QStringLiteral("Ricevuto PDOUTOP_FREEQUEUE_OP")));
    // A release without its operator code is refused, not read as zeros.
    QVERIFY(lines.contains(QStringLiteral("ERRORE NEI DATI: PDOUTOP_FREEQUEUE_OP troppo corto: 0 byte, attesi 24")));
    QVERIFY(lines.contains(QStringLiteral("MSG SCONOSC=75555")));
    QVERIFY(lines.contains(QStringLiteral("ERRORE NEI DATI")));
    MainModel &m = f.controller.model();
    QCOMPARE(m.traffic[MainModel::Dispatched]->value(), 1);
    QCOMPARE(m.traffic[MainModel::UnknownCodes]->value(), 1);
    QCOMPARE(m.traffic[MainModel::LastCodeReceived]->value(), 100);
    QCOMPARE(m.traffic[MainModel::BytesReceived]->value(), 176); // "### ### ### ###"
    QVERIFY(f.controller.log().list2().lines().isEmpty()); // the bad request was last: nothing to drain
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

void TestDialerLink::dbDownLeavesEvenWhenTheProgramEndsAtOnce()
{
    auto f = std::make_unique<Fixture>(true);
    QVERIFY(f->connect());
    std::unique_ptr<QTcpSocket> peer(f->dialer.peer);
    peer->setParent(nullptr);
    QByteArray all;
    QVERIFY(QTest::qWaitFor([&] { return (all += peer->readAll()).size() >= 20; }, 20000));
    f->prompts.answers = {true};
    QVERIFY(f->controller.requestClose());
    f.reset(); // the program's objects go without another turn of the event loop
    QVERIFY(QTest::qWaitFor([&] {
        all += peer->readAll();
        return all.size() >= 40 && peer->state() == QAbstractSocket::UnconnectedState;
    }, 20000));
    QCOMPARE(all.mid(32, 4), QByteArray::fromHex("DD110100"));
}

QTEST_MAIN(TestDialerLink)
#include "tst_dialerlink.moc"
