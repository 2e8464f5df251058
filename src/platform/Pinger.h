#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QSocketNotifier;

namespace platform {

// One ICMP echo at a time, without an external program and without
// blocking: an unprivileged ICMP datagram socket where the system allows
// it, else a raw socket, else the answer "not permitted". Replies are
// matched by type, identifier and sequence, so a raw socket on loopback
// does not take its own request for the answer; an ICMP error that quotes
// our request (destination unreachable, time exceeded) ends the ping at
// once with the echo service's status for it.
class Pinger : public QObject {
    Q_OBJECT
public:
    enum class Kind { Any, Datagram, Raw };
    // Statuses as the echo service numbered them, and two of its own.
    static constexpr int kSuccess = 0;
    static constexpr int kBadAddress = -1;
    static constexpr int kNotPermitted = -2;
    static constexpr int kTimedOut = 11010;
    static constexpr int kGeneralFailure = 11050;

    struct Result {
        int status = kGeneralFailure;
        int rttMs = 0;
        int dataSize = 0;
        Kind kind = Kind::Any; // the socket that was used
    };

    explicit Pinger(QObject *parent = nullptr);
    ~Pinger() override;

    // False (and no signal) while a ping is under way.
    bool ping(const QString &address, const QByteArray &data, int timeoutMs, Kind kind = Kind::Any);
    bool busy() const { return m_fd != -1; }

    // Whether this process may open a socket of `kind` now.
    static bool permitted(Kind kind);

    // What a socket of `kind` received: the size of the echo data when it is
    // the reply to request `id`/`sequence` (a datagram socket's identifier is
    // the kernel's, so only the sequence tells there), else -1.
    static int replyDataSize(const char *bytes, qsizetype size, Kind kind, quint16 id, quint16 sequence);
    // An echo request as sent, checksum included.
    static QByteArray echoRequest(quint16 id, quint16 sequence, const QByteArray &data);

    // The echo service's status for an ICMP error of `type` and `code`:
    // destination unreachable 11002 (net), 11003 (host), 11004 (protocol),
    // 11005 (port), 11009 (too big), 11012 (route); time exceeded 11013,
    // 11014; parameter problem 11015; source quench 11016; else 0.
    static int errorStatus(quint8 type, quint8 code);
    // Whether `echo` (the first bytes of a request, as an error quotes them)
    // is request `id`/`sequence` (only the sequence on a datagram socket).
    static bool isOurRequest(const char *echo, qsizetype size, Kind kind, quint16 id, quint16 sequence);
    // What a socket of `kind` received, when it is an ICMP error about
    // request `id`/`sequence` to `target`: its status, else 0. The error
    // quotes our IP header (protocol, destination) and our echo's first 8 bytes.
    static int quotedErrorStatus(const char *bytes, qsizetype size, Kind kind, quint16 id, quint16 sequence, quint32 target);

Q_SIGNALS:
    void finished(const platform::Pinger::Result &result);

private:
    void onReadable();
    int readErrorQueue();
    void finish(int status, int dataSize = 0);
    static int open(Kind kind, Kind &used);
    void closeSocket();

    int m_fd = -1;
    Kind m_kind = Kind::Any;
    QPointer<QSocketNotifier> m_notifier;
    QTimer m_timeout;
    quint16 m_id = 0;
    quint16 m_sequence = 0;
    quint32 m_target = 0;
    qint64 m_sentNs = 0;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::Pinger::Result)
