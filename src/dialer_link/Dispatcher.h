#pragma once

#include <QByteArray>
#include <map>

#include "dialer_link/PacketFormat.h"

class Logger;
class MainModel;

// One dialer request, as the services receive it.
struct DialerRequest {
    packet::Header header;
    packet::RecordId record;
    QByteArray body;
    bool operatorVariant = false; // the operator form of a shared service (discards)
};

// A service that answers dialer requests.
class DialerService {
public:
    virtual ~DialerService() = default;
    virtual void serve(const DialerRequest &request) = 0;
};

// The dispatch table: request code -> log text and service.
class Dispatcher {
public:
    enum class Service { Groups, CustomersPerGroup, Outcome, GroupQueueRelease, Discard, CustomersPerOperator, OperatorQueueRelease };

    Dispatcher(Logger &log, MainModel &model) : m_log(log), m_model(model) {}

    void setService(Service which, DialerService *service) { m_services[which] = service; }

    // Logs the request, hands it to its service and counts it; an unknown
    // code is counted as such and answered by nothing.
    void dispatch(const packet::Header &h, const packet::RecordId &r, const QByteArray &body);

    struct Entry {
        const char *text;
        Service service;
        bool operatorVariant;
    };
    static const Entry *find(qint32 code);

private:
    Logger &m_log;
    MainModel &m_model;
    std::map<Service, DialerService *> m_services;
};
