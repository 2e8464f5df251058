// Operating parameters, the gradient band and the pop-up notice.
#include <QtTest>

#include "../core/TestSupport.h"
#include "auxiliary/PopupNotice.h"
#include "core/GradientBands.h"
#include "core/IniFile.h"
#include "core/OperatingParameters.h"
#include "core/Settings.h"

using namespace gradientbands;

class TestAuxiliary : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bandsCoverTheHeightFromBottomUp();
    void bandColoursRunFromStartToEnd();
    void parametersSaveAsTyped();
    void popupClosesByItselfOnEscOrCloseEvent();
};

void TestAuxiliary::bandsCoverTheHeightFromBottomUp()
{
    const auto small = compute(100);
    QCOMPARE(small.size(), 100);
    QCOMPARE(small.first().top, 99);
    QCOMPARE(small.first().height, 1);
    QCOMPARE(small.last().top, 0);

    const auto tall = compute(510);
    QCOMPARE(tall.size(), 255);
    for (const Band &b : tall)
        QCOMPARE(b.height, 2);

    // 600 pixels: bands of 2, the topmost one cut at the edge.
    const auto odd = compute(601);
    int covered = 0;
    for (const Band &b : odd)
        covered += b.height;
    QCOMPARE(covered, 601);
    QCOMPARE(odd.last().top, 0);
    QVERIFY(compute(0).isEmpty());
}

void TestAuxiliary::bandColoursRunFromStartToEnd()
{
    const auto bands = compute(256, Rgb{0, 0, 255}, Rgb{0, 0, 128});
    QCOMPARE(bands.first().colour, (Rgb{0, 0, 255}));
    // Halfway up the colour is halfway between; the top band is the end colour
    // to within one step of the 127 levels spread over 256 bands.
    QVERIFY(std::abs(bands[128].colour.blue - 192) <= 1);
    QVERIFY(bands.last().colour.blue - 128 <= 1);
    for (qsizetype i = 1; i < bands.size(); ++i)
        QVERIFY(bands[i].colour.blue <= bands[i - 1].colour.blue);
    const auto warm = compute(10, Rgb{200, 0, 0}, Rgb{0, 100, 0});
    QCOMPARE(warm[5].colour, (Rgb{100, 50, 0}));
}

void TestAuxiliary::parametersSaveAsTyped()
{
    QTemporaryDir dir;
    FileLocations files(platform::AppPaths{dir.path(), dir.path(), dir.path()});
    writeFile(dir.path(), QStringLiteral("conn_quorin.ini"), "[Settings]\r\nintervallo=5\r\nServerIp=h\r\n");
    Settings settings;
    settings.intervallo = 5;
    OperatingParameters params(files, settings);
    QCOMPARE(params.currentTexts(), (std::array<QString, 3>{QStringLiteral("10"), QStringLiteral("30"), QStringLiteral("5")}));
    params.save({QStringLiteral("abc"), QStringLiteral("45"), QStringLiteral("15")});
    QCOMPARE(settings.limiteEsitiNegativi, 0);
    QCOMPARE(settings.spostaNonTrovati, 45);
    QCOMPARE(settings.intervallo, 15);
    const QString ini = files.settingsFile();
    QCOMPARE(inifile::leggiIni(ini, kSettingsSection, QStringLiteral("LimiteEsitiNegativiTollerati")), QStringLiteral("abc"));
    // "Intervallo" replaces the "intervallo" the file had.
    QCOMPARE(readFile(ini), QByteArray("[Settings]\r\nIntervallo=15\r\nServerIp=h\r\nLimiteEsitiNegativiTollerati=abc\r\n"
                                       "SpostaNonTrovati=45\r\n"));
}

void TestAuxiliary::popupClosesByItselfOnEscOrCloseEvent()
{
    PopupNotice notice(50);
    QSignalSpy closed(&notice, &PopupNotice::closed);
    notice.show(QStringLiteral("Operatore 101 in pausa"));
    QVERIFY(notice.isOpen());
    QCOMPARE(notice.text(), QStringLiteral("Operatore 101 in pausa"));
    QVERIFY(closed.wait(5000));
    QVERIFY(!notice.isOpen());
    QCOMPARE(closed.count(), 1);
    PopupNotice held; // the default time: it stays until closed
    QSignalSpy heldClosed(&held, &PopupNotice::closed);
    held.show(QStringLiteral("a"));
    held.controlEvent(4);
    QVERIFY(held.isOpen());
    held.controlEvent(5);
    QVERIFY(!held.isOpen());
    held.show(QStringLiteral("b"));
    held.escapePressed();
    QVERIFY(!held.isOpen());
    held.escapePressed(); // closing twice reports once
    QCOMPARE(heldClosed.count(), 2);
}

QTEST_GUILESS_MAIN(TestAuxiliary)
#include "tst_auxiliary.moc"
