// PingRete over the main window's model: the label's texts and colours.
#include <QtTest>

#include "auxiliary/PingService.h"
#include "core/MainModel.h"

using platform::Pinger;

class TestPing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statusTextsAreThirtyCharacters();
    void aPingPaintsTheLabel();
};

void TestPing::statusTextsAreThirtyCharacters()
{
    // Padded with blanks up to 30.
    QCOMPARE(PingService::statusText(11010), QStringLiteral("11010   [ ip req timed out ]  "));
    QCOMPARE(PingService::statusText(0), QStringLiteral("0   [ ip success ]            "));
    // Cut at 30: the bad-address text loses its end and its bracket.
    QCOMPARE(PingService::statusText(-1), QStringLiteral("-1   [ inet_addr: bad IP forma"));
    // Codes of nobody's.
    QCOMPARE(PingService::statusText(42), QStringLiteral("42   [ unknown  msg returned ]"));
    QCOMPARE(PingService::statusText(11024), QStringLiteral("11024   [ unknown  msg returne"));
    QCOMPARE(PingService::statusText(Pinger::kNotPermitted), QStringLiteral("-2   [ ping not permitted ]   "));
    for (int code : {-2, -1, 0, 1200, 11001, 11013, 11050, 11255, 99999, -2147483647 - 1})
        QCOMPARE(PingService::statusText(code).size(), 30);
}

void TestPing::aPingPaintsTheLabel()
{
    MainModel model;
    PingService ping(model);
    model.serverIp.setText(QStringLiteral("127.0.0.1"));
    QSignalSpy done(&ping, &PingService::done);
    QStringList colours;
    connect(&model.pingBackground, &TextValue::textChanged, this, [&colours](const QString &c) { colours << c; });
    ping.startPing();
    // Light cyan while it runs; the event loop is not held.
    QCOMPARE(colours, QStringList{PingService::kRunning});
    QVERIFY(ping.pinger().busy());
    ping.startPing(); // a second click while one runs asks nothing more
    QVERIFY(done.wait(20000));
    QCOMPARE(done.size(), 1);
    const int status = done.first().first().toInt();
    const QString text = model.pingResult.text();
    if (status == Pinger::kSuccess) {
        QVERIFY2(text.startsWith(QStringLiteral("127.0.0.1 0   [ ip success ]             ")), qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral(" ms 14 bytes")), qPrintable(text));
        QCOMPARE(colours.last(), PingService::kAnswered);
    } else {
        QCOMPARE(status, Pinger::kNotPermitted);
        QCOMPARE(text, QStringLiteral("127.0.0.1 -2   [ ping not permitted ]    0 ms 0 bytes"));
        QCOMPARE(colours.last(), PingService::kFailed);
    }
    QCOMPARE(colours.size(), 2);

    // A name is refused (its text and colour: tst_headless). The address is
    // taken at the click: typing meanwhile does not change what is shown.
    model.serverIp.setText(QStringLiteral("tormix"));
    ping.startPing();
    QVERIFY(done.wait(20000));
    QCOMPARE(done.last().first().toInt(), Pinger::kBadAddress);
    model.serverIp.setText(QStringLiteral("127.0.0.1"));
    ping.startPing();
    model.serverIp.setText(QStringLiteral("elsewhere"));
    QVERIFY(done.wait(20000));
    QVERIFY(model.pingResult.text().startsWith(QStringLiteral("127.0.0.1 ")));
}

QTEST_GUILESS_MAIN(TestPing)
#include "tst_ping.moc"
