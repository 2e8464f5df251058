#pragma once

#include <QObject>

#include "core/Severity.h"
#include "wire/FramedReader.h"
#include "wire/Reconnector.h"

class DebugFile;
class Logger;
struct Settings;

// What the monitor link and the operator-server link share: a TCP socket
// kept up by its Reconnector, packets framed by their length field (a
// started one may take the settings' "TimeoutPacchetto"), and the
// monitor's list told of both.
class TelephonyLink : public QObject {
    Q_OBJECT
public:
    wire::Reconnector &reconnector() { return m_reconnector; }
    // Decoding, without a socket (also what the sockets feed).
    void feed(const QByteArray &bytes) { m_reader.feed(bytes); }

protected:
    // `socketName` names the socket in the diagnostic file, `linkName` the link in the log.
    TelephonyLink(Logger &log, const DebugFile &debug, const Settings &settings, wire::BadLength badLength,
                  const QString &socketName, const QString &linkName, QObject *parent);

    // Framing by the telephony server's lengths, bad ones handled as `badLength` says.
    wire::ReadPolicy policy(wire::BadLength badLength) const;
    void log(const QString &text, Severity severity = Severity::Info);
    void log(const QString &text, const QString &tag, Severity severity = Severity::Info);
    void debug(const QString &text); // logged above level 0

    Logger &m_log;
    const DebugFile &m_debug;
    const Settings &m_settings;
    wire::FramedReader m_reader;
    wire::Reconnector m_reconnector;
};
