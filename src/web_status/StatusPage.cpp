#include "web_status/StatusPage.h"

#include "core/TextFormats.h"
#include "ct_monitor/ExtensionTable.h"
#include "pbx_lines/LineTable.h"
#include "wire/AnsiCodec.h"

#include <QDir>
#include <QFile>

namespace statuspage {
namespace {

const QString kCrlf = QStringLiteral("\r\n");
using T = ExtensionTable;

QString n(qint64 v)
{
    return QString::number(v);
}

// w blanks and the value, the last w characters kept.
QString right(const QString &value, int w)
{
    return (QString(std::max(0, w), QLatin1Char(' ')) + value).right(std::max(0, w));
}

const T::Row &entry(const Inputs &in, int k)
{
    return in.extensions.row(k + 100);
}

// Inside the script call of a link: quotes and line ends would end the
// string early, so apostrophes (as always), backslashes and line ends
// become blanks; then the HTML escapes.
QString scriptText(const QString &text)
{
    QString t = text;
    for (QChar &c : t) {
        if (c == QLatin1Char('\'') || c == QLatin1Char('\\') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return escaped(t);
}

QString link(const QString &tip, const QString &number)
{
    return QStringLiteral("<a HREF=\"./ct_monitor\" onMouseOver=\"drc('") + tip + QStringLiteral("','") + number
        + QStringLiteral("'); return true;\" onMouseOut=\"nd(); return true;\">") + number + QStringLiteral("</a>");
}

QString head()
{
    return QStringLiteral("<html><head>") + kCrlf + QStringLiteral("<meta http-equiv=\"refresh\" content=\"60\">")
        + QStringLiteral("<title>Obel Ct-Monitor Quorin at  ");
}

const QString kBody = QStringLiteral(
    "</head><body bgcolor=mediumblue link='#000000' vlink='#000000' alink='#000000' topmargin=0 leftmargin=0>");

} // namespace

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString stileToolTip()
{
    return QStringLiteral("<style><!--") + kCrlf
        + QStringLiteral("#PCL{FONT-FAMILY: Arial, Verdana, Helvetica;FONT-SIZE: 8pt;FONT-WEIGHT: normal;Text -DECORATION: none}")
        + kCrlf + QStringLiteral("#PTT{FONT-FAMILY: Arial, Verdana, Helvetica;FONT-SIZE: 8pt}") + kCrlf
        + QStringLiteral("#PST{FONT-FAMILY: Arial, Verdana, Helvetica;FONT-SIZE: 8pt}") + kCrlf
        + QStringLiteral("table        { font-family: Verdana; color: #FFFFFF; font-size: 10 pt  }"
                         "th           { background-color: #00FFFF; color: #000000 }"
                         "td           { text-align: center }"
                         "a:hover      { color: #FF0000 }")
        + QStringLiteral("-->") + kCrlf + QStringLiteral("</style>");
}

QString div()
{
    return QStringLiteral("<div ID=\"ToolTip\" STYLE=\"position:absolute; visibility:hide; z-index: 1;\"></div>");
}

QString js(const QString &dir, const QString &name)
{
    QFile f(QDir(dir).filePath(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // A script cut short would be worse than none.
    if (f.size() > kMaxScriptBytes)
        return {};
    QString text = ansi::decode(f.readAll());
    // Lines end with CR LF, LF or CR alone; a last line break ends the last
    // line, it does not start another.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const bool any = !text.isEmpty();
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    QString out = QStringLiteral("<script LANGUAGE=\"JavaScript\">") + kCrlf;
    if (any) {
        for (const QString &line : text.split(QLatin1Char('\n')))
            out += kCrlf + line;
    }
    out += kCrlf + QStringLiteral("</script>") + kCrlf;
    return out.size() < 100 ? QString() : out;
}

QString statoQuorin(const Inputs &in)
{
    QString out = QStringLiteral("<table border=1 width=\"100%\">") + QStringLiteral("<tr><th colspan=10>Stato Interni</th></tr>");
    const int count = std::clamp(in.extensionCount, 0, T::kRows);
    const int rows = (count + 9) / 10;
    int logged = 0, paused = 0, working = 0, talking = 0, chMan = 0;
    for (int r = 0; r < rows; ++r) {
        out += QStringLiteral("<tr>");
        for (int c = 0; c < 10; ++c) {
            const int k = r * 10 + c + 1;
            const QString number = n(k + 100);
            const T::Row &row = entry(in, k);
            out += QStringLiteral("<td");
            if (row[T::Agent].isEmpty()) {
                out += QLatin1Char('>') + number;
            } else {
                ++logged;
                if (row[T::ActionState] == QStringLiteral("BUSY")) {
                    out += QStringLiteral(" bgcolor=#00FFFF> ");
                    ++working;
                } else if (row[T::ActionState] == QStringLiteral("HANDSHAKE")) {
                    out += QStringLiteral(" bgcolor=#800080> ");
                    ++working;
                } else if (row[T::LogState] == QStringLiteral("PAUSED")) {
                    out += QStringLiteral(" bgcolor=#FF0000> ");
                    ++paused;
                } else if (row[T::LogState] == QStringLiteral("WORKING")) {
                    out += QStringLiteral(" bgcolor=#FFFF> ");
                    ++working;
                } else if (row[T::LogState] == QStringLiteral("WORKAFTERC")) {
                    out += QStringLiteral(" bgcolor=#008080> ");
                    ++working;
                } else {
                    out += QStringLiteral(" bgcolor=#00FF00> ");
                }
                if (row[T::LineState] == QStringLiteral("TALKING"))
                    ++talking;
                const QString acd = row[T::AcdState];
                if (acd.left(3) == QStringLiteral("ACD") && textformats::leadingNumber(acd.mid(4)) > 0)
                    ++chMan;
                out += link(scriptText(row[T::Display]), number);
            }
            out += QStringLiteral("</td>");
        }
        out += QStringLiteral("</tr>");
    }
    out += QStringLiteral("</table>");
    out += QStringLiteral("<table width=\"100%\" border=1><tr><th>oper.loggati</th><th>in pausa</th><th>working</th>"
                          "<th>talking</th><th>ch.man</th></tr>");
    out += QStringLiteral("<tr><td>") + n(logged) + QStringLiteral("</td><td>") + n(paused) + QStringLiteral("</td><td>")
        + n(working) + QStringLiteral("</td><td>") + n(talking) + QStringLiteral("</td><td>") + n(chMan)
        + QStringLiteral("</td></tr></table>");
    return out;
}

QString listaUtenti(const Inputs &in)
{
    QString out = QStringLiteral("    <thead>") + QStringLiteral("<tr>");
    for (const char *title : {"Id", "Descrizione", "Int", "S.Log", "S.Action", "S.Linea", "S.Acd", "Gruppi", "Login", "Logout"})
        out += QStringLiteral("<th><b>") + QString::fromLatin1(title) + QStringLiteral("</b></th>");
    out += QStringLiteral("</tr>") + QStringLiteral("</thead>");
    const int count = std::clamp(in.extensionCount, 0, T::kRows);
    const QString cellEnd = QStringLiteral("&nbsp;</td>");
    for (int k = 1; k <= count; ++k) {
        const T::Row &row = entry(in, k);
        if (row[T::Agent].isEmpty())
            continue;
        out += QStringLiteral("<tr>");
        out += QStringLiteral("<td>") + escaped(row[T::Agent]) + cellEnd;
        out += QStringLiteral("<td align=left>") + escaped(row[T::Description]) + cellEnd;
        out += QStringLiteral("<td>") + n(k + 100) + QStringLiteral("</td>");
        for (int c : {int(T::LogState), int(T::ActionState), int(T::LineState), int(T::AcdState)})
            out += QStringLiteral("<td>") + escaped(row[c]) + cellEnd;
        out += QStringLiteral("<td>") + escaped(row[T::GroupText].mid(9)) + cellEnd;
        out += QStringLiteral("<td>") + escaped(row[T::LoginTime]) + cellEnd;
        out += QStringLiteral("<td>") + escaped(row[T::LogoutTime]) + cellEnd;
        out += QStringLiteral("</tr>") + kCrlf;
    }
    return out;
}

QList<QStringList> groupGrid(const QList<MonitorModel::GridRow> &groups)
{
    QList<QStringList> grid{{QStringLiteral("Gruppo"), QStringLiteral("Logg."), QStringLiteral("Liberi"), QStringLiteral("Tel."),
                             QString()}};
    for (qsizetype i = 0; i < groups.size() && i < kGridGroups; ++i) {
        const MonitorModel::GridRow &g = groups[i];
        grid.append({g.group, n(g.logged), n(g.free), n(g.third), QString()});
    }
    return grid;
}

QString datiGruppi(const Inputs &in)
{
    const QList<QStringList> grid = groupGrid(in.groups);
    QString out = QStringLiteral("<table border=1 width=\"100%\"><tr>");
    for (const QString &cell : grid.first())
        out += QStringLiteral("<th>") + escaped(cell.toLower()) + QStringLiteral("</th>");
    out += QStringLiteral("</tr>");
    for (qsizetype r = 1; r < grid.size(); ++r) {
        if (grid[r][1].isEmpty())
            break;
        out += QStringLiteral("<tr>");
        for (const QString &cell : grid[r])
            out += QStringLiteral("<td>") + escaped(cell.toLower()) + QStringLiteral("</td>");
        out += QStringLiteral("</tr>");
    }
    return out + QStringLiteral("</table><br>");
}

QString lineColour(int state)
{
    return LineTable::stateColour(state);
}

QString statoPbx(const Inputs &in)
{
    std::array<int, 1000> counters{};
    QString out = QStringLiteral("<table border=1 width=\"100%\">") + QStringLiteral("<tr><th colspan=10>Stato PBX</th></tr>");
    for (int r = 0; r < kPbxEntries / 10; ++r) {
        out += QStringLiteral("<tr>");
        for (int c = 0; c < 10; ++c) {
            const int line = 400 + r * 10 + c + 1;
            const LineTable::Row &row = in.lines.row(line);
            const qint64 s = textformats::leadingInteger(row.state);
            // A code outside the counters is drawn, grey, and not counted.
            if (s >= 0 && s < qint64(counters.size()))
                ++counters[size_t(s)];
            out += QStringLiteral("<td") + QStringLiteral(" bgcolor=") + lineColour(int(std::clamp<qint64>(s, -1, 1000)))
                + QStringLiteral("> ") + link(escaped(row.tooltip), n(line)) + QStringLiteral("</td>");
        }
        out += QStringLiteral("</tr>");
    }
    out += QStringLiteral("</table>") + QStringLiteral("<table border=1 width=\"100%\">");
    for (int s = 0; s <= 96; ++s) {
        if (counters[size_t(s)] == 0)
            continue;
        out += QStringLiteral("<tr><th>") + LineTable::stateName(s).toLower() + QStringLiteral("</th>") + QStringLiteral("<td>")
            + n(counters[size_t(s)]) + QStringLiteral("</td></tr>");
    }
    return out + QStringLiteral("</table>");
}

QString esiti(const Inputs &in)
{
    QString out = QStringLiteral("<table border=1 width=\"100%\"><tr>");
    for (int i = 1; i < kOutcomes; ++i)
        out += QStringLiteral("<th>") + in.outcomeCaptions[i].left(7).toLower() + QStringLiteral("</th>"); // the program's own captions
    out += QStringLiteral("</tr><tr>");
    for (int i = 1; i < kOutcomes; ++i)
        out += QStringLiteral("<td>") + escaped(in.outcomes[i]) + QStringLiteral("</td>");
    return out + QStringLiteral("</tr></table><br>");
}

QString datiServer(const Inputs &in)
{
    const Peer &p = in.peer;
    return QStringLiteral("<table border=1 width=\"100%\">") + QStringLiteral("<tr><td valign=top>data e ora server : ")
        + textformats::dateTime(in.now) + QStringLiteral("<br>") + QStringLiteral("Inizio elaborazione : ")
        + textformats::dateTimeOrZero(in.start) + QStringLiteral("<br>") + QStringLiteral("Vers.Prog ") + in.version
        + QStringLiteral("</td>") + QStringLiteral("<td valign=top>localPort ") + n(p.localPort) + QStringLiteral("<br>")
        + QStringLiteral("localIp ") + escaped(p.localIp) + QStringLiteral("<br>") + QStringLiteral("localHostName ")
        + escaped(p.localHostName) + QStringLiteral("</td>") + QStringLiteral("<td valign=top>RemotePort ") + n(p.remotePort)
        + QStringLiteral("<br>") + QStringLiteral("RemoteHostIp ") + escaped(p.remoteIp) + QStringLiteral("<br>")
        + QStringLiteral("RemoteHost ") + escaped(p.remoteHost) + QStringLiteral("</td></tr></table>") + kCrlf;
}

QString defaultPage(const Inputs &in)
{
    return head() + escaped(in.peer.localIp) + QStringLiteral("</title>") + kCrlf + js(in.scriptDir, QStringLiteral("snippets.js"))
        + kCrlf + stileToolTip() + kCrlf + kBody + kCrlf + div() + kCrlf + js(in.scriptDir, QStringLiteral("tooltip.js")) + kCrlf
        + QStringLiteral("<table border =0><tr><td valign=\"top\">") + statoQuorin(in) + datiGruppi(in)
        + QStringLiteral("</td><td valign=\"top\">") + statoPbx(in) + QStringLiteral("</td></tr>")
        + QStringLiteral("<tr><td colspan=3>") + esiti(in) + QStringLiteral("</td></tr>") + QStringLiteral("<tr><td colspan=3>")
        + datiServer(in) + QStringLiteral("</td></tr></table>") + QStringLiteral("</body></html>") + kCrlf;
}

QString listaUtentiPage(const Inputs &in)
{
    return head() + escaped(in.peer.localIp) + QLatin1Char(' ') + textformats::dateTime(in.now) + QStringLiteral("</title>")
        + kCrlf + stileToolTip() + kCrlf + kBody + kCrlf
        + QStringLiteral("<table border=1 cellspacing=1 cellpadding=2 bgcolor=#000080 bordercolor=#00FFFF "
                         "bordercolordark=#000080>")
        + listaUtenti(in) + QStringLiteral("</table>") + QStringLiteral("</body></html>") + kCrlf;
}

QString simpleStatoQuorin(const ExtensionTable &extensions)
{
    int logged = 0, paused = 0, working = 0;
    for (int k = 1; k <= 80; ++k) {
        const T::Row &row = extensions.row(k + 100);
        if (row[T::Agent].isEmpty())
            continue;
        ++logged;
        paused += row[T::LogState] == QStringLiteral("PAUSED");
        working += row[T::LogState] == QStringLiteral("WORKING");
    }
    return QStringLiteral("oper.log|in pausa|working |") + kCrlf + right(n(logged), 8) + QLatin1Char('|') + right(n(paused), 8)
        + QLatin1Char('|') + right(n(working), 8) + QLatin1Char('|');
}

QString simpleEsiti(const Inputs &in)
{
    QString titles, values, percents;
    for (int i = 0; i < kOutcomes; ++i) {
        const QString title = in.outcomeCaptions[i].left(7).toLower();
        const int w = int(title.size());
        titles += title + QLatin1Char('|');
        values += right(in.outcomes[i], w) + QLatin1Char('|');
        percents += QLatin1Char('%') + right(QString::number(textformats::leadingNumber(in.percents[i])), w - 1) + QLatin1Char('|');
    }
    return titles + kCrlf + values + kCrlf + percents;
}

QString simpleDatiGruppi(const Inputs &in)
{
    const QList<QStringList> grid = groupGrid(in.groups);
    QString out;
    for (qsizetype r = 0; r < grid.size(); ++r) {
        if (r > 0 && grid[r][1].isEmpty())
            break;
        for (const QString &cell : grid[r])
            out += right(cell.toLower(), 15) + QLatin1Char('|');
        out += kCrlf;
    }
    return out;
}

QString watchdogReport(const Inputs &in)
{
    return QStringLiteral("WD Ready on ") + in.peer.localIp + QLatin1Char(' ') + textformats::dateTime(in.now) + kCrlf
        + simpleEsiti(in) + kCrlf + simpleStatoQuorin(in.extensions) + kCrlf + simpleDatiGruppi(in);
}

} // namespace statuspage
