// The status page as a browser shows it: the program serves the page to
// headless Chromium, which must read its code page, run its scripts and show
// its extensions' colours on screen.
#include <QtTest>

#include "../support/Program.h"
#include "../support/StatusColours.h"

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
    void chromiumShowsTheCallCentre();
};

void TestBrowser::chromiumShowsTheCallCentre()
{
    if (chromium().isEmpty()) {
        if (qEnvironmentVariableIsSet("QUORIN_REQUIRE_BROWSER"))
            QFAIL("Chromium is not installed, and this run requires it");
        QSKIP("Chromium is not installed (scripts/setup.sh installs it)");
    }
    Program p("PortaWeb=0\r\nAutoCTMonitor=1\r\n");
    // The page scripts an installation has beside the program.
    const QDir scripts(p.dir.filePath(QStringLiteral("js")));
    QVERIFY(QDir().mkpath(scripts.path()));
    for (const char *script : {"tooltip.js", "snippets.js"})
        QVERIFY(QFile::copy(QStringLiteral(QUORIN_SOURCE_DIR "/scripts/demo/js/") + QString::fromLatin1(script),
                            scripts.filePath(QString::fromLatin1(script))));
    // An extension in each state the page colours (which colour for which
    // state: tst_statuspage; states as the telephony server sends them:
    // tst_monitorwindows). Names are accented, as Italian names are: the page
    // must say its code page, or a browser guesses one (windows-1257 made
    // "Niccolò" "Niccolņ").
    const QList<std::pair<const char *, const char *>> states{{"LOGGED_IN", "FREE"},  {"PAUSED", "FREE"},   {"WORKING", "FREE"},
                                                               {"WORKAFTERC", "FREE"}, {"PAUSED", "BUSY"}, {"LOGGED_IN", "HANDSHAKE"}};
    QSet<QString> shown;
    for (qsizetype i = 0; i < states.size(); ++i) {
        simbytes::Extension e;
        e.number = 101 + int(i);
        e.agent = QString::number(77 + i);
        e.logState = QString::fromLatin1(states[i].first);
        e.actionState = QString::fromLatin1(states[i].second);
        telephony::ExtensionRecord r;
        r.number = e.number;
        r.numberText = QString::number(e.number);
        r.agent = e.agent;
        r.description = QStringLiteral("Operatore ") + e.agent + QStringLiteral(" Niccolò");
        r.logState = e.logState;
        r.actionState = e.actionState;
        QVERIFY(p.monitor().table().applyExtension(r, QDateTime::currentDateTime()));
        shown.insert(pageColour(e));
    }

    QTemporaryDir profile;
    const QString url = QStringLiteral("http://127.0.0.1:") + QString::number(p.parts->web().server().port())
        + QStringLiteral("/ct_monitor");
    const QStringList common{QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                             QStringLiteral("--no-first-run"), QStringLiteral("--user-data-dir=") + profile.path()};
    QByteArray dom;
    QVERIFY(runBrowser(common + QStringList{QStringLiteral("--dump-dom"), url}, dom));
    const QString page = QString::fromUtf8(dom);
    QVERIFY2(page.contains(QStringLiteral("Operatore 77 Niccolò")), qPrintable(page.mid(page.indexOf(QStringLiteral("Operatore 77")), 24)));

    // The scripts ran (how they are included: tst_statuspage): the title tells when the page was loaded.
    QVERIFY(QRegularExpression(QStringLiteral("<title>[^<]* - aggiornato alle [^<]+</title>")).match(page).hasMatch());

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
}

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
