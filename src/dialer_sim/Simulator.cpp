#include "dialer_sim/Simulator.h"

#include "dialer_link/FixedText.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cmath>

using namespace packet;

namespace {
QByteArray ints(std::initializer_list<qint32> values)
{
    QByteArray out;
    for (qint32 v : values)
        appendInt32Le(out, v);
    return out;
}
} // namespace

Simulator::Simulator(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_server(new QTcpServer(this)), m_random(m_options.seed)
{
    connect(m_server, &QTcpServer::newConnection, this, &Simulator::onConnection);
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setInterval(m_options.replyTimeoutMs);
    connect(&m_replyTimer, &QTimer::timeout, this, [this] { fail(QStringLiteral("no reply within the time-out")); });
}

bool Simulator::listen()
{
    return m_server->listen(QHostAddress::LocalHost, m_options.port);
}

quint16 Simulator::port() const
{
    return m_server->serverPort();
}

void Simulator::onConnection()
{
    QTcpSocket *socket = m_server->nextPendingConnection();
    if (m_peer) { // one program at a time
        socket->abort();
        socket->deleteLater();
        return;
    }
    m_peer = socket;
    connect(socket, &QTcpSocket::readyRead, this, &Simulator::onData);
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        if (!m_done)
            fail(QStringLiteral("the program closed the link"));
    });
    m_expect = Expect::DbOk;
    m_replyTimer.start();
}

void Simulator::onData()
{
    m_stream += m_peer->readAll();
    replycheck::Packet p;
    while (!m_done && replycheck::take(m_stream, p))
        onPacket(p);
}

void Simulator::fail(const QString &why)
{
    if (m_done)
        return;
    m_stats.violation = why;
    finish();
}

void Simulator::finish()
{
    if (m_done)
        return;
    m_done = true;
    m_replyTimer.stop();
    m_stats.seconds = m_run.isValid() ? m_run.nsecsElapsed() / 1e9 : 0;
    if (m_peer)
        m_peer->disconnect(this);
    Q_EMIT finished(m_stats.violation.isEmpty());
}

qint32 Simulator::send(qint32 code, const QByteArray &body, Expect expect)
{
    const qint32 id = ++m_id;
    m_peer->write(encodeHeader({40 + int(body.size()), 0, 12000, code, 24 + int(body.size())}) + encodeRecordId({id, m_tag}) + body);
    ++m_stats.requests;
    m_expect = expect;
    m_request.start();
    if (expect != Expect::Nothing)
        m_replyTimer.start();
    return id;
}

void Simulator::onPacket(const replycheck::Packet &p)
{
    m_replyTimer.stop();
    const auto expectCode = [&](qint32 code) {
        const QString why = replycheck::check(p, code, m_id, m_tag);
        if (!why.isEmpty())
            fail(QStringLiteral("request %1: %2").arg(m_id).arg(why));
        return why.isEmpty();
    };
    switch (m_expect) {
    case Expect::DbOk:
        if (!expectCode(DbOk))
            return;
        m_run.start();
        break;
    case Expect::Groups:
    case Expect::Probe: {
        if (!expectCode(PacchettoGruppi))
            return;
        const qint32 n = readInt32Le(p.body, 0);
        if (p.body.size() != 4 + 4 * qsizetype(n) || n < 1) {
            fail(QStringLiteral("groups reply with %1 groups in %2 bytes").arg(n).arg(p.body.size()));
            return;
        }
        m_groups.clear();
        for (int i = 0; i < n; ++i)
            m_groups << readInt32Le(p.body, 4 + 4 * i);
        break;
    }
    case Expect::Customers:
    case Expect::OperatorCustomers: {
        const bool byOperator = m_expect == Expect::OperatorCustomers;
        const qint32 data = byOperator ? ClientiOperatore : ClientiGruppo;
        const qint32 end = byOperator ? QueryEndOp : QueryEnd;
        if (p.header.code == data) {
            if (!expectCode(data))
                return;
            const QString why = replycheck::checkCustomers(p, byOperator, m_group, m_operator);
            if (!why.isEmpty()) {
                fail(QStringLiteral("request %1: %2").arg(m_id).arg(why));
                return;
            }
            const int start = byOperator ? 20 : 0;
            for (int r = 0; r < readInt32Le(p.body, start); ++r) {
                const QByteArray rec = p.body.mid(start + 4 + 296 * r, 296);
                m_records << rec;
                m_received << fixedtext::pulisciStringa(rec.mid(56, 30)).toLongLong();
            }
            m_replyTimer.start(); // more packets or the end marker follow
            return;
        }
        if (!expectCode(end))
            return;
        // Only full answers measure the latency of a group request of that size.
        if (m_timed && m_received.size() == m_options.groupQuantity)
            m_stats.groupLatencyUs << m_request.nsecsElapsed() / 1000;
        m_stats.customers += m_received.size();
        if (m_outcomesAfter)
            m_pendingOutcomes = m_received;
        if (m_keepRecords)
            m_kept = m_records;
        break;
    }
    case Expect::Outcome:
        if (!expectCode(AckEsito))
            return;
        ++m_stats.outcomesAcked;
        m_stats.outcomeLatencyUs << m_request.nsecsElapsed() / 1000;
        break;
    case Expect::Release:
    case Expect::OperatorRelease:
        if (!expectCode(m_expect == Expect::Release ? FreeQueueReply : FreeQueueOpReply))
            return;
        ++m_stats.releases;
        break;
    case Expect::Nothing:
        fail(QStringLiteral("an unexpected packet, code %1").arg(p.header.code));
        return;
    }
    next();
}

void Simulator::sendCustomers(bool byOperator, qint32 quantity, bool outcomes, bool keep)
{
    m_received.clear();
    m_records.clear();
    m_outcomesAfter = outcomes;
    m_keepRecords = keep;
    m_timed = !byOperator && quantity == m_options.groupQuantity;
    if (byOperator) {
        m_operator = m_options.operators.value(m_round % std::max<qsizetype>(1, m_options.operators.size()));
        send(QueryOp, ints({m_group, quantity}) + fixedtext::completaStringa(m_operator, 20), Expect::OperatorCustomers);
    } else {
        send(RichiestaClientiGruppi, ints({1, m_group, quantity}), Expect::Customers);
    }
}

void Simulator::sendOutcome(qint64 customer)
{
    int total = 0;
    for (const auto &[code, weight] : m_options.mix)
        total += weight;
    int pick = std::uniform_int_distribution<int>(0, std::max(0, total - 1))(m_random);
    qint32 code = 5;
    for (const auto &[c, weight] : m_options.mix) {
        if (pick < weight) {
            code = c;
            break;
        }
        pick -= weight;
    }
    QByteArray body = ints({1234, code, 0}) + fixedtext::completaStringa(QStringLiteral("simop"), 20)
        + fixedtext::completaStringa(QStringLiteral("simcamp"), 20) + fixedtext::completaStringa(QStringLiteral("simlist"), 20)
        + fixedtext::completaStringa(QString::number(customer), 30) + QByteArray(2, '\0') + ints({m_stats.outcomesAcked, 0, 0})
        + QByteArray(20, '\0');
    send(Esito, body, Expect::Outcome);
}

void Simulator::next()
{
    if (m_done)
        return;
    const bool timeUp = m_run.isValid() && m_run.elapsed() >= qint64(m_options.seconds) * 1000;
    const bool countUp = m_options.maxOutcomes > 0 && m_stats.outcomesAcked >= m_options.maxOutcomes;
    if (!m_pendingOutcomes.isEmpty() && !countUp && !timeUp) {
        sendOutcome(m_pendingOutcomes.takeFirst());
        return;
    }
    if (timeUp || countUp) {
        finish();
        return;
    }
    while (!step(m_phase++)) {
        if (m_phase > 8) {
            m_phase = 0;
            ++m_round;
        }
    }
}

// Sends the request of `phase` in the current round; false when the round skips it.
bool Simulator::step(int phase)
{
    switch (phase) {
    case 0:
        send(RichiestaGruppi, {}, Expect::Groups);
        return true;
    case 1:
        m_group = m_groups.value(m_round % std::max<qsizetype>(1, m_groups.size()));
        sendCustomers(false, m_options.groupQuantity, true, false);
        return true;
    case 2:
        if (m_round % 3 != 1)
            return false;
        sendCustomers(false, 5, false, false);
        return true;
    case 3:
        if (m_round % 3 != 1)
            return false;
        send(FreeQueue, ints({m_group}), Expect::Release);
        return true;
    case 4:
        if (m_round % 4 != 2)
            return false;
        sendCustomers(false, 2, false, true);
        return true;
    case 5: {
        if (m_round % 4 != 2 || m_kept.isEmpty())
            return false;
        QByteArray body = ints({qint32(m_kept.size())});
        for (const QByteArray &rec : m_kept)
            body += rec;
        m_stats.discarded += m_kept.size();
        m_kept.clear();
        send(DiscardQuery, body, Expect::Nothing);
        send(RichiestaGruppi, {}, Expect::Probe); // answered only after the discard was served
        return true;
    }
    case 6:
        if (m_round % 5 != 3)
            return false;
        sendCustomers(true, 9, true, false);
        return true;
    case 7:
        if (m_round % 5 != 3)
            return false;
        send(FreeQueueOp, ints({0}) + fixedtext::completaStringa(m_operator, 20), Expect::OperatorRelease);
        return true;
    default:
        m_phase = 9;
        return false;
    }
}

qint64 Simulator::percentile(QList<qint64> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<qsizetype>(std::ceil(p / 100.0 * double(values.size()))) - 1;
    return values[std::clamp<qsizetype>(at, 0, values.size() - 1)];
}

QString Simulator::summary() const
{
    const Stats &s = m_stats;
    const double secs = std::max(s.seconds, 1e-9);
    return QStringLiteral("requests %1, customers received %2, outcomes acknowledged %3, releases %4, discarded %5\n"
                          "time %6 s, outcomes/s %7, customers/s %8\n"
                          "group request (%9 customers) latency p50 %10 ms p99 %11 ms\n"
                          "outcome latency p50 %12 ms p99 %13 ms")
        .arg(s.requests).arg(s.customers).arg(s.outcomesAcked).arg(s.releases).arg(s.discarded)
        .arg(s.seconds, 0, 'f', 1).arg(s.outcomesAcked / secs, 0, 'f', 1).arg(s.customers / secs, 0, 'f', 1)
        .arg(m_options.groupQuantity)
        .arg(percentile(s.groupLatencyUs, 50) / 1000.0, 0, 'f', 2).arg(percentile(s.groupLatencyUs, 99) / 1000.0, 0, 'f', 2)
        .arg(percentile(s.outcomeLatencyUs, 50) / 1000.0, 0, 'f', 2).arg(percentile(s.outcomeLatencyUs, 99) / 1000.0, 0, 'f', 2);
}
