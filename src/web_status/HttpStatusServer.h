#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "web_status/HttpRequestReader.h"
#include "web_status/StatusPage.h"

class QHostAddress;
class QTcpServer;
class QTcpSocket;

// The status page over HTTP/1.0: a request whose text holds "ct_monitor"
// (case-sensitive, anywhere) gets the page, any other is closed unanswered.
// Each browser has its own connection, kept open after the answer; at most
// 32 at once (the least recently active makes room), idle ones closed after
// 30 s, a request gathered up to its empty line or 8 KB. Answers go to the
// system as they are made; once 1 MB waits unsent, the browser's further
// requests wait in its connection until it reads, and one that reads
// nothing for the idle time is let go (what it left unread counted).
class HttpStatusServer : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kPort = 8001;
    static constexpr int kMaxConnections = 32;
    static constexpr int kIdleMs = 30000;
    static constexpr qsizetype kMaxRequest = HttpRequestReader::kMaxRequest;
    static constexpr qint64 kMaxPending = 1024 * 1024; // answers not yet read by the browser
    static constexpr qint64 kReadBuffer = 64 * 1024;   // requests taken ahead of their answers

    // Who makes the pages.
    class Pages {
    public:
        virtual ~Pages() = default;
        // The page for a request, ANSI; empty when there is none to give.
        virtual QByteArray page(const statuspage::Peer &peer) = 0;
    };

    explicit HttpStatusServer(Pages &pages, QObject *parent = nullptr);
    ~HttpStatusServer() override;

    // False (and one log line) when the port cannot be had.
    bool listen(quint16 port);
    bool isListening() const;
    quint16 port() const;
    int connections() const { return int(m_clients.size()); }
    // How long a connection may stay silent (30 s; shorter in tests).
    void setIdleMs(int ms) { m_idleMs = ms; }
    // The connection last served, for the pages written to disk.
    const statuspage::Peer &lastPeer() const { return m_lastPeer; }
    // Answer bytes thrown away with browsers that stopped reading.
    qint64 unreadBytes() const { return m_unread; }

    // The whole answer to a page: status line, headers, body.
    static QByteArray response(const QByteArray &body);


Q_SIGNALS:
    // A line for List2.
    void said(const QString &line);

private:
    struct Client {
        HttpRequestReader reader;
        QElapsedTimer active; // since it last sent or read
        bool waiting = false; // its answers pile up: no request served until it reads
    };

    void onConnection();
    void onData(QTcpSocket *socket);
    void onWritten(QTcpSocket *socket);
    // One whole request; false when the connection was closed.
    bool serve(QTcpSocket *socket, const QByteArray &request);
    static QString plainAddress(const QHostAddress &address);
    void drop(QTcpSocket *socket);
    void closeGracefully(QTcpSocket *socket);
    void closeIdle();
    void makeRoom();
    static statuspage::Peer peerOf(const QTcpSocket &socket);

    Pages &m_pages;
    QTcpServer *m_server;
    QHash<QTcpSocket *, Client> m_clients;
    QTimer m_idle;
    statuspage::Peer m_lastPeer;
    int m_idleMs = kIdleMs;
    qint64 m_unread = 0;
};
