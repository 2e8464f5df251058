#pragma once

#include <QHash>
#include <QObject>
#include <QTimer>
#include <functional>

class QTcpServer;
class QTcpSocket;

// The metrics port ("MetricsPort", off unless set): "/metrics" in the
// Prometheus text format, "/diagnosi?gruppo=N" or "/diagnosi?operatore=X"
// as plain text. One request a connection, answered and closed; at most 16
// connections, each given 10 s, a request up to 8 KB.
class MetricsServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxConnections = 16;
    static constexpr int kIdleMs = 10000;
    static constexpr qsizetype kMaxRequest = 8 * 1024;

    struct Hooks {
        std::function<QByteArray()> metrics;
        // Lines for a group (byOperator false) or an operator.
        std::function<QStringList(bool byOperator, const QString &who)> diagnosis;
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

    bool listen(quint16 port);
    bool isListening() const;
    quint16 port() const;
    void close();
    int connections() const { return int(m_clients.size()); }

private:
    void onConnection();
    void onData(QTcpSocket *socket);
    QByteArray answer(const Request &request) const;
    void drop(QTcpSocket *socket);

    Hooks m_hooks;
    QTcpServer *m_server;
    struct Client {
        QByteArray request; // what it has sent so far
        bool answered = false; // the answer is on its way; the socket closes after it
    };
    // Every open connection, answered or not: the bound counts them all.
    QHash<QTcpSocket *, Client> m_clients;
};
