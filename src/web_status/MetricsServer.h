#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <functional>

#include "web_status/HttpRequestReader.h"

class QTcpServer;
class QTcpSocket;

// The metrics port ("MetricsPort", off unless set; on the loopback address
// unless "MetricsIp" names another): "/metrics" in the Prometheus text
// format, "/diagnosi?gruppo=N" or "/diagnosi?operatore=X" as plain text.
// One request a connection, answered and closed; at most 16 connections,
// each given 10 s, a request up to 8 KB.
class MetricsServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxConnections = 16;
    static constexpr int kIdleMs = 10000;
    static constexpr qsizetype kMaxRequest = HttpRequestReader::kMaxRequest;

    // The lines of a diagnosis, handed over when they are ready.
    using Lines = std::function<void(const QStringList &lines)>;
    struct Hooks {
        std::function<QByteArray()> metrics;
        // Asks for the lines of a group (byOperator false) or an operator;
        // `answer` may come at once or later. False when too many wait.
        std::function<bool(bool byOperator, const QString &who, Lines answer)> diagnosis;
    };

    // What a request asks for.
    struct Request {
        enum class Kind { Metrics, Diagnosis, Index, NotFound, BadMethod, Malformed } kind = Kind::Malformed;
        bool byOperator = false;
        QString who;
    };
    // `head`: the request line and headers, up to the empty line.
    static Request parse(const QByteArray &head);
    // The whole answer, status line to body.
    static QByteArray response(int status, const QByteArray &contentType, const QByteArray &body);

    explicit MetricsServer(Hooks hooks, QObject *parent = nullptr);
    ~MetricsServer() override;

    bool listen(const QHostAddress &address, quint16 port);
    bool isListening() const;
    QHostAddress address() const;
    quint16 port() const;
    QString errorString() const;
    void close();
    int connections() const { return int(m_clients.size()); }

private:
    void onConnection();
    void onData(QTcpSocket *socket);
    QByteArray answer(const Request &request) const;
    void diagnose(QTcpSocket *socket, const Request &request, bool headOnly);
    void send(QTcpSocket *socket, QByteArray out, bool headOnly);
    void drop(QTcpSocket *socket);

    Hooks m_hooks;
    QTcpServer *m_server;
    struct Client {
        HttpRequestReader reader;
        bool answered = false; // its request is read: the answer comes, then the socket closes
    };
    // Every open connection, answered or not: the bound counts them all.
    QHash<QTcpSocket *, Client> m_clients;
};
