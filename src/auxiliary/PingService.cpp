#include "auxiliary/PingService.h"

#include "core/MainModel.h"

#include <map>

PingService::PingService(MainModel &model, QObject *parent) : QObject(parent), m_model(model)
{
    connect(&m_pinger, &platform::Pinger::finished, this, [this](const platform::Pinger::Result &r) {
        m_model.pingResult.setText(m_address + QLatin1Char(' ') + statusText(r.status) + QLatin1Char(' ') + QString::number(r.rttMs)
                                   + QStringLiteral(" ms") + QLatin1Char(' ') + QString::number(r.dataSize) + QStringLiteral(" bytes"));
        m_model.pingBackground.setText(r.status == platform::Pinger::kSuccess ? kAnswered : kFailed);
        Q_EMIT done(r.status);
    });
}

void PingService::startPing()
{
    if (m_pinger.busy())
        return; // one at a time: the next click or tick asks again
    m_address = m_model.serverIp.text();
    m_model.pingBackground.setText(kRunning);
    m_pinger.ping(m_address, kData, kTimeoutMs);
}

QString PingService::statusText(int status)
{
    static const std::map<int, const char *> texts = {
        {-2, "ping not permitted"},       {-1, "inet_addr: bad IP format"},  {0, "ip success"},
        {1200, "ping timeout"},           {11001, "ip buf too_small"},       {11002, "ip dest net unreachable"},
        {11003, "ip dest host unreachable"}, {11004, "ip dest prot unreachable"}, {11005, "ip dest port unreachable"},
        {11006, "ip no resources"},       {11007, "ip bad option"},          {11008, "ip hw_error"},
        {11009, "ip packet too_big"},     {11010, "ip req timed out"},       {11011, "ip bad req"},
        {11012, "ip bad route"},          {11013, "ip ttl expired transit"}, {11014, "ip ttl expired reassem"},
        {11015, "ip param_problem"},      {11016, "ip source quench"},       {11017, "ip option too_big"},
        {11018, "ip bad destination"},    {11019, "ip addr deleted"},        {11020, "ip spec mtu change"},
        {11021, "ip mtu_change"},         {11022, "ip unload"},              {11023, "ip addr added"},
        {11050, "ip general failure"},    {11255, "ip pending"}};
    const auto it = texts.find(status);
    const QString text = QString::number(status) + QStringLiteral("   [ ")
        + QString::fromLatin1(it == texts.end() ? "unknown  msg returned" : it->second) + QStringLiteral(" ]");
    return text.leftJustified(30, QLatin1Char(' '), true);
}
