#include "dialer_link/Emulator.h"

#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_link/OutcomeRecord.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {
const QString kTx = QStringLiteral("TX");
const QString kRx = QStringLiteral("RX");
const QString kLocal = QStringLiteral("127.0.0.1");
constexpr qint32 kGroupsReply = 12001;
} // namespace

Emulator::Emulator(Logger &log, MainModel &model, const Settings &settings, QObject *parent)
    : QObject(parent),
      m_log(log),
      m_model(model),
      m_server(new QTcpServer(this)),
      m_reader({{packet::kHeaderOnlyTotlen, packet::kMaxPacketLength}, wire::BadLength::Drain, {},
                [&settings] { return settings.packetTimeoutMs(); }},
               QStringLiteral("Winsock3"))
{
    connect(m_server, &QTcpServer::newConnection, this, &Emulator::onNewConnection);
    connect(&m_reader.socket(), &LinkSocket::disconnected, this, &Emulator::onDisconnected);
    connect(&m_reader, &wire::FramedReader::packetReady, this, &Emulator::handle);
    connect(&m_reader, &wire::FramedReader::badLength, this, [this](qint32 length, qint64, bool timedOut) {
        if (!timedOut)
            list2(QStringLiteral("PROBLEMA PacketLen=") + QString::number(length), kRx, 0);
    });
    // Whatever came of a packet that did not come whole in time is taken as it is.
    connect(&m_reader, &wire::FramedReader::drained, this, [this](const QByteArray &partial, bool timedOut) {
        if (!timedOut || partial.size() < packet::kHeaderSize)
            return;
        list2(QStringLiteral("TimeOut in DataArrival"), kRx, 0);
        handle(partial);
    });
}

Emulator::~Emulator() = default;

bool Emulator::isListening() const
{
    return m_server->isListening();
}

bool Emulator::isConnected() const
{
    return m_reader.socket().isConnected();
}

void Emulator::list2(const QString &text, const QString &tag, qint32 id)
{
    m_log.scriviLog(text, Logger::List2, tag, id);
}

void Emulator::listen(quint16 port)
{
    m_reader.socket().abort();
    m_server->close();
    m_reader.reset();
    m_log.aggiungiList2(QStringLiteral("In ascolto su 127.0.0.1:") + m_model.serverPort.text());
    if (!m_server->listen(QHostAddress(kLocal), port))
        m_log.aggiungiList2(QStringLiteral("Ascolto non riuscito: ") + m_server->errorString(), Severity::Error);
}

void Emulator::onNewConnection()
{
    QTcpSocket *socket = m_server->nextPendingConnection();
    if (!socket)
        return;
    // The listener becomes the connection: one emulated dialer at a time.
    m_server->close();
    m_reader.socket().adopt(socket);
    m_peerAddress = m_reader.socket().peerName();
    m_log.aggiungiList2(m_peerAddress + QStringLiteral(" Connesso"));
    inviaRichiestaGruppi();
}

void Emulator::onDisconnected()
{
    m_reader.socket().abort();
    m_reader.reset();
    m_log.aggiungiList2(m_peerAddress + QStringLiteral(" disconnesso"));
    if (m_model.emula.value())
        listen(static_cast<quint16>(textformats::leadingInteger(m_model.serverPort.text())));
}

void Emulator::send(qint32 code, qint32 reply, const QByteArray &body, const QStringList &lines)
{
    const packet::RecordId record{++m_id, kLocal.leftJustified(packet::kContactSize, QLatin1Char(' '))};
    for (const QString &line : lines)
        list2(line, kTx, record.id);
    if (!isConnected()) {
        m_log.scriviLog(QStringLiteral("Socket non connessa"), Logger::List2);
        return;
    }
    m_reader.socket().write(packet::encodePacket(packet::requestHeader(code, int(body.size()), reply), record, body));
}

void Emulator::inviaRichiestaGruppi()
{
    send(packet::RichiestaGruppi, kGroupsReply, {}, {QStringLiteral("Invio ") + QString::number(packet::RichiestaGruppi)});
}

void Emulator::inviaRichiestaClientiXGruppi()
{
    const QByteArray body = dialerbody::encode(dialerbody::CustomersRequest{{{1, 100}, {2, 50}}});
    send(packet::RichiestaClientiGruppi, m_reader.socket().localPort(), body,
         {QString::number(packet::RichiestaClientiGruppi), QStringLiteral("Invio richiesta Clienti x gruppi (1=100,2=50)")});
}

void Emulator::inviaRichiestaClientiXOperatore()
{
    const QByteArray body = dialerbody::encode(dialerbody::OperatorRequest{1, 10, QStringLiteral("140")});
    send(packet::QueryOp, m_reader.socket().localPort(), body,
         {QString::number(packet::QueryOp), QStringLiteral("Invio richiesta Clienti x Operatore 140")});
}

void Emulator::provaEsito()
{
    const QByteArray record = OutcomeRecord::test(QDateTime::currentDateTime(), m_random).encode();
    send(packet::Esito, static_cast<qint32>(m_model.serverPort.text().toInt()), record,
         {QString::number(packet::Esito), QStringLiteral("Invio Esito")});
}

void Emulator::handle(const QByteArray &bytes)
{
    packet::Header h;
    if (!packet::decodeHeader(bytes, h).ok())
        return;
    // A header-only packet keeps the identification record of the last one.
    packet::RecordId record;
    if (packet::decodeRecordId(bytes, record, packet::kHeaderSize).ok())
        m_lastRecord = record;
    const packet::RecordId r = m_lastRecord;
    const QByteArray body = bytes.mid(packet::kPrefixSize, packet::kBodyBufferSize);
    list2(QString::number(h.code), kRx, r.id);
    switch (h.code) {
    case packet::PacchettoGruppi:
        list2(QStringLiteral("Ricevuti gruppi"), kRx, r.id);
        inviaRichiestaClientiXOperatore();
        inviaRichiestaClientiXGruppi();
        break;
    case packet::QueryEnd:
        list2(QStringLiteral("Ricevuto QueryEND"), kRx, r.id);
        break;
    case packet::ClientiGruppo:
        list2(QStringLiteral("Ricevuti Clienti x Gruppo"), kRx, r.id);
        Q_EMIT customersReceived(body, false, r.id);
        break;
    case packet::AckEsito:
        list2(QStringLiteral("Ricevuti ACK ESITO"), kRx, r.id);
        break;
    case packet::DbOk:
        list2(QStringLiteral("Ricevuto DBOK"), kRx, r.id);
        break;
    case packet::QueryEndOp:
        list2(QStringLiteral("Ricevuto QueryEND_OP"), kRx, r.id);
        break;
    case packet::ClientiOperatore:
        list2(QStringLiteral("Ricevuti Clienti x Operatore"), kRx, r.id);
        Q_EMIT customersReceived(body, true, r.id);
        break;
    default:
        list2(QStringLiteral("MSG SCONOSCIUTO"), kRx, r.id);
        break;
    }
}
