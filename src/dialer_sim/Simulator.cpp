#include "dialer_sim/Simulator.h"

#include "dialer_link/DialerBodies.h"
#include "dialer_link/OutcomeRecord.h"
#include "wire/FixedText.h"

#include <QDateTime>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cmath>
#include <utility>

using namespace packet;

namespace {
QString n(qint64 v)
{
    return QString::number(v);
}
constexpr int kPhases = 8;
} // namespace

Simulator::Simulator(Options options, QObject *parent)
    : QObject(parent),
      m_options(std::move(options)),
      m_server(new QTcpServer(this)),
      m_reader({{kHeaderOnlyTotlen, kMaxPacketLength}}, QStringLiteral("PD")),
      m_random(m_options.seed),
      m_progressiveBase(qint64(m_options.seed % 20) * 100000000 + QDateTime::currentSecsSinceEpoch() % 100 * 1000000)
{
    m_options.pipeline = std::max(1, m_options.pipeline);
    connect(m_server, &QTcpServer::newConnection, this, &Simulator::onConnection);
    m_reader.socket().setReadBufferSize(kReadBuffer);
    m_reader.setGate([this] { return !m_stalled && !m_done; });
    connect(&m_reader, &wire::FramedReader::packetReady, this, &Simulator::onFrame);
    connect(&m_reader, &wire::FramedReader::badLength, this,
            [this](qint32 length) { fail(QStringLiteral("a reply with PacketLen=") + n(length)); });
    connect(&m_reader.socket(), &LinkSocket::disconnected, this, &Simulator::onPeerLost);
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setInterval(m_options.unansweredMs > 0 ? std::min(m_options.unansweredMs, m_options.replyTimeoutMs)
                                                        : m_options.replyTimeoutMs);
    connect(&m_replyTimer, &QTimer::timeout, this, &Simulator::onReplyTimeout);
}

bool Simulator::listen()
{
    return m_journal.open(m_options.journal) && m_server->listen(QHostAddress::LocalHost, m_options.port);
}

quint16 Simulator::port() const
{
    return m_server->serverPort();
}

bool Simulator::hasPeer() const
{
    return m_reader.socket().state() != socketstates::kClosed;
}

void Simulator::onConnection()
{
    if (hasPeer() && m_options.waitForRestarts)
        return; // the old connection's end is still to be read: this one waits its turn
    QTcpSocket *socket = m_server->nextPendingConnection();
    if (!socket)
        return;
    if (hasPeer()) { // one program at a time
        socket->abort();
        socket->deleteLater();
        return;
    }
    m_reader.socket().adopt(socket);
    ++m_stats.connections;
    m_awaitingDbOk = true;
    m_replyTimer.start();
}

void Simulator::onPeerLost()
{
    if (m_done)
        return;
    if (!m_options.waitForRestarts) {
        fail(QStringLiteral("the program closed the link"));
        return;
    }
    // Unanswered requests die with the connection; customers already
    // received still get their outcomes from the next one.
    m_replyTimer.stop();
    m_reader.socket().abort();
    // An outcome without its acknowledgement is reported again, as it was:
    // the program may have stored it before it went.
    for (const Outstanding &o : m_outstanding) {
        if (o.expect == Expect::Outcome)
            m_replays << o;
    }
    m_outstanding.clear();
    m_givenUp.clear(); // their connection is gone: those acknowledgements never come
    m_batch.clear();
    m_batchCount = 0;
    m_stalled = false;
    m_awaitingDbOk = false;
    Q_EMIT peerLost();
    if (m_server->hasPendingConnections())
        onConnection();
}

void Simulator::onFrame(const QByteArray &framed)
{
    Packet p;
    if (const wire::Status s = decodePacket(framed, p); !s.ok()) {
        fail(s.error);
        return;
    }
    onPacket(p);
}

void Simulator::stall()
{
    if (m_done || m_stalled)
        return;
    // Stop reading: the program's replies pile up in the sockets, not here.
    m_stalled = true;
    ++m_stats.stalls;
    m_replyTimer.stop();
    QTimer::singleShot(m_options.stallMs, this, [this] {
        m_stalled = false;
        if (!m_outstanding.empty())
            m_replyTimer.start();
        m_reader.pump();
    });
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
    Q_EMIT finished(m_stats.violation.isEmpty());
}

bool Simulator::timeUp() const
{
    return m_run.isValid() && m_run.elapsed() >= qint64(m_options.seconds) * 1000;
}

void Simulator::send(qint32 code, const QByteArray &body, Outstanding o)
{
    o.id = ++m_id;
    o.sentNs = m_run.nsecsElapsed();
    m_batch += encodePacket(requestHeader(code, int(body.size()), 12000), {o.id, m_tag}, body);
    ++m_batchCount;
    ++m_stats.requests;
    if (o.expect == Expect::Outcome && m_options.dropLinkEvery > 0 && ++m_outcomesWritten % m_options.dropLinkEvery == 0)
        m_dropAfterFlush = true;
    m_outstanding.push_back(std::move(o));
}

void Simulator::sendDiscard(const QByteArray &body)
{
    m_batch += encodePacket(requestHeader(DiscardQuery, int(body.size()), 12000), {++m_id, m_tag}, body);
    ++m_batchCount;
    ++m_stats.requests;
}

void Simulator::flush()
{
    if (m_batch.isEmpty())
        return;
    m_stats.largestWrite = std::max<qint64>(m_stats.largestWrite, m_batchCount);
    m_reader.socket().write(m_batch);
    m_batch.clear();
    m_batchCount = 0;
    m_replyTimer.start();
    if (std::exchange(m_dropAfterFlush, false)) {
        // Written, then closed: what the program answers is never read.
        ++m_stats.linksDropped;
        m_reader.socket().close();
        QTimer::singleShot(0, this, &Simulator::onPeerLost); // closed here: no signal says so
    }
}

bool Simulator::mayGoUnanswered(const Outstanding &o) const
{
    return m_options.unansweredMs > 0 && o.received.isEmpty()
        && (o.expect == Expect::Groups || o.expect == Expect::Outcome || o.expect == Expect::Release
            || o.expect == Expect::OperatorRelease);
}

void Simulator::giveUpFront()
{
    const Outstanding o = m_outstanding.front();
    m_outstanding.pop_front();
    ++m_stats.unanswered;
    if (o.expect == Expect::Outcome) {
        m_givenUp.insert(o.id, o.progressive);
        m_pendingOutcomes.append(o.customer); // the dialer reports it again
    }
}

void Simulator::onReplyTimeout()
{
    if (m_done || m_awaitingDbOk || m_outstanding.empty() || !mayGoUnanswered(m_outstanding.front())) {
        // The timer ticks at the shorter wait; the others still get the whole time-out.
        const bool waited = m_awaitingDbOk || m_outstanding.empty() || !m_run.isValid()
            || m_run.nsecsElapsed() - m_outstanding.front().sentNs >= qint64(m_options.replyTimeoutMs) * 1000000;
        if (m_options.unansweredMs > 0 && !m_done && !waited)
            m_replyTimer.start();
        else
            fail(QStringLiteral("no reply within the time-out"));
        return;
    }
    giveUpFront();
    if (m_outstanding.empty())
        next();
    else
        m_replyTimer.start();
}

void Simulator::onPacket(const Packet &p)
{
    m_replyTimer.stop();
    if (m_options.unansweredMs > 0 && !m_awaitingDbOk) {
        // An acknowledgement that came after its outcome was given up: stored after all.
        if (p.header.code == AckEsito && m_givenUp.contains(p.record.id)) {
            const qint32 progressive = m_givenUp.take(p.record.id);
            ++m_stats.outcomesAcked;
            m_stats.ackedProgressives << progressive;
            Q_EMIT outcomeAcknowledged(progressive);
            if (!m_outstanding.empty())
                m_replyTimer.start();
            return;
        }
        // A reply to a later request: the ones before it went unanswered.
        while (!m_outstanding.empty() && m_outstanding.front().id != p.record.id && mayGoUnanswered(m_outstanding.front()))
            giveUpFront();
    }
    if (m_awaitingDbOk) {
        if (const QString why = replycheck::check(p, DbOk, 0, m_tag); !why.isEmpty()) {
            fail(why);
            return;
        }
        m_awaitingDbOk = false;
        if (!m_run.isValid())
            m_run.start(); // the run's time counts from the first connection
        next();
        return;
    }
    if (m_outstanding.empty()) {
        fail(QStringLiteral("an unexpected packet, code ") + n(p.header.code));
        return;
    }
    if (!completes(p, m_outstanding.front())) {
        if (!m_done)
            m_replyTimer.start(); // more packets or the end marker follow
        return;
    }
    m_outstanding.pop_front();
    ++m_replies;
    if (m_options.stallEvery > 0 && m_options.stallMs > 0 && m_replies % m_options.stallEvery == 0)
        stall();
    if (m_outstanding.empty())
        next();
    else if (!m_stalled)
        m_replyTimer.start();
}

// True when `p` has the code `code` and answers `o`; else the run fails.
bool Simulator::expectCode(const Packet &p, const Outstanding &o, qint32 code)
{
    const QString why = replycheck::check(p, code, o.id, m_tag);
    if (!why.isEmpty())
        fail(QStringLiteral("request ") + n(o.id) + QStringLiteral(": ") + why);
    return why.isEmpty();
}

// True when `p` completes the answer to `o`; false when more must come
// (or the run failed).
bool Simulator::completes(const Packet &p, Outstanding &o)
{
    const qint64 latencyUs = (m_run.nsecsElapsed() - o.sentNs) / 1000;
    switch (o.expect) {
    case Expect::Groups:
        return expectCode(p, o, PacchettoGruppi) && takeGroups(p);
    case Expect::Customers:
    case Expect::OperatorCustomers:
        return completesCustomers(p, o, latencyUs);
    case Expect::Outcome:
        if (!expectCode(p, o, AckEsito))
            return false;
        ++m_stats.outcomesAcked;
        m_stats.outcomeLatencyUs << latencyUs;
        m_stats.ackedProgressives << o.progressive;
        Q_EMIT outcomeAcknowledged(o.progressive);
        return true;
    case Expect::Release:
    case Expect::OperatorRelease:
        if (!expectCode(p, o, o.expect == Expect::Release ? FreeQueueReply : FreeQueueOpReply))
            return false;
        ++m_stats.releases;
        return true;
    }
    return true;
}

bool Simulator::takeGroups(const Packet &p)
{
    dialerbody::GroupList list;
    const wire::Status s = dialerbody::decode(p.body, list);
    if (!s.ok() || list.groups.isEmpty() || p.body.size() != 4 + 4 * list.groups.size()) {
        fail(QStringLiteral("groups reply of ") + n(p.body.size()) + QStringLiteral(" bytes: ") + s.error);
        return false;
    }
    m_groups = list.groups;
    return true;
}

// A packet of customers (more must come), or the QueryEnd that closes them.
bool Simulator::completesCustomers(const Packet &p, Outstanding &o, qint64 latencyUs)
{
    const bool byOperator = o.expect == Expect::OperatorCustomers;
    const qint32 data = byOperator ? ClientiOperatore : ClientiGruppo;
    if (p.header.code == data) {
        if (!expectCode(p, o, data))
            return false;
        if (const QString why = replycheck::checkCustomers(p, byOperator, o.group, o.op); !why.isEmpty()) {
            fail(QStringLiteral("request ") + n(o.id) + QStringLiteral(": ") + why);
            return false;
        }
        dialerbody::CustomerList list;
        dialerbody::decode(p.body, byOperator, list);
        for (const dialerbody::CustomerRecord &r : std::as_const(list.records)) {
            o.records << dialerbody::encode(r);
            o.received << fixedtext::pulisciStringa(r.contatore).toLongLong();
        }
        return false;
    }
    if (!expectCode(p, o, byOperator ? QueryEndOp : QueryEnd))
        return false;
    customersReceived(o, latencyUs);
    return true;
}

void Simulator::customersReceived(const Outstanding &o, qint64 latencyUs)
{
    // Only full answers measure the latency of a group request of that size.
    if (o.timed && o.received.size() == m_options.groupQuantity)
        m_stats.groupLatencyUs << latencyUs;
    if (o.timed && o.received.isEmpty())
        m_stats.emptyLatencyUs << latencyUs;
    m_stats.customers += o.received.size();
    for (qint64 customer : std::as_const(o.received))
        m_journal.received(customer, o.group, o.op);
    m_stats.received += o.received;
    if (o.outcomesAfter)
        m_pendingOutcomes += o.received;
    if (o.keep) {
        m_kept = o.records;
        m_keptIds = o.received;
    }
}

void Simulator::sendCustomers(bool byOperator, qint32 quantity, bool outcomes, bool keep)
{
    Outstanding o;
    o.expect = byOperator ? Expect::OperatorCustomers : Expect::Customers;
    o.keep = keep;
    o.outcomesAfter = outcomes && m_options.outcomes;
    o.timed = !byOperator && quantity == m_options.groupQuantity;
    o.group = m_group;
    if (byOperator) {
        m_operator = m_options.operators.value(m_round % std::max<qsizetype>(1, m_options.operators.size()));
        o.op = m_operator;
        send(QueryOp, dialerbody::encode(dialerbody::OperatorRequest{m_group, quantity, m_operator}), o);
    } else {
        send(RichiestaClientiGruppi, dialerbody::encode(dialerbody::CustomersRequest{{{m_group, quantity}}}), o);
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
    OutcomeRecord r;
    // The time of the call as "ddmmhhmm", as the dialer reports it.
    r.timeCall = QDateTime::currentDateTime().toString(QStringLiteral("ddMMhhmm")).toInt();
    r.code = code;
    r.operatore = QStringLiteral("simop");
    r.campagna = QStringLiteral("simcamp");
    r.calllist = QStringLiteral("simlist");
    r.customerId = n(customer);
    // Unique within the run, between simulators of different seeds, and
    // between runs on one database a second apart: each acknowledged outcome
    // can be looked for, and no earlier run's outcome is taken for a report
    // made again.
    r.progressive = static_cast<qint32>(m_progressiveBase + m_stats.requests);
    Outstanding o;
    o.expect = Expect::Outcome;
    o.progressive = r.progressive;
    o.customer = customer;
    o.body = r.encode();
    m_journal.givenBack(customer);
    send(Esito, o.body, o);
}

void Simulator::next()
{
    if (m_done || !m_outstanding.empty())
        return;
    const auto outcomesLeft = [&] {
        qint64 sent = m_stats.outcomesAcked;
        for (const Outstanding &o : m_outstanding)
            sent += o.expect == Expect::Outcome ? 1 : 0;
        sent += m_replays.size();
        return m_options.maxOutcomes <= 0 || sent < m_options.maxOutcomes;
    };
    if (timeUp() || !outcomesLeft()) {
        finish();
        return;
    }
    while (!m_replays.isEmpty() && m_batchCount < m_options.pipeline) {
        Outstanding o = m_replays.takeFirst();
        ++m_stats.replayed;
        const QByteArray body = o.body;
        send(Esito, body, std::move(o));
    }
    while (!m_pendingOutcomes.isEmpty() && m_batchCount < m_options.pipeline && outcomesLeft())
        sendOutcome(m_pendingOutcomes.takeFirst());
    // A batch of the round's requests, up to the first one that needs an
    // answer of the same batch.
    for (int guard = 0; m_batchCount == 0 || (m_batchCount < m_options.pipeline && guard < kPhases); ++guard) {
        const int phase = m_phase;
        if (++m_phase >= kPhases) {
            m_phase = 0;
            ++m_round;
        }
        if (!step(phase))
            continue;
        if (phase == 0 || phase == 4 || phase == kPhases - 1)
            break;
    }
    flush();
}

// Queues the request of `phase` in the current round; false when the round skips it.
bool Simulator::step(int phase)
{
    // The rounds each phase runs in: those where round % every == at.
    struct Cadence {
        int every;
        int at;
    };
    static constexpr Cadence kCadence[kPhases] = {{1, 0}, {1, 0}, {3, 1}, {3, 1}, {4, 2}, {4, 2}, {5, 3}, {5, 3}};
    if (m_options.customersOnly && phase > 1)
        return false;
    if (!m_options.releases && (phase == 3 || phase == 7))
        return false;
    if (phase < 0 || phase >= kPhases || m_round % kCadence[phase].every != kCadence[phase].at)
        return false;
    switch (phase) {
    case 0:
        send(RichiestaGruppi, {}, expecting(Expect::Groups));
        return true;
    case 1:
        m_group = m_options.group > 0 ? m_options.group : m_groups.value(m_round % std::max<qsizetype>(1, m_groups.size()));
        sendCustomers(false, m_options.groupQuantity, true, false);
        return true;
    case 2:
        sendCustomers(false, 5, false, false);
        return true;
    case 3:
        m_journal.groupReleased(m_group);
        send(FreeQueue, dialerbody::encode(dialerbody::GroupRelease{m_group}), expecting(Expect::Release));
        return true;
    case 4:
        sendCustomers(false, 2, false, true);
        return true;
    case 5:
        return refuseKept();
    case 6:
        sendCustomers(true, 9, true, false);
        return true;
    default:
        m_journal.operatorReleased(m_operator);
        send(FreeQueueOp, dialerbody::encode(dialerbody::OperatorRelease{0, m_operator}), expecting(Expect::OperatorRelease));
        return true;
    }
}

// The records kept from an earlier request refused, and the groups asked
// for behind them; false when none were kept.
bool Simulator::refuseKept()
{
    if (m_kept.isEmpty())
        return false;
    QByteArray body;
    appendInt32Le(body, qint32(m_kept.size()));
    for (const QByteArray &rec : std::as_const(m_kept))
        body += rec;
    m_stats.discarded += m_kept.size();
    m_kept.clear();
    for (qint64 customer : std::as_const(m_keptIds))
        m_journal.givenBack(customer);
    m_keptIds.clear();
    sendDiscard(body);
    send(RichiestaGruppi, {}, expecting(Expect::Groups)); // answered only after the discard was served
    return true;
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
    const auto ms = [](qint64 us) { return QString::number(us / 1000.0, 'f', 2); };
    return QStringLiteral("requests ") + n(s.requests) + QStringLiteral(", customers received ") + n(s.customers)
        + QStringLiteral(", outcomes acknowledged ") + n(s.outcomesAcked) + QStringLiteral(", releases ") + n(s.releases)
        + QStringLiteral(", discarded ") + n(s.discarded)
        + (m_options.unansweredMs > 0 ? QStringLiteral(", unanswered ") + n(s.unanswered) : QString()) + QStringLiteral("\ntime ") + QString::number(s.seconds, 'f', 1)
        + QStringLiteral(" s, outcomes/s ") + QString::number(s.outcomesAcked / secs, 'f', 1) + QStringLiteral(", customers/s ")
        + QString::number(s.customers / secs, 'f', 1) + QStringLiteral("\ngroup request (") + n(m_options.groupQuantity)
        + QStringLiteral(" customers) latency p50 ") + ms(percentile(s.groupLatencyUs, 50)) + QStringLiteral(" ms p99 ")
        + ms(percentile(s.groupLatencyUs, 99)) + QStringLiteral(" ms\noutcome latency p50 ")
        + ms(percentile(s.outcomeLatencyUs, 50)) + QStringLiteral(" ms p99 ") + ms(percentile(s.outcomeLatencyUs, 99))
        + QStringLiteral(" ms\nlargest write ") + n(s.largestWrite) + QStringLiteral(" requests, stalls ") + n(s.stalls)
        + (s.emptyLatencyUs.isEmpty() ? QString()
                                      : QStringLiteral("\nempty group answers ") + n(s.emptyLatencyUs.size()) + QStringLiteral(" p50 ")
                   + ms(percentile(s.emptyLatencyUs, 50)) + QStringLiteral(" ms p99 ") + ms(percentile(s.emptyLatencyUs, 99))
                   + QStringLiteral(" ms"))
        + (s.replayed > 0 ? QStringLiteral("\noutcomes reported again after a restart ") + n(s.replayed) : QString());
}

Simulator::Outstanding Simulator::expecting(Expect expect)
{
    Outstanding o;
    o.expect = expect;
    return o;
}
