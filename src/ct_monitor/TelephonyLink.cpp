#include "ct_monitor/TelephonyLink.h"

#include "core/Logger.h"
#include "core/Settings.h"
#include "ct_monitor/TelephonyFormat.h"

TelephonyLink::TelephonyLink(Logger &log, const DebugFile &debug, const Settings &settings, wire::BadLength badLength,
                             const QString &socketName, const QString &linkName, QObject *parent)
    : QObject(parent), m_log(log), m_debug(debug), m_settings(settings), m_reader(policy(badLength), socketName),
      m_reconnector(m_reader.socket(), linkName)
{
    connect(&m_reconnector, &wire::Reconnector::said, this,
            [this](const QString &line, bool down) { this->log(line, down ? Severity::Warning : Severity::Info); });
}

wire::ReadPolicy TelephonyLink::policy(wire::BadLength badLength) const
{
    const auto timeoutMs = [&settings = m_settings] { return settings.packetTimeoutMs(); };
    if (badLength == wire::BadLength::Drain)
        return {telephony::kFraming, badLength, {}, timeoutMs};
    return {telephony::kFraming, badLength, telephony::pacchettoBuono, timeoutMs};
}

void TelephonyLink::log(const QString &text, Severity severity)
{
    m_log.scriviLog(text, Logger::Monitor, severity);
}

void TelephonyLink::log(const QString &text, const QString &tag, Severity severity)
{
    m_log.scriviLog(text, Logger::Monitor, tag, 0, severity);
}

void TelephonyLink::debug(const QString &text)
{
    if (m_log.level() > 0)
        log(text);
}
