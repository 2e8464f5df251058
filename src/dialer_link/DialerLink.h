#pragma once

#include <QObject>
#include <QTimer>

#include "core/Ports.h"
#include "dialer_link/Dispatcher.h"
#include "dialer_link/PacketWriter.h"
#include "dialer_link/RequestReader.h"
#include "wire/LinkSocket.h"

class DebugFile;
class Logger;
class MainModel;
struct RunClock;
struct Settings;

// The session with the dialer server: connect and DBOK, the receive loop
// (RequestReader) into the dispatcher, the error handler, DBDOWN and close.
// The services answer through the writer.
//
// Requests are served one at a time, in stream order, and the next one is
// read only when the reply to the previous one has been handed to the
// system, so an acknowledgement is never lost behind a request served
// ahead of it.
class DialerLink : public QObject, public DialerLinkPort {
    Q_OBJECT
public:
    DialerLink(Logger &log, MainModel &model, RunClock &clock, const DebugFile &debug, const Settings &settings,
               bool fast, QObject *parent = nullptr);

    Dispatcher &dispatcher() { return m_dispatcher; }
    LinkSocket &socket() { return m_reader.socket(); }
    PacketWriter &writer() { return m_writer; }
    RequestReader &reader() { return m_reader; }

    int state() const override { return m_reader.socket().state(); }
    void connectTo(const QString &host, quint16 port) override;
    void close() override;
    void sendDbOk() override;
    void sendDbDown() override;

Q_SIGNALS:
    // Connected, before DBOK.
    void connected();
    // DBOK has gone out on a new connection.
    void greeted();
    // An error the operator is shown in a box, at diagnostic level "1".
    void errorToShow(const QString &text);

private:
    void sendHeaderOnly(qint32 code, const QString &logText);
    void onConnected();
    void onError(const LinkSocket::Error &error);
    void onBytesWritten(qint64 bytes);

    Logger &m_log;
    MainModel &m_model;
    RunClock &m_clock;
    const DebugFile &m_debug;
    RequestReader m_reader; // owns the socket, which the writer shares
    PacketWriter m_writer;
    Dispatcher m_dispatcher;
};
