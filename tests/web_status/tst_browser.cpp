// The status page as a browser shows it: the program, fed by the telephony
// simulator, serves the page to headless Chromium, whose DOM must hold
// every extension's and line's cell in its state's colour, and whose
// picture must show those colours.
#include <QtTest>

#include "../support/Program.h"
#include "../support/StatusColours.h"
#include "telephony_sim/PbxSim.h"
#include "telephony_sim/TelephonySim.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

QString chromium()
{
    for (const char *name : {"chromium", "chromium-browser", "google-chrome"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

// Runs the browser to its end while the program keeps serving.
bool runBrowser(const QStringList &args, QByteArray &out)
{
    QProcess p;
    p.start(chromium(), args);
    if (!p.waitForStarted(30000))
        return false;
    QSignalSpy finished(&p, &QProcess::finished);
    if (!finished.wait(120000))
        return false;
    out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit;
}

} // namespace

class TestBrowser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void chromiumShowsTheLiveCallCentre();
};

void TestBrowser::chromiumShowsTheLiveCallCentre()
{
    if (chromium().isEmpty()) {
        if (qEnvironmentVariableIsSet("QUORIN_REQUIRE_BROWSER"))
            QFAIL("Chromium is not installed, and this run requires it");
        QSKIP("Chromium is not installed (scripts/setup.sh installs it)");
    }
    TelephonySim::Options o;
    o.extensions = 40;
    o.extensionRate = 60;
    o.seed = 5;
    TelephonySim sim(o);
    PbxSim::Options po;
    po.rate = 60;
    po.seed = 5;
    PbxSim pbxSim(po);
    QVERIFY(sim.listen() && pbxSim.listen());
    Program p("PortaWeb=0\r\nAutoCTMonitor=1\r\nAutoPBX=1\r\nPortaUDPServer=1\r\nPortaMonitor=" + QByteArray::number(sim.monitorPort())
              + "\r\nPortaOprSvr=" + QByteArray::number(sim.operatorPort()) + "\r\nPortaPBX=" + QByteArray::number(pbxSim.port())
              + "\r\n");
    CtMonitor &ct = p.monitor();
    // The page scripts an installation has beside the program.
    const QDir scripts(p.dir.filePath(QStringLiteral("js")));
    QVERIFY(QDir().mkpath(scripts.path()));
    for (const char *script : {"tooltip.js", "snippets.js"})
        QVERIFY(QFile::copy(QStringLiteral(QUORIN_SOURCE_DIR "/scripts/demo/js/") + QString::fromLatin1(script),
                            scripts.filePath(QString::fromLatin1(script))));
    QTRY_VERIFY_WITH_TIMEOUT(sim.monitorConnected() && pbxSim.connected(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(sim.stats().extensionRecords > 100, 20000);
    sim.stop();
    pbxSim.stop();
    // An accented name, as Italian names are, logged in over the wire: the
    // page must say its code page, or a browser guesses one (windows-1257
    // made "Niccolò" "Niccolņ").
    QTRY_VERIFY_WITH_TIMEOUT(ct.operatorLink().isConnected(), 20000);
    QSignalSpy applied(&sim, &TelephonySim::commandApplied);
    QVERIFY(ct.commands().opCommand(1, 101, QStringLiteral("77 Niccolò")));
    QVERIFY(applied.wait(20000));
    QCOMPARE(sim.extensions().value(101).description, QStringLiteral("Operatore 77 Niccolò"));
    sim.resend();
    pbxSim.resend();
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(sim.extensions().cbegin(), sim.extensions().cend(),
                                         [&ct](const simbytes::Extension &e) {
                                             return ct.table().row(e.number)[ExtensionTable::LogState] == e.logState
                                                 && ct.table().row(e.number)[ExtensionTable::ActionState] == e.actionState
                                                 && ct.table().row(e.number)[ExtensionTable::Agent] == e.agent;
                                         }),
                             20000);
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(pbxSim.lineStates().keyValueBegin(), pbxSim.lineStates().keyValueEnd(),
                                         [&p](const auto &kv) {
                                             return p.parts->pbx().table().row(kv.first).state == QString::number(kv.second);
                                         }),
                             20000);

    QTemporaryDir profile;
    const QString url = QStringLiteral("http://127.0.0.1:") + QString::number(p.parts->web().server().port())
        + QStringLiteral("/ct_monitor");
    const QStringList common{QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                             QStringLiteral("--no-first-run"), QStringLiteral("--user-data-dir=") + profile.path()};
    QByteArray dom;
    QVERIFY(runBrowser(common + QStringList{QStringLiteral("--dump-dom"), url}, dom));
    const QString page = QString::fromUtf8(dom);
    QVERIFY2(page.contains(QStringLiteral("Operatore 77 Niccolò")), qPrintable(page.mid(page.indexOf(QStringLiteral("Operatore 77")), 24)));

    // Every cell as the browser parsed it: its colour and the number it shows.
    QMap<int, QString> cells;
    const QRegularExpression cell(QStringLiteral("<td(?: bgcolor=\"([^\"]*)\")?>\\s*(?:<a [^>]*>)?(\\d+)(?:</a>)?</td>"),
                                  QRegularExpression::CaseInsensitiveOption);
    for (auto it = cell.globalMatch(page); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        cells[m.captured(2).toInt()] = m.captured(1).toUpper();
    }
    QSet<QString> shown;
    for (const simbytes::Extension &e : sim.extensions()) {
        QVERIFY2(cells.contains(e.number), qPrintable(QString::number(e.number)));
        QCOMPARE(cells.value(e.number), pageColour(e));
        if (!pageColour(e).isEmpty())
            shown.insert(pageColour(e));
    }
    for (auto it = pbxSim.lineStates().cbegin(); it != pbxSim.lineStates().cend(); ++it) {
        if (it.key() <= 520) // the page shows lines 401 to 520
            QCOMPARE(cells.value(it.key()), lineColour(it.value()));
    }
    QVERIFY(page.contains(QStringLiteral("Stato Interni")));
    // The scripts were included and ran: the title tells when the page was loaded.
    QVERIFY(page.contains(QStringLiteral("function drc(")));
    QVERIFY(QRegularExpression(QStringLiteral("<title>[^<]* - aggiornato alle [^<]+</title>")).match(page).hasMatch());
    QVERIFY(page.contains(QStringLiteral("oper.loggati")));
    QVERIFY(shown.size() >= 3);

    // The picture: each colour the extension cells carry is on screen.
    const QString shot = profile.filePath(QStringLiteral("status.png"));
    QByteArray ignored;
    QVERIFY(runBrowser(common + QStringList{QStringLiteral("--screenshot=") + shot, QStringLiteral("--window-size=1600,1200"), url},
                       ignored));
    const QImage image(shot);
    QVERIFY(!image.isNull());
    QMap<QRgb, int> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ++pixels[image.pixel(x, y) & 0xFFFFFF];
    }
    for (const QString &colour : std::as_const(shown))
        QVERIFY2(pixels.value(drawn(colour).rgb() & 0xFFFFFF) > 50, qPrintable(colour));
    if (const QByteArray keep = qgetenv("QUORIN_SCREENSHOT"); !keep.isEmpty()) {
        QFile::remove(QString::fromLocal8Bit(keep));
        QFile::copy(shot, QString::fromLocal8Bit(keep));
    }
}

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
