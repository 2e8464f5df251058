// The metrics port: what a request asks for, and answers over loopback.
#include <QtTest>

#include "../support/Loopback.h"
#include "web_status/MetricsServer.h"

using Kind = MetricsServer::Request::Kind;

namespace {

// Sends `request` and reads until the server closes.
QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(20000))
        return "no connection";
    s.write(request);
    return readToClose(s);
}

} // namespace

class TestMetricsServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void requestsByPathAndQuery();
    void answersOverLoopback();
    void boundsHold();
    void diagnosesAnsweredWhenReady();
};

void TestMetricsServer::requestsByPathAndQuery()
{
    QCOMPARE(MetricsServer::parse("GET /metrics HTTP/1.1\r\nHost: x").kind, Kind::Metrics);
    QCOMPARE(MetricsServer::parse("GET /metrics?x=1 HTTP/1.0").kind, Kind::Metrics);
    QCOMPARE(MetricsServer::parse("HEAD /metrics HTTP/1.0").kind, Kind::Metrics);
    QCOMPARE(MetricsServer::parse("GET / HTTP/1.0").kind, Kind::Index);
    QCOMPARE(MetricsServer::parse("GET /metricsx HTTP/1.0").kind, Kind::NotFound);
    QCOMPARE(MetricsServer::parse("POST /metrics HTTP/1.0").kind, Kind::BadMethod);
    QCOMPARE(MetricsServer::parse("GET /metrics").kind, Kind::Malformed);
    QCOMPARE(MetricsServer::parse("GET metrics HTTP/1.0").kind, Kind::Malformed);
    QCOMPARE(MetricsServer::parse("").kind, Kind::Malformed);
    QCOMPARE(MetricsServer::parse("\r\n\r\n").kind, Kind::Malformed);

    MetricsServer::Request r = MetricsServer::parse("GET /diagnosi?gruppo=12 HTTP/1.1");
    QCOMPARE(r.kind, Kind::Diagnosis);
    QVERIFY(!r.byOperator);
    QCOMPARE(r.who, QStringLiteral("12"));
    // Percent-encoded codes arrive decoded, blanks trimmed.
    r = MetricsServer::parse("GET /diagnosi?operatore=%20AB%27C%C3%A8%20 HTTP/1.1");
    QCOMPARE(r.kind, Kind::Diagnosis);
    QVERIFY(r.byOperator);
    QCOMPARE(r.who, QStringLiteral("AB'C\u00E8"));
    QCOMPARE(MetricsServer::parse("GET /diagnosi HTTP/1.1").kind, Kind::NotFound);
    QCOMPARE(MetricsServer::parse("GET /diagnosi?gruppo= HTTP/1.1").kind, Kind::NotFound);
}

void TestMetricsServer::answersOverLoopback()
{
    int pages = 0;
    MetricsServer server({[&pages] {
                              ++pages;
                              return QByteArray("quorin_up 1\n");
                          },
                          {}});
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port = server.port();
    QCOMPARE(exchange(port, "GET /metrics HTTP/1.1\r\nHost: localhost\r\n\r\n"),
             QByteArray("HTTP/1.0 200 OK\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\nContent-Length: 12\r\n"
                        "Connection: close\r\n\r\nquorin_up 1\n"));
    QCOMPARE(pages, 1);
    QVERIFY(exchange(port, "GET /nothing HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 404 Not Found\r\n"));
    QVERIFY(exchange(port, "DELETE /metrics HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 405 "));
    QVERIFY(exchange(port, "nonsense\r\n\r\n").startsWith("HTTP/1.0 400 "));
    // HEAD: the headers alone.
    const QByteArray head = exchange(port, "HEAD /metrics HTTP/1.0\r\n\r\n");
    QVERIFY(head.endsWith("Connection: close\r\n\r\n"));
    QVERIFY(QTest::qWaitFor([&] { return server.connections() == 0; }, 20000));
}

void TestMetricsServer::boundsHold()
{
    MetricsServer server({[] { return QByteArray("x 1\n"); }, {}});
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    // A request that never ends is refused at its bound.
    const QByteArray endless = "GET /metrics HTTP/1.0\r\nX: " + QByteArray(MetricsServer::kMaxRequest, 'a');
    QVERIFY(exchange(server.port(), endless).startsWith("HTTP/1.0 400 "));
    // One just inside it is answered.
    const QByteArray full = "GET /metrics HTTP/1.0\r\nX: ";
    QVERIFY(exchange(server.port(), full + QByteArray(MetricsServer::kMaxRequest - full.size() - 4, 'a') + "\r\n\r\n")
                .endsWith("x 1\n"));
    // Connections that say nothing: the seventeenth is turned away at once.
    std::vector<std::unique_ptr<QTcpSocket>> quiet;
    for (int i = 0; i < MetricsServer::kMaxConnections; ++i) {
        quiet.push_back(std::make_unique<QTcpSocket>());
        quiet.back()->connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(quiet.back()->waitForConnected(20000));
    }
    QVERIFY(QTest::qWaitFor([&] { return server.connections() == MetricsServer::kMaxConnections; }, 20000));
    QTcpSocket extra;
    extra.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(extra.waitForConnected(20000));
    QVERIFY(QTest::qWaitFor([&] { return extra.state() == QAbstractSocket::UnconnectedState; }, 20000));
    QCOMPARE(server.connections(), MetricsServer::kMaxConnections);
    // Once they go, there is room again.
    quiet.clear();
    QVERIFY(QTest::qWaitFor([&] { return server.connections() == 0; }, 20000));
    QVERIFY(exchange(server.port(), "GET /metrics HTTP/1.0\r\n\r\n").endsWith("x 1\n"));
    server.close();
    QVERIFY(!server.isListening());
}

void TestMetricsServer::diagnosesAnsweredWhenReady()
{
    // The lines come later, from elsewhere: the server keeps serving meanwhile.
    QList<MetricsServer::Lines> pending;
    QStringList asked;
    bool busy = false;
    MetricsServer server({[] { return QByteArray("x 1\n"); },
                          [&](bool byOperator, const QString &who, const MetricsServer::Lines &answer) {
                              asked << (byOperator ? QStringLiteral("operatore ") : QStringLiteral("gruppo ")) + who;
                              if (busy)
                                  return false;
                              pending.append(answer);
                              return true;
                          }});
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    QTcpSocket waiting, leaving;
    for (QTcpSocket *s : {&waiting, &leaving}) {
        s->connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(s->waitForConnected(20000));
        // In pieces, with bare LF line ends.
        s->write("GET /diagnosi?gruppo=3 HT");
        QVERIFY(s->waitForBytesWritten(20000));
        s->write("TP/1.0\n\n");
    }
    QTRY_COMPARE_WITH_TIMEOUT(pending.size(), 2, 20000);
    QVERIFY(exchange(server.port(), "GET /metrics HTTP/1.0\r\n\r\n").endsWith("x 1\n"));
    leaving.abort(); // gone before its lines: they go nowhere
    QTRY_COMPARE_WITH_TIMEOUT(server.connections(), 1, 20000);
    for (const MetricsServer::Lines &answer : std::as_const(pending))
        answer({QStringLiteral("Gruppo 3"), QStringLiteral("clienti 0")});
    const QByteArray got = readToClose(waiting);
    QVERIFY(got.startsWith("HTTP/1.0 200 OK\r\n"));
    QVERIFY(got.endsWith("\r\n\r\nGruppo 3\nclienti 0\n"));
    // Too many waiting: refused at once, to be asked again.
    busy = true;
    QVERIFY(exchange(server.port(), "GET /diagnosi?operatore=AB HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 503 Service Unavailable\r\n"));
    QCOMPARE(asked, (QStringList{QStringLiteral("gruppo 3"), QStringLiteral("gruppo 3"), QStringLiteral("operatore AB")}));
}

QTEST_GUILESS_MAIN(TestMetricsServer)
#include "tst_metricsserver.moc"
