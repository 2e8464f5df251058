// The status page over real loopback connections: the exact answer, the
// substring rule, many browsers at once, browsers that go quiet or away;
// the status files; the outcome totals kept in CT_Monitor between runs.
#include <QtTest>

#include "../support/Loopback.h"
#include "../support/Program.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "core/MainModel.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

const QByteArray kAsk = "GET /ct_monitor HTTP/1.1\r\nHost: localhost\r\nUser-Agent: test\r\n\r\n";

struct Browser {
    QTcpSocket socket;
    QByteArray got;

    explicit Browser(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool connected()
    {
        return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; }, 20000);
    }
    // The body of one whole answer, taken off what arrived.
    QByteArray answer()
    {
        QByteArray body;
        const bool whole = QTest::qWaitFor([&] {
            got += socket.readAll();
            const qsizetype end = got.indexOf("\r\n\r\n");
            if (end < 0)
                return false;
            const qsizetype at = got.indexOf("Content-length: ");
            const qsizetype length = got.mid(at + 16, got.indexOf("\r\n", at) - at - 16).toLongLong();
            if (got.size() < end + 4 + length)
                return false;
            body = got.mid(end + 4, length);
            got.remove(0, end + 4 + length);
            return true;
        }, 20000);
        return whole ? body : QByteArray();
    }
    // Closed by the server, with nothing more after the answers taken.
    bool closedByServer() { return readToClose(socket, got).isEmpty(); }
};

QStringList list2(Program &p)
{
    return p.controller->log().list2().lines();
}

// The text CT_Monitor keeps for an outcome counter.
QString statolog(Program &p, int counter)
{
    QSqlQuery q(p.parts->campaign().db().handle());
    return q.exec(QStringLiteral("SELECT statolog FROM CT_Monitor WHERE Interno='%1'").arg(counter)) && q.next() ? q.value(0).toString()
                                                                                                              : QString();
}

bool list2Has(Program &p, const QString &text)
{
    return list2(p).join(QLatin1Char('\n')).contains(text);
}

} // namespace

class TestWebStatus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theAnswerByteForByte();
    void onlyRequestsNamingTheMonitorAreAnswered();
    void manyBrowsersAtOnce();
    void quietAndVanishingBrowsers();
    void statusFilesWhileTheMonitorIsOpen();
    void outcomeTotalsSurviveARestart();
    void totalsFollowTheDatabaseOnlyWhenNothingIsLost();
    void aFailingReadLeavesTheCountersAlone();
    void requestsInTurnLongOnesAndOtherAlphabets();
    void aPortInUseLeavesTheProgramRunning();
};

void TestWebStatus::theAnswerByteForByte()
{
    Program p("PortaWeb=0\r\nAutoCTMonitor=0\r\n");
    WebStatus &web = p.parts->web();
    QVERIFY(web.server().isListening());
    QVERIFY(!p.monitor().isOpen());
    Browser b(web.server().port());
    QVERIFY(b.connected());
    b.socket.write(kAsk);
    QByteArray all;
    QVERIFY(QTest::qWaitFor([&] {
        all += b.socket.readAll();
        return all.contains("</body></html>\r\n");
    }, 20000));
    const qsizetype headEnd = all.indexOf("\r\n\r\n") + 4;
    const QByteArray head = all.left(headEnd), body = all.mid(headEnd);
    QCOMPARE(head, "HTTP/1.0 200 Document follows\r\nContent-length: " + QByteArray::number(body.size())
                       + "\r\nContent-type: text/html; charset=windows-1252\r\nConnection: keep-alive\r\n\r\n");
    QVERIFY(body.startsWith("<html><head>\r\n<meta http-equiv=\"refresh\" content=\"60\"><title>Obel Ct-Monitor Quorin at  127.0.0.1</title>"));
    // The request opened the monitor and the PBX lines, as their menus would.
    QVERIFY(p.monitor().isOpen());
    QVERIFY(p.parts->pbx().isOpen());
    QVERIFY(list2Has(p, QStringLiteral("Connessione esterna richiesta")));
    QVERIFY(list2Has(p, QStringLiteral("rich.monitor da 127.0.0.1")));
}

void TestWebStatus::onlyRequestsNamingTheMonitorAreAnswered()
{
    Program p("PortaWeb=0\r\n");
    const quint16 port = p.parts->web().server().port();
    const QList<QByteArray> refused{"GET / HTTP/1.0\r\n\r\n", "GET /CT_MONITOR HTTP/1.0\r\n\r\n",
                                    "GET /favicon.ico HTTP/1.1\r\nHost: x\r\n\r\n"};
    for (const QByteArray &request : refused) {
        Browser b(port);
        QVERIFY(b.connected());
        b.socket.write(request);
        QVERIFY2(b.closedByServer(), request.constData());
    }
    QCOMPARE(list2(p).filter(QStringLiteral("rich.annullata")).size(), refused.size());
    // The word anywhere in the request will do (one in pieces: below).
    Browser header(port);
    QVERIFY(header.connected());
    header.socket.write("GET /status HTTP/1.0\r\nReferer: http://x/ct_monitor\r\n\r\n");
    QVERIFY(header.answer().contains("Stato Interni"));
}

void TestWebStatus::requestsInTurnLongOnesAndOtherAlphabets()
{
    Program p("PortaWeb=0\r\nAutoCTMonitor=1\r\n");
    telephony::ExtensionRecord r;
    r.number = 105;
    r.numberText = QStringLiteral("105");
    r.agent = QStringLiteral("77");
    r.description = QStringLiteral("Niccolò Citroën");
    r.logState = QStringLiteral("LOGGED_IN");
    p.monitor().table().applyExtension(r, QDateTime::currentDateTime());
    const quint16 port = p.parts->web().server().port();
    Browser b(port);
    QVERIFY(b.connected());
    b.socket.write(kAsk);
    const QByteArray first = b.answer();
    // Text beyond ASCII goes out in ANSI, one byte a character, counted as such.
    QVERIFY(first.contains("Niccol\xF2 Citro\xEBn"));
    // More answers in one write than may wait unsent: the browser reads,
    // so each request gets its answer, in turn, on the same connection.
    const int asks = int(2 * HttpStatusServer::kMaxPending / first.size()) + 2;
    b.socket.write(kAsk.repeated(asks));
    for (int i = 0; i < asks; ++i)
        QVERIFY2(b.answer().endsWith("</body></html>\r\n"), qPrintable(QString::number(i)));
    QCOMPARE(b.socket.state(), QAbstractSocket::ConnectedState);
    QCOMPARE(p.parts->web().server().unreadBytes(), 0);
    // A request far longer than the bound (cookies, say), so read in pieces,
    // is answered once and the connection stays good for the next.
    Browser big(port);
    QVERIFY(big.connected());
    big.socket.write("GET /ct_monitor HTTP/1.1\r\nCookie: " + QByteArray(20000, 'c') + "\r\n\r\n");
    QVERIFY(big.answer().contains("Stato PBX"));
    big.socket.write(kAsk);
    QVERIFY(big.answer().contains("Stato PBX"));
    QCOMPARE(big.socket.state(), QAbstractSocket::ConnectedState);
    // An answer on its way is not lost when the next request is refused.
    Browser mixed(port);
    QVERIFY(mixed.connected());
    mixed.socket.write(kAsk + "GET / HTTP/1.0\r\n\r\n");
    QVERIFY(mixed.answer().contains("Stato Interni"));
    QVERIFY(mixed.closedByServer());
}

void TestWebStatus::manyBrowsersAtOnce()
{
    Program p("PortaWeb=0\r\nAutoCTMonitor=1\r\n");
    HttpStatusServer &server = p.parts->web().server();
    std::vector<std::unique_ptr<Browser>> browsers;
    for (int i = 0; i < 40; ++i) {
        browsers.push_back(std::make_unique<Browser>(server.port()));
        QVERIFY(browsers.back()->connected());
        QTRY_COMPARE_WITH_TIMEOUT(server.connections(), std::min(i + 1, HttpStatusServer::kMaxConnections), 20000);
    }
    // The first eight made room for the last eight.
    for (int i = 0; i < 8; ++i)
        QVERIFY(browsers[size_t(i)]->closedByServer());
    for (int i = 8; i < 40; ++i)
        browsers[size_t(i)]->socket.write(kAsk);
    for (int i = 8; i < 40; ++i)
        QVERIFY2(browsers[size_t(i)]->answer().contains("Stato Interni"), qPrintable(QString::number(i)));
    QCOMPARE(server.connections(), HttpStatusServer::kMaxConnections);
}

void TestWebStatus::quietAndVanishingBrowsers()
{
    Program p("PortaWeb=0\r\nAutoCTMonitor=1\r\n");
    HttpStatusServer &server = p.parts->web().server();
    server.setIdleMs(300);
    Browser quiet(server.port());
    QVERIFY(quiet.connected());
    QVERIFY(quiet.closedByServer());
    // One that asks and goes at once, and one that never reads its answers.
    {
        Browser gone(server.port());
        QVERIFY(gone.connected());
        gone.socket.write(kAsk);
        gone.socket.flush();
        gone.socket.abort();
    }
    // One that never reads: answered until its answers pile up, then its
    // requests wait, and it is let go once it has read nothing for the idle time.
    server.setIdleMs(2000);
    Browser deaf(server.port());
    QVERIFY(deaf.connected());
    deaf.socket.setReadBufferSize(1);
    int asked = 0, served = 0;
    QObject::connect(&p.controller->log().list2(), &LogList::lineAdded, &deaf.socket, [&served](const QString &line) {
        served += line.contains(QStringLiteral("rich.monitor da"));
    });
    // (A client that does not read does not see the server's close either:
    // the server's own count tells.)
    while (server.connections() > 0 && asked < 2000) {
        const int before = served;
        deaf.socket.write(kAsk);
        ++asked;
        QVERIFY(QTest::qWaitFor([&] { return served > before || server.connections() == 0; }, 20000));
    }
    QCOMPARE(server.connections(), 0);
    QVERIFY(asked < 2000);
    QVERIFY(server.unreadBytes() > 0);
    QVERIFY(list2Has(p, QStringLiteral(": non legge, ")));
    // The server goes on.
    Browser next(server.port());
    QVERIFY(next.connected());
    next.socket.write(kAsk);
    QVERIFY(next.answer().contains("Stato Interni"));
}

void TestWebStatus::statusFilesWhileTheMonitorIsOpen()
{
    Program p("PortaWeb=0\r\n");
    const QString page = p.controller->files().webFile(QStringLiteral("default"));
    const QString users = p.controller->files().webFile(QStringLiteral("listautenti"));
    QDir().mkpath(QFileInfo(page).absolutePath());
    p.parts->web().writeStatusFiles();
    QVERIFY(!QFile::exists(page)); // the monitor is closed: nothing
    p.monitor().toggle();
    p.parts->web().writeStatusFiles();
    QVERIFY(readFile(page).startsWith("<html><head>"));
    QVERIFY(readFile(page).endsWith("</body></html>\r\n\r\n"));
    QVERIFY(readFile(users).contains("<th><b>Descrizione</b></th>"));
    // Replaced whole, never appended to.
    const qint64 size = QFileInfo(page).size();
    p.parts->web().writeStatusFiles();
    QVERIFY(std::abs(QFileInfo(page).size() - size) < 100);
}

void TestWebStatus::outcomeTotalsSurviveARestart()
{
    // A database as a previous run left it, with rows that are not sound counters.
    const auto previousRun = [](CampaignDb &db) {
        QString error;
        for (const char *row : {"('1', '1', 'non trov.', '17')", "('2', '2', 'x', 'abc')", "('13', '13', 'x', '5')",
                                "('5', '5', 'x', '-3')", "('7', '7', 'x', '4')"})
            QVERIFY2(db.execute(QStringLiteral("INSERT INTO CT_Monitor (Interno, ID_Agent, Descrizione, statolog) VALUES ")
                                    + QString::fromLatin1(row),
                                error)
                         >= 0,
                     qPrintable(error));
    };
    Program p("PortaWeb=0\r\n", previousRun);
    MainModel &m = p.controller->model();
    QCOMPARE(m.outcomes[1]->value(), 17);
    QCOMPARE(m.outcomes[7]->value(), 4);
    QCOMPARE(m.outcomes[2]->value(), 0); // not a number: skipped
    QCOMPARE(m.outcomes[5]->value(), 0); // negative: skipped
    // The first store keeps what was there and adds what this run counted.
    m.outcomes[3]->set(9);
    p.parts->web().storeOutcomeCounters();
    QCOMPARE(statolog(p, 1), QStringLiteral("17"));
    QCOMPARE(statolog(p, 3), QStringLiteral("9"));
    QCOMPARE(statolog(p, 11), QStringLiteral("0")); // every counter has its row now
    // A database that fails is said once, not every five seconds.
    QSqlQuery(p.parts->campaign().db().handle()).exec(QStringLiteral("DROP TABLE CT_Monitor"));
    for (int i = 0; i < 3; ++i)
        p.parts->web().storeOutcomeCounters();
    QCOMPARE(list2(p).filter(QStringLiteral("Contatori esiti non salvati in CT_Monitor")).size(), 1);
}

void TestWebStatus::totalsFollowTheDatabaseOnlyWhenNothingIsLost()
{
    Program p("PortaWeb=0\r\nAutoCTMonitor=1\r\n");
    MainModel &m = p.controller->model();
    WebStatus &web = p.parts->web();
    web.storeOutcomeCounters();
    // Another copy stores its count while this one's dialer link is down:
    // the page shows it.
    QSqlQuery(p.parts->campaign().db().handle()).exec(QStringLiteral("UPDATE CT_Monitor SET statolog='30' WHERE Interno='4'"));
    web.writeStatusFiles();
    QCOMPARE(m.outcomes[4]->value(), 30);
    // This one counted since it stored: its count is not thrown away.
    m.outcomes[4]->set(31);
    QSqlQuery(p.parts->campaign().db().handle()).exec(QStringLiteral("UPDATE CT_Monitor SET statolog='2' WHERE Interno='4'"));
    web.writeStatusFiles();
    QCOMPARE(m.outcomes[4]->value(), 31);
    web.storeOutcomeCounters();
    QCOMPARE(statolog(p, 4), QStringLiteral("31"));
}

void TestWebStatus::aFailingReadLeavesTheCountersAlone()
{
    // A database whose CT_Monitor cannot be read at all.
    const auto withoutTable = [](CampaignDb &db) {
        QString error;
        QVERIFY2(db.execute(QStringLiteral("DROP TABLE CT_Monitor"), error) >= 0, qPrintable(error));
    };
    Program p("PortaWeb=0\r\n", withoutTable);
    MainModel &m = p.controller->model();
    m.outcomes[2]->set(5);
    for (int i = 0; i < 3; ++i)
        p.parts->web().storeOutcomeCounters(); // never stored over totals not read
    QCOMPARE(m.outcomes[2]->value(), 5);
    QCOMPARE(list2(p).filter(QStringLiteral("Contatori esiti non letti da CT_Monitor")).size(), 1);
    QVERIFY(list2(p).filter(QStringLiteral("non salvati")).isEmpty());
}

void TestWebStatus::aPortInUseLeavesTheProgramRunning()
{
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::Any, 0));
    Program p("PortaWeb=" + QByteArray::number(taken.serverPort()) + "\r\n");
    QVERIFY(!p.parts->web().server().isListening());
    QCOMPARE(list2(p).filter(QStringLiteral("Server web non attivo: porta ") + QString::number(taken.serverPort())).size(), 1);
    QVERIFY(p.controller->timer1().isActive());
}

QTEST_MAIN(TestWebStatus)
#include "tst_webstatus.moc"
