// The status pages and reports, byte for byte, from scripted tables: cell
// colours and counters, the text that comes from the wire made safe, the
// external lines and their totals, the outcome rows and the plain-text
// blocks the watchdog sends.
#include <QtTest>

#include "../core/TestSupport.h"
#include "ct_monitor/ExtensionTable.h"
#include "pbx_lines/LineTable.h"
#include "web_status/StatusPage.h"

namespace {

telephony::ExtensionRecord record(int number, const QString &agent, const QString &log, const QString &action = QStringLiteral("FREE"),
                                  const QString &line = QStringLiteral("IDLE"), const QString &acd = QString())
{
    telephony::ExtensionRecord r;
    r.number = number;
    r.numberText = QString::number(number);
    r.agent = agent;
    r.description = QStringLiteral("Op ") + agent;
    r.logState = log;
    r.actionState = action;
    r.lineState = line;
    r.acdState = acd;
    return r;
}

struct Scene {
    ExtensionTable extensions;
    LineTable lines;
    statuspage::Inputs in{extensions, lines};

    Scene()
    {
        const char *captions[] = {"Esiti Rx", "non trov.", "segreter.", "Fax",       "nr.errato",  "abb.ring",
                                  "abb.risp.", "-> Oper.", "occupato",  "err.ricon.", "linee full", "-> pbx"};
        for (int i = 0; i < statuspage::kOutcomes; ++i) {
            in.outcomeCaptions[size_t(i)] = QString::fromLatin1(captions[i]);
            in.outcomes[size_t(i)] = QString::number(i * 10);
            in.percents[size_t(i)] = QString::number(i) + QLatin1Char('%');
        }
        in.now = QDateTime(QDate(2026, 12, 6), QTime(10, 11, 12));
        in.start = QDateTime(QDate(2026, 12, 6), QTime(8, 0, 0));
        in.version = QStringLiteral("1.0.0");
        in.peer = {QStringLiteral("10.0.0.5"), 8001, QStringLiteral("quorin"), QStringLiteral("10.0.0.9"), 50000,
                   QStringLiteral("10.0.0.9")};
    }
    void apply(const telephony::ExtensionRecord &r) { QVERIFY(extensions.applyExtension(r, in.now)); }
    QString tip(int extension) const { return extensions.row(extension)[ExtensionTable::Display]; }
};

QString cell(const QString &colour, const QString &tip, int number)
{
    const QString n = QString::number(number);
    return QStringLiteral("<td bgcolor=") + colour + QStringLiteral("> <a HREF=\"./ct_monitor\" onMouseOver=\"drc('") + tip
        + QStringLiteral("','") + n + QStringLiteral("'); return true;\" onMouseOut=\"nd(); return true;\">") + n
        + QStringLiteral("</a></td>");
}

const QString kSummaryHead = QStringLiteral("<table width=\"100%\" border=1><tr><th>oper.loggati</th><th>in pausa</th>"
                                            "<th>working</th><th>talking</th><th>ch.man</th></tr>");

QString summary(int logged, int paused, int working, int talking, int chMan)
{
    QString s = kSummaryHead + QStringLiteral("<tr>");
    for (int v : {logged, paused, working, talking, chMan})
        s += QStringLiteral("<td>") + QString::number(v) + QStringLiteral("</td>");
    return s + QStringLiteral("</tr></table>");
}

} // namespace

class TestStatusPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void extensionGridRowsAndSummary();
    void extensionCellsColoursAndCounters();
    void wireTextCannotBreakThePage();
    void agentListRows();
    void groupGridShowsEightGroups();
    void externalLinesAndTheirTotals();
    void outcomeAndServerBlocks();
    void scriptFilesAreIncludedWhole();
    void pagesInTheirOrder();
    void plainTextReports();
};

void TestStatusPage::extensionGridRowsAndSummary()
{
    Scene s;
    const QString head = QStringLiteral("<table border=1 width=\"100%\"><tr><th colspan=10>Stato Interni</th></tr>");
    s.in.extensionCount = 0;
    QCOMPARE(statuspage::statoQuorin(s.in), head + QStringLiteral("</table>") + summary(0, 0, 0, 0, 0));
    // Rows of ten, up to the table's 20 (and the heading's and the summary's rows).
    for (const auto &[count, rows] : std::initializer_list<std::pair<int, int>>{{10, 1}, {11, 2}, {100000, 20}, {-5, 0}}) {
        s.in.extensionCount = count;
        QCOMPARE(statuspage::statoQuorin(s.in).count(QStringLiteral("<tr>")), rows + 1 + 2);
    }
    s.in.extensionCount = 11; // the second row: entries 111 to 120 as plain numbers
    const QString page = statuspage::statoQuorin(s.in);
    QVERIFY(page.contains(QStringLiteral("<td>110</td></tr><tr><td>111</td>")));
    QVERIFY(page.contains(QStringLiteral("<td>120</td></tr></table>")));
}

void TestStatusPage::extensionCellsColoursAndCounters()
{
    Scene s;
    s.in.extensionCount = 10;
    s.apply(record(101, QStringLiteral("1"), QStringLiteral("PAUSED"), QStringLiteral("BUSY"), QStringLiteral("TALKING")));
    s.apply(record(102, QStringLiteral("2"), QStringLiteral("LOGGED_IN"), QStringLiteral("HANDSHAKE")));
    s.apply(record(103, QStringLiteral("3"), QStringLiteral("PAUSED")));
    s.apply(record(104, QStringLiteral("4"), QStringLiteral("WORKING"), QStringLiteral("FREE"), QStringLiteral("IDLE"),
                   QStringLiteral("ACD 0")));
    s.apply(record(105, QStringLiteral("5"), QStringLiteral("WORKAFTERC"), QStringLiteral("FREE"), QStringLiteral("IDLE"),
                   QStringLiteral("ACD 12")));
    s.apply(record(106, QStringLiteral("6"), QStringLiteral("LOGGED_IN"), QStringLiteral("FREE"), QStringLiteral("TALKING")));
    const QString page = statuspage::statoQuorin(s.in);
    QVERIFY(page.contains(cell(QStringLiteral("#00FFFF"), s.tip(101), 101))); // busy, whatever it is paused
    QVERIFY(page.contains(cell(QStringLiteral("#800080"), s.tip(102), 102)));
    QVERIFY(page.contains(cell(QStringLiteral("#FF0000"), s.tip(103), 103)));
    QVERIFY(page.contains(cell(QStringLiteral("#FFFF"), s.tip(104), 104))); // four digits, as the page always had
    QVERIFY(page.contains(cell(QStringLiteral("#008080"), s.tip(105), 105)));
    QVERIFY(page.contains(cell(QStringLiteral("#00FF00"), s.tip(106), 106)));
    QVERIFY(page.contains(QStringLiteral("<td>107</td>")));
    // 6 logged; 1 paused (101 counts as working); 4 working; 2 talking; ACD 12 only.
    QVERIFY(page.endsWith(summary(6, 1, 4, 2, 1)));
}

void TestStatusPage::wireTextCannotBreakThePage()
{
    Scene s;
    s.in.extensionCount = 10;
    telephony::ExtensionRecord r = record(101, QStringLiteral("<script>"), QStringLiteral("LOGGED_IN"));
    r.description = QStringLiteral("O'Neil \"Bob\" & <b>\\x</b>");
    s.apply(r);
    const QString page = statuspage::statoQuorin(s.in);
    QVERIFY(!page.contains(QStringLiteral("<script>")));
    QVERIFY(!page.contains(QStringLiteral("<b>")));
    QVERIFY(page.contains(QStringLiteral("(&lt;script&gt;) O Neil &quot;Bob&quot; &amp; &lt;b&gt; x&lt;/b&gt;")));
    QVERIFY(!statuspage::listaUtenti(s.in).contains(QStringLiteral("<script>")));
    s.in.groups = {{QStringLiteral("1 <i>Vendite</i>"), 1, 2, 3}};
    QVERIFY(statuspage::datiGruppi(s.in).contains(QStringLiteral("<td>1 &lt;i&gt;vendite&lt;/i&gt;</td>")));
}

void TestStatusPage::agentListRows()
{
    Scene s;
    s.in.extensionCount = 20;
    telephony::ExtensionRecord r = record(112, QStringLiteral("77"), QStringLiteral("PAUSED"), QStringLiteral("BUSY"),
                                          QStringLiteral("TALKING"), QStringLiteral("ACD 3"));
    r.loginTime = QStringLiteral("08:30:00");
    s.extensions.applyGroup({4, 0, QStringLiteral("Recupero"), 1, 0, 0});
    r.groups = {4};
    s.apply(r);
    s.extensions.setCells(112, {{ExtensionTable::LogoutTime, QStringLiteral("09:00:00")}});
    const QString rows = statuspage::listaUtenti(s.in);
    QVERIFY(rows.startsWith(QStringLiteral("    <thead><tr><th><b>Id</b></th><th><b>Descrizione</b></th><th><b>Int</b></th>"
                                           "<th><b>S.Log</b></th><th><b>S.Action</b></th><th><b>S.Linea</b></th>"
                                           "<th><b>S.Acd</b></th><th><b>Gruppi</b></th><th><b>Login</b></th>"
                                           "<th><b>Logout</b></th></tr></thead>")));
    // The group text from its tenth character: " Gruppo/i " loses its first nine.
    QVERIFY(rows.endsWith(QStringLiteral("<tr><td>77&nbsp;</td><td align=left>Op 77&nbsp;</td><td>112</td>"
                                         "<td>PAUSED&nbsp;</td><td>BUSY&nbsp;</td><td>TALKING&nbsp;</td><td>ACD 3&nbsp;</td>"
                                         "<td> [[4] Recupero]&nbsp;</td><td>08:30:00&nbsp;</td><td>09:00:00&nbsp;</td></tr>\r\n")));
    QCOMPARE(rows.count(QStringLiteral("<tr>")), 2);
}

void TestStatusPage::groupGridShowsEightGroups()
{
    Scene s;
    QCOMPARE(statuspage::datiGruppi(s.in), QStringLiteral("<table border=1 width=\"100%\"><tr><th>gruppo</th><th>logg.</th>"
                                                          "<th>liberi</th><th>tel.</th><th></th></tr></table><br>"));
    for (int g = 1; g <= 10; ++g)
        s.in.groups.append({QString::number(g) + QStringLiteral(" Gruppo"), g, g % 3, 0});
    const QString grid = statuspage::datiGruppi(s.in);
    QCOMPARE(grid.count(QStringLiteral("<tr>")), 1 + 8);
    QVERIFY(grid.contains(QStringLiteral("<tr><td>3 gruppo</td><td>3</td><td>0</td><td>0</td><td></td></tr>")));
    QVERIFY(!grid.contains(QStringLiteral("9 gruppo")));
}

void TestStatusPage::externalLinesAndTheirTotals()
{
    Scene s;
    s.lines.setState(401, 7);
    s.lines.setState(402, 5);
    s.lines.setState(403, 256);
    const QString page = statuspage::statoPbx(s.in);
    QVERIFY(page.startsWith(QStringLiteral("<table border=1 width=\"100%\"><tr><th colspan=10>Stato PBX</th></tr><tr>")));
    QVERIFY(page.contains(cell(QStringLiteral("#C0C0C0"), s.lines.row(401).tooltip, 401))); // 7: grey, and named
    QVERIFY(page.contains(cell(QStringLiteral("#FFFF00"), s.lines.row(402).tooltip, 402)));
    QVERIFY(page.contains(cell(QStringLiteral("#00FF00"), QString(), 404))); // unreported: 0
    QCOMPARE(page.count(QStringLiteral("<td bgcolor=")), 120);
    QVERIFY(page.contains(QStringLiteral("<td bgcolor=#00FF00> <a HREF=\"./ct_monitor\" onMouseOver=\"drc('','520')")));
    // Totals: states 0 to 96 by name; 256 is drawn but has no total row.
    QVERIFY(page.endsWith(QStringLiteral("</table><table border=1 width=\"100%\">"
                                         "<tr><th>libera per ricevere</th><td>117</td></tr>"
                                         "<tr><th>connessa con interna</th><td>1</td></tr>"
                                         "<tr><th>connessa in conference</th><td>1</td></tr></table>")));
    QCOMPARE(statuspage::lineColour(1500), QStringLiteral("#C0C0C0"));
    QCOMPARE(statuspage::lineColour(-3), QStringLiteral("#C0C0C0"));
}

void TestStatusPage::outcomeAndServerBlocks()
{
    Scene s;
    QCOMPARE(statuspage::esiti(s.in),
             QStringLiteral("<table border=1 width=\"100%\"><tr><th>non tro</th><th>segrete</th><th>fax</th><th>nr.erra</th>"
                            "<th>abb.rin</th><th>abb.ris</th><th>-> oper</th><th>occupat</th><th>err.ric</th><th>linee f</th>"
                            "<th>-> pbx</th></tr><tr><td>10</td><td>20</td><td>30</td><td>40</td><td>50</td><td>60</td>"
                            "<td>70</td><td>80</td><td>90</td><td>100</td><td>110</td></tr></table><br>"));
    const QString server = statuspage::datiServer(s.in);
    QVERIFY(server.startsWith(QStringLiteral("<table border=1 width=\"100%\"><tr><td valign=top>data e ora server : ")));
    QVERIFY(server.contains(QStringLiteral("<br>Inizio elaborazione : 06/12/2026 08:00:00<br>Vers.Prog 1.0.0</td><td valign=top>localPort 8001<br>localIp 10.0.0.5<br>"
                                           "localHostName quorin</td><td valign=top>RemotePort 50000<br>RemoteHostIp 10.0.0.9<br>"
                                           "RemoteHost 10.0.0.9</td></tr></table>\r\n")));
}

void TestStatusPage::scriptFilesAreIncludedWhole()
{
    QTemporaryDir dir;
    QCOMPARE(statuspage::js(dir.path(), QStringLiteral("none.js")), QString());
    writeFile(dir.path(), QStringLiteral("tiny.js"), "var a;\r\n"); // too little to be a script
    QCOMPARE(statuspage::js(dir.path(), QStringLiteral("tiny.js")), QString());
    const QByteArray body = "function drc(t, n) { document.title = t + n; }\r\nfunction nd() { document.title = ''; }\r\n";
    writeFile(dir.path(), QStringLiteral("tip.js"), body);
    const QString expected = QStringLiteral("<script LANGUAGE=\"JavaScript\">\r\n\r\nfunction drc(t, n) { document.title = t + n; }"
                                            "\r\nfunction nd() { document.title = ''; }\r\n</script>\r\n");
    QCOMPARE(statuspage::js(dir.path(), QStringLiteral("tip.js")), expected);
    // Lines ended by CR alone are lines all the same.
    QByteArray mac = body;
    mac.replace("\r\n", "\r");
    writeFile(dir.path(), QStringLiteral("mac.js"), mac);
    QCOMPARE(statuspage::js(dir.path(), QStringLiteral("mac.js")), expected);
    // Too large to be whole: left out rather than cut.
    writeFile(dir.path(), QStringLiteral("huge.js"), body + QByteArray(statuspage::kMaxScriptBytes, ' '));
    QCOMPARE(statuspage::js(dir.path(), QStringLiteral("huge.js")), QString());
    // In the page: the script element, then CR LF, as the page is put together.
    Scene s;
    s.in.scriptDir = dir.path();
    writeFile(dir.path(), QStringLiteral("snippets.js"), body);
    QVERIFY(statuspage::defaultPage(s.in).contains(QStringLiteral("</title>\r\n") + expected + QStringLiteral("\r\n<style>")));
}

void TestStatusPage::pagesInTheirOrder()
{
    Scene s;
    const QString page = statuspage::defaultPage(s.in);
    QVERIFY(page.startsWith(QStringLiteral("<html><head>\r\n<meta http-equiv=\"refresh\" content=\"60\">"
                                           "<title>Obel Ct-Monitor Quorin at  10.0.0.5</title>\r\n\r\n<style><!--\r\n")));
    QVERIFY(page.contains(QStringLiteral("</style>\r\n</head><body bgcolor=mediumblue link='#000000' vlink='#000000' "
                                         "alink='#000000' topmargin=0 leftmargin=0>\r\n<div ID=\"ToolTip\"")));
    const qsizetype interni = page.indexOf(QStringLiteral("Stato Interni")), gruppi = page.indexOf(QStringLiteral("<th>gruppo</th>")),
                    pbx = page.indexOf(QStringLiteral("Stato PBX")), esiti = page.indexOf(QStringLiteral("<th>non tro</th>")),
                    server = page.indexOf(QStringLiteral("data e ora server"));
    QVERIFY(interni > 0 && interni < gruppi && gruppi < pbx && pbx < esiti && esiti < server);
    QVERIFY(page.endsWith(QStringLiteral("</td></tr></table></body></html>\r\n")));
    const QString users = statuspage::listaUtentiPage(s.in);
    QVERIFY(users.contains(QStringLiteral("<title>Obel Ct-Monitor Quorin at  10.0.0.5 06/12/2026 10:11:12</title>")));
    QVERIFY(users.contains(QStringLiteral("<table border=1 cellspacing=1 cellpadding=2 bgcolor=#000080 bordercolor=#00FFFF "
                                          "bordercolordark=#000080>    <thead>")));
}

void TestStatusPage::plainTextReports()
{
    Scene s;
    for (int e = 101; e <= 190; ++e)
        s.apply(record(e, QString::number(e), e % 3 == 0 ? QStringLiteral("PAUSED") : e % 3 == 1 ? QStringLiteral("WORKING")
                                                                                             : QStringLiteral("LOGGED_IN")));
    // Extensions 101 to 180 only: 80 logged, 27 paused, 26 working.
    QCOMPARE(statuspage::simpleStatoQuorin(s.extensions),
             QStringLiteral("oper.log|in pausa|working |\r\n      80|      27|      26|"));

    s.in.outcomes[1] = QStringLiteral("12345678"); // eight digits in a seven-wide column
    s.in.percents[1] = QStringLiteral("45%");
    s.in.percents[2] = QString();
    const QStringList lines = statuspage::simpleEsiti(s.in).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("esiti r|non tro|segrete|fax|nr.erra|abb.rin|abb.ris|-> oper|occupat|err.ric|linee f|-> pbx|"));
    QVERIFY(lines[1].startsWith(QStringLiteral("      0|2345678|     20| 30|")));
    QVERIFY(lines[2].startsWith(QStringLiteral("%     0|%    45|%     0|% 3|")));
    for (const QString &l : lines)
        QCOMPARE(l.size(), lines[0].size());

    s.in.groups = {{QStringLiteral("1 Recupero"), 3, 1, 0}};
    QCOMPARE(statuspage::simpleDatiGruppi(s.in),
             QStringLiteral("         gruppo|          logg.|         liberi|           tel.|               |\r\n"
                            "     1 recupero|              3|              1|              0|               |\r\n"));

    // The watchdog's report: the ready line, then the three tables, each joined by CR LF.
    QCOMPARE(statuspage::watchdogReport(s.in), QStringLiteral("WD Ready on 10.0.0.5 06/12/2026 10:11:12\r\n") + statuspage::simpleEsiti(s.in)
                                                   + QStringLiteral("\r\n") + statuspage::simpleStatoQuorin(s.extensions)
                                                   + QStringLiteral("\r\n") + statuspage::simpleDatiGruppi(s.in));
}

QTEST_GUILESS_MAIN(TestStatusPage)
#include "tst_statuspage.moc"
