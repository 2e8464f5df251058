#include "web_status/WebStatus.h"

#include "campaign/Captions.h"
#include "core/HtmlFiles.h"
#include "core/IniFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/OutcomeRates.h"
#include "core/RunClock.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/SocketStates.h"
#include "core/TextFormats.h"
#include "ct_monitor/CtMonitor.h"
#include "pbx_lines/PbxMonitor.h"
#include "platform/NetworkInfo.h"
#include "wire/AnsiCodec.h"

#include <QDir>
#include <QHostInfo>

WebStatus::WebStatus(Parts parts, QObject *parent)
    : QObject(parent),
      m_parts(std::move(parts)),
      m_server(*this),
      m_totals(m_parts.db, m_parts.log)
{
    connect(&m_server, &HttpStatusServer::said, this, [this](const QString &line) { m_parts.log.aggiungiList2(line); });
}

quint16 WebStatus::port() const
{
    if (m_server.isListening())
        return m_server.port();
    // Unset or not a port: 8001. "0": any free port (tests, a second copy on one machine).
    const QString text = inifile::leggiIni(m_parts.files.settingsFile(), kSettingsSection, settingskey::PortaWeb).trimmed();
    bool ok = false;
    const int p = text.toInt(&ok);
    return ok && p >= 0 && p <= 65535 ? quint16(p) : HttpStatusServer::kPort;
}

QString WebStatus::pageUrl() const
{
    // "start http://localhost:80" "01" "/ct" "_" "monitor", on the port in use.
    return QStringLiteral("http://localhost:") + QString::number(port()) + QStringLiteral("/ct_monitor");
}

void WebStatus::startListener()
{
    m_server.listen(port());
}

OutcomeTotals::Captions WebStatus::captions() const
{
    OutcomeTotals::Captions v;
    for (int i = 0; i < OutcomeTotals::kCounters; ++i)
        v[size_t(i)] = captions::outcome(i);
    return v;
}

OutcomeTotals::Values WebStatus::counters() const
{
    OutcomeTotals::Values v;
    for (int i = 0; i < OutcomeTotals::kCounters; ++i)
        v[size_t(i)] = m_parts.main.outcomes[size_t(i)]->value();
    return v;
}

statuspage::Inputs WebStatus::inputs(const statuspage::Peer &peer) const
{
    statuspage::Inputs in(m_parts.monitor.table(), m_parts.pbx.table());
    in.extensionCount = m_parts.monitor.model().tileCount();
    in.groups = m_parts.monitor.model().grid();
    in.outcomeCaptions = captions();
    // As the window shows them.
    for (int i = 0; i < statuspage::kOutcomes; ++i) {
        in.outcomes[size_t(i)] = QString::number(m_parts.main.outcomes[size_t(i)]->value());
        in.percents[size_t(i)] = outcomerates::percentShown(*m_parts.main.outcomePercent[size_t(i)]);
    }
    in.scriptDir = QDir(m_parts.files.paths().appDir).filePath(QStringLiteral("js"));
    in.now = QDateTime::currentDateTime();
    in.start = m_parts.clock.countingStart;
    in.version = QString::number(QUORIN_VERSION_MAJOR) + QLatin1Char('.') + QString::number(QUORIN_VERSION_MINOR)
        + QLatin1Char('.') + QString::number(QUORIN_VERSION_PATCH);
    in.peer = peer;
    return in;
}

bool WebStatus::saveFiles(const statuspage::Inputs &in, QString *page)
{
    const QString main = statuspage::defaultPage(in);
    if (page)
        *page = main;
    // A file that cannot be written leaves the old one; the page is served all the same.
    m_parts.html.replaceFileHtml(main, QStringLiteral("default"));
    m_parts.html.replaceFileHtml(statuspage::listaUtentiPage(in), QStringLiteral("listautenti"));
    m_lastSave.start();
    return true;
}

statuspage::Peer WebStatus::filePeer() const
{
    // Before any browser has come, the files name this machine.
    if (!m_server.lastPeer().localIp.isEmpty())
        return m_server.lastPeer();
    statuspage::Peer p;
    p.localIp = platform::localAddress();
    p.localPort = m_server.isListening() ? m_server.port() : 0;
    p.localHostName = QHostInfo::localHostName();
    return p;
}

void WebStatus::refreshTotals()
{
    // With the dialer link down the page shows what CT_Monitor holds (another
    // copy may be counting), unless this one has counted since it last
    // stored: that would be thrown away.
    if (!m_totalsLoaded || m_parts.dialer.state() == socketstates::kConnected || counters() != m_stored)
        return;
    OutcomeTotals::Values values = counters();
    if (!m_totals.load(values))
        return;
    setCounters(values);
}

void WebStatus::setCounters(const OutcomeTotals::Values &values)
{
    for (int i = 0; i < OutcomeTotals::kCounters; ++i)
        m_parts.main.outcomes[size_t(i)]->set(values[size_t(i)]);
    m_stored = counters();
}

void WebStatus::writeStatusFiles()
{
    if (!m_parts.monitor.isOpen())
        return;
    refreshTotals();
    saveFiles(inputs(filePeer()), nullptr);
}

QByteArray WebStatus::page(const statuspage::Peer &peer)
{
    if (!m_parts.monitor.isOpen()) {
        // As the menus would: the monitor and the PBX lines, out of the way.
        m_parts.monitor.toggle();
        m_parts.pbx.show();
        Q_EMIT m_parts.monitor.minimiseRequested();
        Q_EMIT m_parts.pbx.minimiseRequested();
    }
    if (!m_parts.monitor.isOpen())
        return {};
    refreshTotals();
    const statuspage::Inputs in = inputs(peer);
    QString page;
    if (!m_lastSave.isValid() || m_lastSave.elapsed() >= 1000)
        saveFiles(in, &page);
    else
        page = statuspage::defaultPage(in);
    return ansi::encode(page);
}

void WebStatus::loadOutcomeCounters()
{
    if (m_totalsLoaded)
        return;
    OutcomeTotals::Values values = counters();
    if (!m_totals.load(values))
        return;
    m_totalsLoaded = true;
    setCounters(values);
}

void WebStatus::storeOutcomeCounters()
{
    // Never over the stored totals before they were read.
    loadOutcomeCounters();
    if (!m_totalsLoaded)
        return;
    const OutcomeTotals::Values now = counters();
    if (m_totals.store(now, captions()))
        m_stored = now;
}
