#pragma once

#include <QByteArray>
#include <map>

#include "dialer_link/PacketFormat.h"

class DebugFile;
class Logger;
class MainModel;

// One dialer request, as the services receive it.
struct DialerRequest {
    packet::Header header;
    packet::RecordId record;
    QByteArray body;
    bool operatorVariant = false; // the operator form of a shared service (discards)
};

// A service that answers dialer requests. A request whose body it cannot
// decode is refused: it has no database effect, and the dispatcher logs it,
// counts it as a data error and dumps it to DEBUG.TXT.
class DialerService {
public:
    virtual ~DialerService() = default;
    virtual wire::Status serve(const DialerRequest &request) = 0;
};

// The dispatch table: request code -> log text and service.
class Dispatcher {
public:
    enum class Service { Groups, CustomersPerGroup, Outcome, GroupQueueRelease, Discard, CustomersPerOperator, OperatorQueueRelease };

    Dispatcher(Logger &log, MainModel &model, const DebugFile &debug) : m_log(log), m_model(model), m_debug(debug) {}

    void setService(Service which, DialerService *service) { m_services[which] = service; }

    // Logs the request, hands it to its service and counts it; an unknown
    // code is counted as such and answered by nothing.
    void dispatch(const packet::Packet &p);

    struct Entry {
        const char *text;
        Service service;
        bool operatorVariant;
    };
    static const Entry *find(qint32 code);

private:
    void refuse(const packet::Packet &p, const wire::Status &why);

    Logger &m_log;
    MainModel &m_model;
    const DebugFile &m_debug;
    std::map<Service, DialerService *> m_services;
};
