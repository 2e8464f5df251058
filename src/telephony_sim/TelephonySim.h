#pragma once

#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <random>

#include "telephony_sim/SimBytes.h"
#include "wire/FramedReader.h"

class QTcpServer;
class QTcpSocket;

// Plays the telephony server on 127.0.0.1: the monitor server (configuration,
// then a seeded random walk of extension and group changes at a chosen
// rate) and the operator server (it applies the commands it receives and
// reports the change on the monitor link). On request it injects faults:
// packets split in pieces, bad lengths, unknown codes, dropped connections.
class TelephonySim : public QObject {
    Q_OBJECT
public:
    struct Options {
        quint16 monitorPort = 0;
        quint16 operatorPort = 0;
        int extensions = 40;        // 101 onwards, at most 200
        int groups = 6;
        int extensionRate = 20;     // extension changes a second
        int groupRate = 5;          // group changes a second
        int seconds = 0;            // 0: until stopped
        quint32 seed = 1;
        bool split = false;         // write each packet in random pieces
        int badLengthEvery = 0;     // every n-th packet preceded by a bad length
        int unknownCodeEvery = 0;   // every n-th packet preceded by an unknown code
        int disconnectEverySeconds = 0;
    };

    struct Stats {
        qint64 packets = 0;
        qint64 extensionRecords = 0;
        qint64 groupRecords = 0;
        qint64 commands = 0;
        qint64 faults = 0;
        qint64 connections = 0;
    };

    explicit TelephonySim(Options options, QObject *parent = nullptr);

    bool listen();
    quint16 monitorPort() const;
    quint16 operatorPort() const;
    const Stats &stats() const { return m_stats; }
    // The last state sent for every extension.
    const QMap<int, simbytes::Extension> &extensions() const { return m_extensions; }
    const QList<simbytes::Command> &commands() const { return m_commands; }
    bool monitorConnected() const;
    void stop();
    // The whole state again, without faults: what a run's last word was.
    void resend();

Q_SIGNALS:
    void finished();
    void monitorConnectedChanged(bool connected);
    void commandApplied(const simbytes::Command &command);

private:
    void onMonitorConnection();
    void onOperatorConnection();
    void onCommand(const QByteArray &framed);
    void sendConfiguration();
    void step();
    void changeExtension();
    void changeGroup();
    void apply(const simbytes::Command &c);
    void send(const QByteArray &packet);
    void write(const QByteArray &bytes);
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    Options m_options;
    Stats m_stats;
    QTcpServer *m_monitorServer;
    QTcpServer *m_operatorServer;
    QPointer<QTcpSocket> m_monitor;
    wire::FramedReader m_operator; // its socket is the program's operator-server link
    QMap<int, simbytes::Extension> m_extensions;
    QMap<int, simbytes::Group> m_groups;
    QList<simbytes::Command> m_commands;
    QTimer m_tick;
    QTimer m_disconnect;
    QElapsedTimer m_run;
    std::mt19937 m_random;
    double m_extensionCredit = 0;
    double m_groupCredit = 0;
    int m_ticks = 0;
    bool m_stopped = false; // a reconnection after the end gets the state, not more changes
};
