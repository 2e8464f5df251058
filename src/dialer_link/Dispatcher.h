#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <map>

#include "dialer_link/PacketFormat.h"

class DebugFile;
class Logger;
class MainModel;
class PacketWriter;

// One dialer request, as the services receive it.
struct DialerRequest {
    packet::Header header;
    packet::RecordId record;
    QByteArray body;
};

// Hands each request to the handler of its code, logged with the code's
// text and counted. A request whose body its handler cannot decode is
// refused: it has no database effect, and the dispatcher logs it, counts it
// as a data error and dumps it to DEBUG.TXT. The handlers are routed by
// whoever puts the program together.
class Dispatcher : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<wire::Status(const DialerRequest &request)>;

    Dispatcher(Logger &log, MainModel &model, const DebugFile &debug, const PacketWriter *writer = nullptr,
               QObject *parent = nullptr);

    void route(qint32 code, Handler handler) { m_handlers[code] = std::move(handler); }

    // Logs the request, hands it to its handler and counts it; an unknown
    // code is counted as such and answered by nothing.
    void dispatch(const packet::Packet &p);
    // Identification record of the last request received.
    packet::RecordId lastReceived() const { return m_lastReceived; }
    // The request in hand has its replies with the system: its time is measured.
    void requestServed();
    // A request cut off by the link is not timed.
    void forget() { m_servingSince.invalidate(); }

    // The line a request code is logged with; null for a code not in the table.
    static const char *textOf(qint32 code);

private:
    void refuse(const packet::Packet &p, const wire::Status &why);
    void startTiming(qint32 code);

    Logger &m_log;
    MainModel &m_model;
    const DebugFile &m_debug;
    const PacketWriter *m_writer;
    std::map<qint32, Handler> m_handlers;
    packet::RecordId m_lastReceived;
    qint32 m_serving = 0;
    QElapsedTimer m_servingSince; // invalid while no request is in hand
};
