#pragma once

#include <QObject>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>
#include <array>
#include <memory>

#include "console/ConsoleClock.h"
#include "console/ConsoleProcedures.h"
#include "console/PromptWaits.h"
#include "console/TelnetCodec.h"
#include "console/Vt100Screen.h"
#include "core/ObservableValue.h"
#include "core/Ports.h"

// frmTelnet, "Obel Telnet Client": the telnet link to the dialer's host,
// its VT100 screen, the status bar, the keys and the one-click procedures.
// The window, or the headless front end, is a view over it.
class TelnetConsole : public QObject, public ConsolePort, private ConsoleProcedures::Link {
    Q_OBJECT
public:
    static inline const QString kDefaultHost = QStringLiteral("tormix");
    static constexpr quint16 kDefaultPort = 23;
    static constexpr int kBlinkMs = 300;
    static constexpr qint64 kMaxPendingReplies = 64 * 1024; // a host that never reads gets no more
    static const QStringList &logKeywords(); // the "Log" menu's items

    // `clock`: the procedures' time (the event loop's when null).
    explicit TelnetConsole(QString host = kDefaultHost, ConsoleClock *clock = nullptr, QObject *parent = nullptr);
    ~TelnetConsole() override;

    // ConsolePort: the "&TELNET" menu.
    void show() override;
    void shutdown() override { unload(); }

    void unload(); // the window's close: the socket closed, nothing kept
    // mOpen, mClose.
    void open() override;
    void close();
    // mSettings' OK: an error text (the dialog stays open), or empty.
    QString applySettings(const QString &host, const QString &port);
    // A key typed (only while connected).
    void key(int qtKey, const QString &text, bool ctrl);
    // The procedure menus: "&quotrace" and "Trace Calling" say so in panel 4
    // first; a "Log" item shows its keyword there once it has run.
    void quoTrace();
    void traceCalling();
    void log(const QString &keyword);
    qint64 pendingBytes() const { return m_socket.bytesToWrite(); }
    qint64 receivedBytes() const { return m_received; }
    qint64 droppedBytes() const { return m_dropped; } // not sent: the host had stopped reading
    // Send: the text and CR LF.
    void send(const QString &text) override;

    const QString &host() const { return m_host; }
    quint16 port() const { return m_port; }
    bool connecting() const { return m_connecting; }
    bool isConnected() const override { return m_connected; }
    const Vt100Screen &screen() const { return m_screen; }
    TelnetCodec &codec() { return m_codec; }
    ConsoleProcedures &procedures() { return m_procedures; }
    PromptWaits &waits() { return m_waits; }

    FlagValue loaded;     // the window is open
    FlagValue cursorShown; // the blinking cursor
    std::array<TextValue *, 4> panels{}; // status bar: state, remote, local, message

Q_SIGNALS:
    void screenChanged();
    void raiseRequested();

private:
    QDateTime time() const override { return QDateTime::currentDateTime(); }
    void onConnected();
    void onClosed();
    void onError(QAbstractSocket::SocketError error);
    void onData();
    void write(const QByteArray &bytes);
    void dropSocket(); // closed without the close event's texts

    QString m_defaultHost; // the host at every load of the console
    QString m_host;
    quint16 m_port = kDefaultPort;
    qint64 m_received = 0;
    qint64 m_dropped = 0;
    bool m_errorShown = false; // panel 4 holds a socket error the close must not hide
    bool m_connecting = false;
    bool m_connected = false;
    std::unique_ptr<ConsoleClock> m_ownClock;
    ConsoleClock &m_clock;
    TelnetCodec m_codec;
    Vt100Screen m_screen;
    QTcpSocket m_socket;
    PromptWaits m_waits;
    ConsoleProcedures m_procedures;
    QTimer m_blink;
};
