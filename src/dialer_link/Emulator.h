#pragma once

#include <QByteArray>
#include <QObject>
#include <random>

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
    Emulator(Logger &log, MainModel &model, const Settings &settings, QObject *parent = nullptr);
    ~Emulator() override;

    void listen(quint16 port) override; // Ascolta3
    void provaEsito() override;         // "prova esito"
    bool isListening() const;
    bool isConnected() const;
    qint32 lastId() const { return m_id; }

    void inviaRichiestaGruppi();
    void inviaRichiestaClientiXGruppi();
    void inviaRichiestaClientiXOperatore();

Q_SIGNALS:
    // The customer packets received (operator mode or not), for DumpaClienti.
    void customersReceived(const QByteArray &body, bool byOperator, qint32 id);

private:
    void onNewConnection();
    void onDisconnected();
    void handle(const QByteArray &bytes);
    void send(qint32 code, qint32 reply, const QByteArray &body, const QStringList &lines);
    void list2(const QString &text, const QString &tag, qint32 id);

    Logger &m_log;
    MainModel &m_model;
    std::mt19937 m_random{std::random_device{}()}; // the test outcomes' customers and codes
    QTcpServer *m_server;
    wire::FramedReader m_reader; // its socket is the one emulated dialer
    QString m_peerAddress;
    qint32 m_id = 0;
    packet::RecordId m_lastRecord;
};
