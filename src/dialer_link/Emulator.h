#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>

#include "core/Ports.h"
#include "core/Severity.h"
#include "dialer_link/PacketFormat.h"
#include "wire/FramedReader.h"

class Logger;
class MainModel;
struct Settings;
class QTcpServer;

// The built-in dialer ("Simulazione"): listens on 127.0.0.1 at the port of
// the dialer link, accepts the program's own connection, asks for groups,
// then for customers per operator and per group, and lists what comes back
// in List2. One emulated dialer at a time.
class Emulator : public QObject, public EmulatorPort {
    Q_OBJECT
public:
    struct Hooks {
        // DumpaClienti for the customer packets received (operator mode or not).
        std::function<void(const QByteArray &body, bool byOperator, qint32 id)> dumpCustomers;
        // The 136-byte record of the test outcome.
        std::function<QByteArray()> testOutcome;
    };

    Emulator(Logger &log, MainModel &model, const Settings &settings, QObject *parent = nullptr);
    ~Emulator() override;

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    void listen(quint16 port) override; // Ascolta3
    void provaEsito() override;         // "prova esito"
    bool isListening() const;
    bool isConnected() const;
    qint32 lastId() const { return m_id; }

    void inviaRichiestaGruppi();
    void inviaRichiestaClientiXGruppi();
    void inviaRichiestaClientiXOperatore();

private:
    void onNewConnection();
    void onDisconnected();
    void handle(const QByteArray &bytes);
    void send(qint32 code, qint32 reply, const QByteArray &body, const QStringList &lines);
    void list2(const QString &text, const QString &tag, qint32 id);

    Logger &m_log;
    MainModel &m_model;
    Hooks m_hooks;
    QTcpServer *m_server;
    wire::FramedReader m_reader; // its socket is the one emulated dialer
    QString m_peerAddress;
    qint32 m_id = 0;
    packet::RecordId m_lastRecord;
};
