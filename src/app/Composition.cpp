#include "app/Composition.h"

#include "core/IniFile.h"
#include "core/MainController.h"
#include "core/SettingsKeys.h"
#include "core/SocketStates.h"
#include "core/UserPrompts.h"
#include "platform/NetworkInfo.h"

#include <QTimer>

Composition::Composition(MainController &c, UserPrompts &prompts, bool fast, const QString &telnetHost)
    : m_link(c.log(), c.model(), c.clock(), c.debugFile(), c.settings(), fast),
      m_campaign({c.log(), c.model(), c.settings(), c.clock(), prompts, c.files()},
                 m_link.writer(), m_link.dispatcher(), c.debugFile()),
      m_emulator(c.log(), c.model(), c.settings()),
      m_replication(c.log()),
      m_phone(c.files()),
      m_ctMonitor({c.log(), c.model(), c.settings(), c.files(), prompts, m_campaign.db(), c.debugFile(), m_notice, m_phone},
                  m_replication),
      m_pbx({c.log(), c.model(), c.files(), c.debugFile(), m_ctMonitor.table(),
             [&c] { return c.settings().packetTimeoutMs(); }}),
      m_web({c.log(), c.model(), c.files(), c.htmlFiles(), c.clock(), m_campaign.db(), m_ctMonitor, m_pbx, m_link}),
      m_console(telnetHost),
      m_watchdog([this] {
          // The address the dialer reaches us on; this machine's own while the link is down.
          statuspage::Peer peer;
          peer.localIp = m_link.socket().localAddress();
          if (peer.localIp.isEmpty())
              peer.localIp = platform::localAddress();
          return statuspage::watchdogReport(m_web.inputs(peer));
      }),
      m_ping(c.model()),
      m_metrics({[&c] { return c.model().metrics.render(); },
                 [this](bool byOperator, const QString &who, MetricsServer::Lines answer) {
                     return m_campaign.diagnose(byOperator, who, std::move(answer));
                 }})
{
    // Both ends of the watchdog on one port; "PortaWatchDog" moves it (tests, two copies on one machine).
    const QString port =
        inifile::leggiIni(c.files().settingsFile(), kSettingsSection, settingskey::PortaWatchDog).trimmed();
    bool ok = false;
    const int p = port.toInt(&ok);
    if (ok && p > 0 && p <= 65535) {
        m_watchdog.setPort(quint16(p));
        m_watchdogWindow.setPort(quint16(p));
    }
    connectCtMonitor(c);
    QObject::connect(&m_watchdog, &Watchdog::said, &c, [&c](const QString &line, bool down) {
        c.log().aggiungiList2(line, down ? Severity::Warning : Severity::Info);
    });
    QObject::connect(&m_emulator, &Emulator::customersReceived, &c,
                     [this, &c](const QByteArray &body, bool byOperator, qint32 id) {
                         const wire::Status s = m_campaign.queue().dumpaClienti(body, false, byOperator, id);
                         if (!s.ok())
                             c.log().scriviLog(QStringLiteral("ERRORE NEI DATI: ") + s.error, Logger::List2,
                                               QStringLiteral("RX"), id);
                     });
    connectDialerLink(c, prompts);
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
    startMetrics(c);
}

void Composition::routeDialerRequests(Dispatcher &d, Campaign &campaign)
{
    GroupsService &groups = campaign.groups();
    CustomersService &customers = campaign.customers();
    OutcomeService &outcomes = campaign.outcomes();
    QueueService &queue = campaign.queue();
    const std::pair<qint32, Dispatcher::Handler> table[] = {
        {packet::RichiestaGruppi, std::bind_front(&GroupsService::serve, &groups)},
        {packet::RichiestaClientiGruppi, std::bind_front(&CustomersService::rispostaClientiXGruppo, &customers)},
        {packet::Esito, std::bind_front(&OutcomeService::registraEsito, &outcomes)},
        {packet::FreeQueue, std::bind_front(&QueueService::liberaCodaGruppo, &queue)},
        {packet::DiscardQuery, std::bind_front(&QueueService::riceviScartati, &queue, false)},
        {packet::QueryOp, std::bind_front(&CustomersService::rispostaClientiXOperatore, &customers)},
        {packet::EsitoOp, std::bind_front(&OutcomeService::registraEsito, &outcomes)},
        {packet::FreeQueueOp, std::bind_front(&QueueService::liberaCodaOperatore, &queue)},
        {packet::DiscardQueryOp, std::bind_front(&QueueService::riceviScartati, &queue, true)},
    };
    for (const auto &[code, handler] : table)
        d.route(code, handler);
}

void Composition::connectDialerLink(MainController &c, UserPrompts &prompts)
{
    routeDialerRequests(m_link.dispatcher(), m_campaign);
    MainTick &tick = c.mainTick();
    QObject::connect(&m_link, &DialerLink::connected, &c, &MainController::invertiTasti);
    QObject::connect(&m_link, &DialerLink::greeted, &tick, &MainTick::tick);
    QObject::connect(&m_link.reader(), &RequestReader::packetRead, &tick, &MainTick::packetTick);
    QObject::connect(&m_link, &DialerLink::errorToShow, &c, [&prompts](const QString &text) { prompts.message(text); });
}

void Composition::connectCtMonitor(MainController &c)
{
    QObject::connect(&m_phone, &CommandPhone::said, &c, [&c](const QString &line) { c.log().scriviLog(line, Logger::Monitor); });
    QObject::connect(&m_ctMonitor.session(), &MonitorSession::mainTimersHeld, &c, [&c](bool hold) { c.holdTimers(hold); });
}

void Composition::startMetrics(MainController &c)
{
    Metrics &m = c.model().metrics;
    const auto state = [&m](const QString &link, std::function<int()> read) {
        const QString labels = QStringLiteral("link=\"") + link + QLatin1Char('"');
        m.addGauge(QStringLiteral("quorin_link_up"), QStringLiteral("1 while the link is connected."), labels,
                   [read] { return read() == socketstates::kConnected ? 1.0 : 0.0; });
        m.addGauge(QStringLiteral("quorin_link_state"), QStringLiteral("The link's socket state, 0 closed to 9 error."), labels,
                   [read] { return double(read()); });
    };
    state(QStringLiteral("dialer"), [this] { return m_link.state(); });
    state(QStringLiteral("ct_monitor"), [this] { return m_ctMonitor.monitorLink().state(); });
    state(QStringLiteral("operator_server"), [this] { return m_ctMonitor.operatorLink().state(); });
    state(QStringLiteral("pbx"), [this] { return m_pbx.socket().state(); });
    state(QStringLiteral("watchdog"), [this] { return m_watchdog.firstPeerState(); });
    MainModel &model = c.model();
    const auto counter = [&m, &model](const QString &which, MainModel::DbCounter index) {
        m.addGauge(QStringLiteral("quorin_campaign_customers"), QStringLiteral("Customers by dispatch state, as last counted."),
                   QStringLiteral("state=\"") + which + QLatin1Char('"'),
                   [&model, index] { return double(model.database[index]->value()); });
    };
    counter(QStringLiteral("to_send"), MainModel::ToSend);
    counter(QStringLiteral("in_queue"), MainModel::InQueue);
    counter(QStringLiteral("to_operator"), MainModel::ToOperator);
    counter(QStringLiteral("discarded"), MainModel::Discarded);
    m.addGauge(QStringLiteral("quorin_reply_queue_bytes"), QStringLiteral("Replies waiting to be written to the dialer."), {},
               [this] { return double(m_link.writer().queuedBytes()); });

    // Off unless "MetricsPort" names a port; "0" takes any free one (tests).
    // Opened once the event loop runs, so that its line reaches whoever shows the lists.
    QTimer::singleShot(0, &c, [this, &c] { listenMetrics(c); });
}

void Composition::listenMetrics(MainController &c)
{
    const QString file = c.files().settingsFile();
    const QString text = inifile::leggiIni(file, kSettingsSection, settingskey::MetricsPort).trimmed();
    bool ok = false;
    const int port = text.toInt(&ok);
    if (text.isEmpty())
        return;
    if (!ok || port < 0 || port > 65535) {
        c.log().aggiungiList2(QStringLiteral("MetricsPort non valida: ") + text);
        return;
    }
    // The diagnoses it serves read the campaign: this machine only, unless
    // "MetricsIp" names the address of a network the scraper is on.
    const QString ip = inifile::leggiIni(file, kSettingsSection, settingskey::MetricsIp).trimmed();
    const QHostAddress address = ip.isEmpty() ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(ip);
    if (address.isNull()) {
        c.log().aggiungiList2(QStringLiteral("MetricsIp non valido: ") + ip);
        return;
    }
    if (m_metrics.listen(address, quint16(port)))
        c.log().aggiungiList2(QStringLiteral("METRICHE IN ASCOLTO SU PORTA ") + QString::number(m_metrics.port())
                              + QStringLiteral(" (") + address.toString() + QLatin1Char(')'));
    else
        c.log().aggiungiList2(QStringLiteral("METRICHE: porta ") + text + QStringLiteral(" non disponibile su ")
                              + address.toString() + QStringLiteral(" (") + m_metrics.errorString() + QLatin1Char(')'));
}
