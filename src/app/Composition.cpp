#include "app/Composition.h"

#include "core/IniFile.h"
#include "core/MainController.h"
#include "core/SocketStates.h"
#include "core/UserPrompts.h"
#include "platform/NetworkInfo.h"

Composition::Composition(MainController &c, UserPrompts &prompts, bool fast, const QString &telnetHost)
    : m_link(c.log(), c.model(), c.clock(), c.debugFile(), c.settings(), fast),
      m_campaign({c.log(), c.model(), c.settings(), c.clock(), prompts, c.files(), [&c] { c.settaCaption(); }}, m_link,
                 m_link.dispatcher(), c.debugFile()),
      m_emulator(c.log(), c.model(), c.settings()),
      m_replication(c.log()),
      m_phone({[&c](const QString &key) { return inifile::leggiIni(c.files().settingsFile(), kSettingsSection, key); },
               [&c](const QString &line) { c.log().scriviLog(line, Logger::Monitor); }}),
      m_ctMonitor({c.log(), c.model(), c.settings(), c.files(), prompts, m_campaign.db(), c.debugFile(), m_notice, m_phone,
                   [&c](bool hold) { c.holdTimers(hold); }},
                  m_replication),
      m_pbx({c.log(), c.model(), c.files(), c.debugFile(), m_ctMonitor.table(),
             [&c] { return c.settings().packetTimeoutMs(); }}),
      m_web({c.log(), c.model(), c.files(), c.htmlFiles(), c.clock(), m_campaign.db(), m_ctMonitor, m_pbx,
             [this] { return m_link.state() == socketstates::kConnected; }}),
      m_console(telnetHost),
      m_watchdog([this] {
          // The address the dialer reaches us on; this machine's own while the link is down.
          statuspage::Peer peer;
          peer.localIp = m_link.socket().localAddress();
          if (peer.localIp.isEmpty())
              peer.localIp = platform::localAddress();
          return statuspage::watchdogReport(m_web.inputs(peer));
      }),
      m_ping(c.model())
{
    // Both ends of the watchdog on one port; "PortaWatchDog" moves it (tests, two copies on one machine).
    const QString port =
        inifile::leggiIni(c.files().settingsFile(), kSettingsSection, QStringLiteral("PortaWatchDog")).trimmed();
    bool ok = false;
    const int p = port.toInt(&ok);
    if (ok && p > 0 && p <= 65535) {
        m_watchdog.setPort(quint16(p));
        m_watchdogWindow.setPort(quint16(p));
    }
    m_emulator.setHooks({[this, &c](const QByteArray &body, bool byOperator, qint32 id) {
                             const wire::Status s = m_campaign.queue().dumpaClienti(body, false, byOperator, id);
                             if (!s.ok())
                                 c.log().scriviLog(QStringLiteral("ERRORE NEI DATI: ") + s.error, Logger::List2,
                                                   QStringLiteral("RX"), id);
                         },
                         [this] { return OutcomeRecord::test(QDateTime::currentDateTime(), m_random).encode(); }});
    m_link.setHooks({[&c] { c.invertiTasti(); }, [&c] { c.mainTick().tick(); }, [&c] { c.mainTick().packetTick(); },
                     [&prompts](const QString &text) { prompts.message(text); }});
    Plugins plugins = c.plugins();
    plugins.link = &m_link;
    plugins.campaign = &m_campaign;
    plugins.emulator = &m_emulator;
    plugins.ctMonitor = &m_ctMonitor;
    plugins.pbx = &m_pbx;
    plugins.statusPages = &m_web;
    plugins.console = &m_console;
    plugins.watchdog = &m_watchdog;
    plugins.watchdogWindow = &m_watchdogWindow;
    plugins.ping = &m_ping;
    c.setPlugins(plugins);
}
