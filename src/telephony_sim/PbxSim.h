#pragma once

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <random>

class QTcpServer;
class QTcpSocket;

// Plays the exchange's line monitor on 127.0.0.1: on connection the state
// of every external line (52000), then a seeded random walk of line
// changes (52001), now and then an extension's record and a call message
// (52002) putting an extension on a line. On request some packets come
// after a bad length or with an unknown code.
class PbxSim : public QObject {
    Q_OBJECT
public:
    struct Options {
        quint16 port = 0;
        int lines = 120;       // 401 onwards, at most 199
        int extensions = 40;   // callers 101 onwards
        int rate = 10;         // line changes a second
        int callEvery = 4;     // one call message every n changes
        quint32 seed = 1;
        int badLengthEvery = 0;
        int unknownCodeEvery = 0;
    };

    // The states the walk uses: the named ones.
    static const QList<int> &states();

    explicit PbxSim(Options options, QObject *parent = nullptr);

    bool listen();
    quint16 port() const;
    bool connected() const;
    void stop();
    // Every line's state again, in one 52000.
    void resend();

    // The last state sent for each line.
    const QMap<int, int> &lineStates() const { return m_states; }
    // "IN LINEA" messages sent for each extension (those that count a call).
    const QMap<int, int> &callsCounted() const { return m_calls; }
    qint64 packets() const { return m_packets; }

Q_SIGNALS:
    void connectedChanged(bool connected);

private:
    void onConnection();
    void step();
    void send(const QByteArray &packet);
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    Options m_options;
    QTcpServer *m_server;
    QPointer<QTcpSocket> m_socket;
    QMap<int, int> m_states;
    QMap<int, int> m_calls;
    QTimer m_tick;
    std::mt19937 m_random;
    double m_credit = 0;
    qint64 m_packets = 0;
    qint64 m_changes = 0;
};
