#include "console/TelnetConsole.h"

#include "console/KeyMap.h"
#include "platform/NetworkInfo.h"
#include "wire/AnsiCodec.h"

const QStringList &TelnetConsole::logKeywords()
{
    static const QStringList keywords{
        QStringLiteral("TEST"),          QStringLiteral("TESTCALL"),      QStringLiteral("TESTPD"),
        QStringLiteral("TESTOUT"),       QStringLiteral("TESTESI"),       QStringLiteral("APPOUT"),
        QStringLiteral("APPESI"),        QStringLiteral("TESTOPER"),      QStringLiteral("TESTCODAOP"),
        QStringLiteral("CALLS"),         QStringLiteral("SURPLUS"),       QStringLiteral("GRPREQUEST_DB"),
        QStringLiteral("GRPACQUIRE_DB"), QStringLiteral("APPREQUEST_DB"), QStringLiteral("APPACQUIRE_DB"),
        QStringLiteral("DISCARD_QUERY"), QStringLiteral("WARNING MORE_OP"), QStringLiteral("INTCALL"),
        QStringLiteral("NON_IMPOSTATO"), QStringLiteral("TESTAPPU"),      QStringLiteral("TIMEQRY")};
    return keywords;
}

TelnetConsole::TelnetConsole(QString host, ConsoleClock *clock, QObject *parent)
    : QObject(parent),
      m_defaultHost(host.isEmpty() ? kDefaultHost : std::move(host)),
      m_host(m_defaultHost),
      m_ownClock(clock ? nullptr : new LoopClock),
      m_clock(clock ? *clock : *m_ownClock),
      m_waits(m_screen, m_clock),
      m_procedures(*this, m_waits)
{
    for (TextValue *&p : panels)
        p = new TextValue(QString(), QString(), this);
    loaded.setParent(this);
    cursorShown.setParent(this);
    m_blink.setInterval(kBlinkMs);
    connect(&m_blink, &QTimer::timeout, this, [this] { cursorShown.set(!cursorShown.value()); });
    connect(&m_socket, &QTcpSocket::connected, this, &TelnetConsole::onConnected);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TelnetConsole::onClosed);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TelnetConsole::onError);
    connect(&m_socket, &QTcpSocket::readyRead, this, &TelnetConsole::onData);
    // A "Log" item's keyword is shown once its procedure has run.
    connect(&m_procedures, &ConsoleProcedures::finished, this, [this](const QString &name) {
        if (logKeywords().contains(name))
            panels[3]->setText(name);
    });
}

TelnetConsole::~TelnetConsole()
{
    m_socket.disconnect(this);
}

void TelnetConsole::show()
{
    if (!loaded.value()) {
        // Form load: the default host and port again, the emulation set
        // up, the local address shown.
        m_host = m_defaultHost;
        m_port = kDefaultPort;
        m_screen.reset();
        panels[2]->setText(platform::localAddress());
        m_blink.start();
        loaded.set(true);
    }
    Q_EMIT raiseRequested();
}

void TelnetConsole::dropSocket()
{
    const QSignalBlocker quiet(&m_socket);
    m_socket.abort();
    m_connecting = m_connected = false;
}

void TelnetConsole::unload()
{
    m_procedures.cancel();
    dropSocket();
    m_blink.stop();
    loaded.set(false);
}

void TelnetConsole::open()
{
    if (m_connecting)
        return;
    m_connecting = true;
    m_errorShown = false;
    {
        const QSignalBlocker quiet(&m_socket); // an old connection goes without its close texts
        m_socket.abort();
    }
    m_socket.connectToHost(m_host, m_port);
    m_screen.reset();
    m_waits.screenChanged();
    Q_EMIT screenChanged();
    panels[3]->setText(QStringLiteral("Connecting to Remote Host"));
}

void TelnetConsole::onConnected()
{
    m_codec.connected();
    write(TelnetCodec::opening());
    m_connected = true;
    panels[0]->setText(QStringLiteral("Connected"));
    panels[2]->setText(m_socket.localAddress().toString());
    panels[1]->setText(m_socket.peerAddress().toString());
    panels[3]->setText(QStringLiteral("Connection Accepted By Remote Host"));
}

void TelnetConsole::onClosed()
{
    panels[0]->setText(QStringLiteral("Closed"));
    panels[2]->setText(platform::localAddress());
    panels[1]->setText(QString());
    if (!m_errorShown)
        panels[3]->setText(QStringLiteral("Connection Reset"));
    dropSocket();
}

void TelnetConsole::close()
{
    m_procedures.cancel();
    m_errorShown = false;
    onClosed();
}

void TelnetConsole::onError(QAbstractSocket::SocketError error)
{
    if (error == QAbstractSocket::RemoteHostClosedError)
        return; // the close event says it
    panels[3]->setText(QString::number(int(error)) + QStringLiteral(" - ") + m_socket.errorString());
    m_errorShown = true;
    m_connecting = m_connected = false;
}

void TelnetConsole::write(const QByteArray &bytes)
{
    if (bytes.isEmpty() || m_socket.state() != QAbstractSocket::ConnectedState)
        return;
    // What waits in this socket is what the system would not take yet:
    // handed over first, it is the host's reading that bounds the rest.
    if (m_socket.bytesToWrite() + bytes.size() > kMaxPendingReplies)
        m_socket.flush();
    if (m_socket.bytesToWrite() + bytes.size() > kMaxPendingReplies) {
        m_dropped += bytes.size(); // the host has stopped reading: what it asks now is not answered
        return;
    }
    m_socket.write(bytes);
}

void TelnetConsole::onData()
{
    TelnetCodec::Output out;
    const QByteArray bytes = m_socket.readAll();
    m_received += bytes.size();
    m_codec.feed(bytes, out);
    m_screen.feed(out.data);
    // Answer by answer: a host that stops reading loses only the answers
    // beyond the bound, never one cut in half.
    qsizetype from = 0;
    for (const qsizetype end : std::as_const(out.ends)) {
        write(out.reply.mid(from, end - from));
        from = end;
    }
    m_waits.screenChanged();
    Q_EMIT screenChanged();
}

namespace {
// Telnet data: a 255 of the text goes as two, or the host would take a command.
QByteArray escaped(QByteArray bytes)
{
    return bytes.replace("\xff", "\xff\xff");
}
} // namespace

void TelnetConsole::send(const QString &text)
{
    write(escaped(ansi::encode(text)) + "\r\n");
}

void TelnetConsole::key(int qtKey, const QString &text, bool ctrl)
{
    if (!m_connected)
        return;
    write(escaped(keymap::bytesFor(qtKey, text, ctrl)));
}

void TelnetConsole::quoTrace()
{
    panels[3]->setText(QStringLiteral("QUOTRACE"));
    m_procedures.workQuoTrace();
}

void TelnetConsole::traceCalling()
{
    panels[3]->setText(QStringLiteral("CALLING"));
    m_procedures.traceCalling();
}

void TelnetConsole::log(const QString &keyword)
{
    m_procedures.workLog(keyword);
}

QString TelnetConsole::applySettings(const QString &host, const QString &port)
{
    bool ok = false;
    const int p = port.trimmed().toInt(&ok);
    if (!ok || p < 1 || p > 65535)
        return QStringLiteral("Porta non valida: ") + port;
    if (host.trimmed().isEmpty())
        return QStringLiteral("Indirizzo mancante");
    m_procedures.cancel();
    dropSocket();
    m_host = host.trimmed();
    m_port = quint16(p);
    return {};
}
