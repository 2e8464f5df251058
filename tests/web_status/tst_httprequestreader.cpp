// The status page's request reader without a socket: requests in turn,
// the first empty line of either kind ends one, a long one is judged on its
// first 8 KB and its rest skipped, and the reader never holds more.
#include <QtTest>

#include "web_status/HttpRequestReader.h"

namespace {

constexpr qsizetype kMax = HttpRequestReader::kMaxRequest;

// Everything in `bytes`, each read as large as the socket would give
// (`most`) and the reader takes.
QList<QByteArray> readAll(const QByteArray &bytes, qsizetype most, qsizetype *peak = nullptr)
{
    HttpRequestReader reader;
    QList<QByteArray> out;
    qsizetype at = 0;
    for (;;) {
        const QByteArray chunk = bytes.mid(at, std::min(most, reader.room()));
        at += chunk.size();
        reader.append(chunk);
        if (peak)
            *peak = std::max(*peak, reader.held());
        if (const auto r = reader.next()) {
            out.append(*r);
            continue;
        }
        if (at >= bytes.size())
            return out;
    }
}

} // namespace

class TestHttpRequestReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void requestsInTurnWhateverTheReads_data();
    void requestsInTurnWhateverTheReads();
    void aLongRequestIsCutAndItsRestSkipped();
};

void TestHttpRequestReader::requestsInTurnWhateverTheReads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("requests");
    QTest::newRow("two pipelined") << QByteArray("GET /a HTTP/1.1\r\nHost: x\r\n\r\nGET /ct_monitor HTTP/1.1\r\n\r\n")
                                   << QList<QByteArray>{"GET /a HTTP/1.1\r\nHost: x\r\n\r\n", "GET /ct_monitor HTTP/1.1\r\n\r\n"};
    QTest::newRow("bare line feeds") << QByteArray("GET /ct_monitor\n\nrest") << QList<QByteArray>{"GET /ct_monitor\n\n"};
    QTest::newRow("the earlier end wins") << QByteArray("A\n\nB\r\n\r\n") << QList<QByteArray>{"A\n\n", "B\r\n\r\n"};
    QTest::newRow("CR LF LF is a bare empty line") << QByteArray("A\r\n\nB") << QList<QByteArray>{"A\r\n\n"};
    QTest::newRow("nothing whole") << QByteArray("GET /ct_monitor HTTP/1.1\r\n") << QList<QByteArray>{};
}

void TestHttpRequestReader::requestsInTurnWhateverTheReads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, requests);
    for (const qsizetype most : {qsizetype(1), qsizetype(3), kMax + 1})
        QCOMPARE(readAll(bytes, most), requests);
}

void TestHttpRequestReader::aLongRequestIsCutAndItsRestSkipped()
{
    const QByteArray head = "GET /ct_monitor HTTP/1.1\r\nCookie: ";
    const QByteArray longOne = head + QByteArray(3 * kMax, 'c') + "\r\n\r\n";
    const QByteArray next = "GET /other HTTP/1.1\r\n\r\n";
    for (const qsizetype most : {qsizetype(1), qsizetype(2), qsizetype(1000), kMax + 1}) {
        qsizetype peak = 0;
        const QList<QByteArray> got = readAll(longOne + next, most, &peak);
        QCOMPARE(got.size(), 2);
        QCOMPARE(got[0], (longOne.left(kMax + 1)));
        QCOMPARE(got[1], next); // the empty line ending the long one, even split across reads, is found
        QVERIFY(peak <= kMax + 1);
    }
    // Exactly at the bound it is still a whole request.
    const QByteArray atBound = head + QByteArray(kMax - head.size() - 4, 'c') + "\r\n\r\n";
    QCOMPARE(readAll(atBound + next, kMax + 1), (QList<QByteArray>{atBound, next}));
}

QTEST_GUILESS_MAIN(TestHttpRequestReader)
#include "tst_httprequestreader.moc"
