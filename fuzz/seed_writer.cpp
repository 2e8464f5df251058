// Writes the fuzzers' seed corpora: real packets made by the program's own
// encoders, and the real texts of the demo folder and of fuzz/samples in
// each target's input form.
//   fuzz_seed_writer OUTPUT_DIR SOURCE_DIR
#include "console/ConsoleFuzz.h"
#include "console/TelnetCodec.h"
#include "ct_monitor/LayoutFile.h"
#include "ct_monitor/TelephonyFormat.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_link/OutcomeRecord.h"
#include "dialer_link/PacketFormat.h"
#include "pbx_lines/PbxFormat.h"
#include "wire/AnsiCodec.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

QString g_out;
bool g_failed = false;

void write(const char *target, const QString &name, const QByteArray &bytes)
{
    const QString dir = g_out + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(dir);
    QFile f(dir + QLatin1Char('/') + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        g_failed = true;
    }
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray mode(int m, const QByteArray &bytes)
{
    return QByteArray(1, char(m)) + bytes;
}

dialerbody::CustomerRecord customer(int i)
{
    dialerbody::CustomerRecord r;
    r.group = 3;
    r.kind = 0;
    r.totAbbattuto = 1250;
    r.position = i + 3;
    r.tipoMandato = QStringLiteral("CAMP=RECUPERO");
    r.callList = QStringLiteral("0612345678");
    r.contatore = QString::number(100000 + i);
    r.phone = QStringLiteral("0612345678");
    r.info = QStringLiteral("Rossi Mario S.r.l. – via Roma 1");
    r.recall = i % 2 ? QByteArray("1430") : QByteArray(4, '\0');
    r.lastOutcome = i % 5;
    return r;
}

void dialer()
{
    using namespace packet;
    const RecordId id{42, QStringLiteral("PD01")};
    dialerbody::CustomersRequest customers;
    customers.pairs = {{3, 10}, {7, 100}};
    const dialerbody::OperatorRequest byOperator{5, 10, QStringLiteral("OP105")};
    const dialerbody::GroupRelease release{3};
    const dialerbody::OperatorRelease operatorRelease{0, QStringLiteral("OP105")};
    std::mt19937 random(7);
    OutcomeRecord outcome = OutcomeRecord::test(QDateTime(QDate(2024, 3, 1), QTime(10, 31)), random);
    outcome.customerId = QStringLiteral("100042");
    dialerbody::CustomerList list;
    list.records = {customer(0), customer(1)};
    dialerbody::CustomerList listOp = list;
    listOp.byOperator = true;
    listOp.op = QStringLiteral("OP105");
    dialerbody::GroupList groups;
    groups.groups = {1, 2, 3, 7, 12};

    const auto request = [&](qint32 code, const QByteArray &body) {
        return encodePacket(requestHeader(code, int(body.size()), 50123), id, body);
    };
    const auto reply = [&](qint32 code, const QByteArray &body) {
        return encodePacket(replyHeader(code, int(body.size()), 12000), id, body);
    };
    const QByteArray requests[] = {
        request(RichiestaGruppi, {}),
        request(RichiestaClientiGruppi, dialerbody::encode(customers)),
        request(Esito, outcome.encode()),
        request(QueryOp, dialerbody::encode(byOperator)),
        request(FreeQueue, dialerbody::encode(release)),
        request(FreeQueueOp, dialerbody::encode(operatorRelease)),
        request(DiscardQuery, dialerbody::encode(list)),
        request(EsitoOp, outcome.encode()),
    };
    QByteArray session = encodePacket(replyHeader(DbOk, 0, 12000, true), {}, {});
    for (int i = 0; i < int(std::size(requests)); ++i) {
        write("fuzz_dialer", QStringLiteral("request-%1").arg(i), mode(0, requests[i]));
        session += requests[i];
    }
    write("fuzz_dialer", QStringLiteral("session"), mode(0, session));
    write("fuzz_dialer", QStringLiteral("replies"),
          mode(0, reply(PacchettoGruppi, dialerbody::encode(groups)) + reply(ClientiGruppo, dialerbody::encode(list))
                      + reply(QueryEnd, dialerbody::queryEnd()) + reply(ClientiOperatore, dialerbody::encode(listOp))));
    write("fuzz_dialer", QStringLiteral("split-then-junk"), mode(0, requests[1].left(30) + requests[2] + QByteArray(8, '\xff')));
    write("fuzz_dialer", QStringLiteral("body-customers-request"), mode(1, dialerbody::encode(customers)));
    write("fuzz_dialer", QStringLiteral("body-operator-request"), mode(2, dialerbody::encode(byOperator)));
    write("fuzz_dialer", QStringLiteral("body-group-release"), mode(3, dialerbody::encode(release)));
    write("fuzz_dialer", QStringLiteral("body-operator-release"), mode(4, dialerbody::encode(operatorRelease)));
    write("fuzz_dialer", QStringLiteral("body-customers"), mode(5, dialerbody::encode(list)));
    write("fuzz_dialer", QStringLiteral("body-customers-operator"), mode(6, dialerbody::encode(listOp)));
    write("fuzz_dialer", QStringLiteral("body-groups"), mode(7, dialerbody::encode(groups)));
    write("fuzz_dialer", QStringLiteral("body-outcome"), mode(8, outcome.encode()));
}

void monitor()
{
    using namespace telephony;
    QList<ExtensionRecord> extensions;
    for (int i = 0; i < 3; ++i) {
        ExtensionRecord r;
        r.number = 105 + i;
        r.agent = QStringLiteral("OP%1").arg(105 + i);
        r.description = QStringLiteral("Interno %1").arg(105 + i);
        r.logState = i ? QStringLiteral("LOGGED_IN") : QStringLiteral("LOGGED_OUT");
        r.actionState = QStringLiteral("IDLE");
        r.lineState = i == 2 ? QStringLiteral("BUSY") : QStringLiteral("FREE");
        r.acdState = QStringLiteral("READY");
        r.numberText = QString::number(105 + i);
        r.groups = {1, 3, 7};
        r.loginTime = QStringLiteral("08:30:00");
        extensions.append(r);
    }
    QList<GroupRecord> groups;
    for (int i = 1; i <= 4; ++i)
        groups.append({i, 0, QStringLiteral("Gruppo %1").arg(i), 5 * i, i, 0});
    TimeRecord time;
    time.time = QStringLiteral("10:31:07");
    const QByteArray packets[] = {
        encodeExtensions({ExtensionConfig, {0, 0, 0}, 3}, extensions),
        encodeExtensions({ExtensionChange, {0, 0, 0}, 1}, extensions.mid(1, 1)),
        encodeGroups({GroupConfig, {0, 0, 0}, 4}, groups),
        encodeGroups({GroupChange, {0, 0, 0}, 1}, groups.mid(2, 1)),
        encodeTime(time),
        encodeUnknown(25099, 12),
    };
    QByteArray stream;
    for (int i = 0; i < int(std::size(packets)); ++i) {
        write("fuzz_monitor", QStringLiteral("packet-%1").arg(i), packets[i]);
        stream += packets[i];
    }
    write("fuzz_monitor", QStringLiteral("stream"), stream);
    write("fuzz_monitor", QStringLiteral("stream-cut-record"), packets[0].left(packets[0].size() - 100) + packets[4]);

    const QByteArray integers = packet::encodeHeader({16 + 8, -1, kMonitorPort, ReplyIntegers, 8}, packet::Link::Monitor)
        + QByteArray::fromHex("0000006900000001");
    const QByteArray list = packet::encodeHeader({16 + 12, -1, kMonitorPort, ReplyList, 12}, packet::Link::Monitor)
        + QByteArray::fromHex("000000010000006900000003");
    const QByteArray replies[] = {encodeOperatorMessage(QStringLiteral("Login eseguito interno 105")), integers, list,
                                  encodeOpExtension(105, 40000),
                                  encodeOpCommand({1, 105, QStringLiteral("OP105"), QStringLiteral("1234")}, 40000)};
    QByteArray replyStream;
    for (int i = 0; i < int(std::size(replies)); ++i) {
        write("fuzz_opserver", QStringLiteral("packet-%1").arg(i), replies[i]);
        replyStream += replies[i];
    }
    write("fuzz_opserver", QStringLiteral("stream"), replyStream);
    write("fuzz_opserver", QStringLiteral("command-body"),
          encodeOpCommand({2, 106, QStringLiteral("OP106"), {}}, 40000).mid(packet::kHeaderSize));
}

void pbxLines()
{
    using namespace pbx;
    QList<LineRecord> lines;
    for (int i = 0; i < 3; ++i)
        lines.append({401 + i, 105 + i, i, 0, 0, QStringLiteral("Linea %1").arg(401 + i)});
    QList<LineRecord> single = {{401, 105, 2, 0, 0x15, QStringLiteral("Esterna")}};
    const QByteArray packets[] = {encodeLines(lines, {1, 2, 3, 4, 5, 6}), encodeSingle(single),
                                  encodeCall({{105, 401, 2, 0}, QStringLiteral("CHIAMATA..USCENTE 0612345678")}),
                                  encodeUnknown(52099, 8)};
    QByteArray stream;
    for (int i = 0; i < int(std::size(packets)); ++i) {
        write("fuzz_pbx", QStringLiteral("packet-%1").arg(i), packets[i]);
        stream += packets[i];
    }
    write("fuzz_pbx", QStringLiteral("stream"), stream);
}

void telnet()
{
    // What a host sends at the start of a session: its negotiation, then
    // the login banner drawn with VT100 sequences.
    const auto cmd = [](quint8 verb, quint8 option) {
        return QByteArray(1, char(TelnetCodec::IAC)) + char(verb) + char(option);
    };
    const QByteArray sendTerminalType = QByteArray::fromHex("fffa1801fff0");
    const QByteArray sendSpeed = QByteArray::fromHex("fffa2001fff0");
    const QByteArray start = cmd(TelnetCodec::DO, TelnetCodec::TerminalType) + cmd(TelnetCodec::DO, TelnetCodec::TerminalSpeed)
        + cmd(TelnetCodec::DO, TelnetCodec::Naws) + cmd(TelnetCodec::WILL, TelnetCodec::Echo)
        + cmd(TelnetCodec::WILL, TelnetCodec::SuppressGoAhead) + cmd(TelnetCodec::DO, TelnetCodec::Authentication)
        + sendTerminalType + sendSpeed + "\x1b[H\x1b[2J\x1b[1;7m TORMIX \x1b[0m\r\n\r\nlogin: ";
    write("fuzz_telnet", QStringLiteral("session-start"), start);
    write("fuzz_telnet", QStringLiteral("menu"),
          "\x1b[2;20r\x1b[5;10H\x0elqqqk\x0f\x1b[6;10H\x0ex\x0f MENU \x0ex\x0f\x1b[1m\x1b[33;44m1) Stato\x1b[0m\x1bH\t\x07\x1b[K\x1b[24;1H$ ");
    std::mt19937 random(11);
    for (int i = 0; i < 4; ++i)
        write("fuzz_telnet", QStringLiteral("stream-%1").arg(i), consolefuzz::stream(random, 40));
}

void texts(const QString &source)
{
    const QDir demo(source + QStringLiteral("/scripts/demo"));
    const QStringList ini = {demo.filePath(QStringLiteral("conn_quorin.ini")), demo.filePath(QStringLiteral("dati/tm40.ini")),
                             demo.filePath(QStringLiteral("dati/Orderby190.ini"))};
    const char *const writes[][3] = {{"Settings", "TimeoutPacchetto", "9"}, {"Settings", "ServerIp", ""},
                                     {"datiserver", "connstring", "Provider=SQLite;Data Source=c.sqlite"},
                                     {"Nuova", "Chiave", "1"}};
    for (const QString &path : ini) {
        const QByteArray file = readFile(path);
        const QString base = QFileInfo(path).fileName();
        write("fuzz_ini", base, file);
        for (int i = 0; i < int(std::size(writes)); ++i)
            write("fuzz_ini", base + QStringLiteral("-%1").arg(i),
                  QByteArray(writes[i][0]) + '\0' + writes[i][1] + '\0' + writes[i][2] + '\0' + file);
    }

    QStringList sql;
    for (const QFileInfo &f : demo.entryInfoList({QStringLiteral("SQL_*.TXT")}, QDir::Files))
        sql.append(f.filePath());
    for (const QFileInfo &f : QDir(source + QStringLiteral("/fuzz/samples/sql")).entryInfoList(QDir::Files))
        sql.append(f.filePath());
    const char *const values[] = {"3", "-12", "OP105", "0 OR 1=1", "O'Brien"};
    for (const QString &path : sql) {
        const QByteArray text = readFile(path);
        const QString base = QFileInfo(path).fileName();
        write("fuzz_sql", base + QStringLiteral("-rewrite"), mode(0, text));
        write("fuzz_sql", base + QStringLiteral("-indexed"), mode(1, text));
        if (text.contains("##")) {
            for (int i = 0; i < int(std::size(values)); ++i)
                write("fuzz_sql", base + QStringLiteral("-fill-%1").arg(i), mode(2, text + '\0' + values[i]));
        }
    }

    for (const QFileInfo &f : QDir(source + QStringLiteral("/fuzz/samples/http")).entryInfoList(QDir::Files))
        write("fuzz_http", f.fileName(), readFile(f.filePath()));
}

void layout()
{
    layoutfile::Layout l;
    for (int i = 0; i < 200; ++i)
        l.tiles.append(QPoint(120 + (i % 10) * 1100, 240 + (i / 10) * 600));
    l.texts = {{QPoint(300, 9000), QStringLiteral("Turno mattina")},
               {QPoint(5000, 9000), QStringLiteral("Supervisore: interno 180\nRiunione ore 14")}};
    // The window's 200 tiles, coordinates up to 16,001 twips.
    const QByteArray params("\x64\x10", 2);
    write("fuzz_layout", QStringLiteral("window"), params + layoutfile::write(l));
    l.tiles.resize(150);
    write("fuzz_layout", QStringLiteral("fewer-tiles"), params + layoutfile::write(l));
    write("fuzz_layout", QStringLiteral("old-style"),
          params + "  1200 \r\n\"360\"\r\n1.5e3\r\n 480,6\r\n1\r\n100\r\n200\r\n\"testo \xb6 a capo\"\r\n");
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR SOURCE_DIR\n", argv[0]);
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    dialer();
    monitor();
    pbxLines();
    telnet();
    texts(QString::fromLocal8Bit(argv[2]));
    layout();
    return g_failed ? 1 : 0;
}
