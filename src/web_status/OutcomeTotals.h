#pragma once

#include <QString>
#include <array>

class CampaignDb;
class Logger;

// The outcome counters kept in CT_Monitor between runs: rows whose Interno
// is one or two characters long hold counter Interno's value in statolog.
class OutcomeTotals {
public:
    static constexpr int kCounters = 12;
    using Values = std::array<qint64, kCounters>;
    using Captions = std::array<QString, kCounters>;

    OutcomeTotals(CampaignDb &db, Logger &log) : m_db(db), m_log(log) {}

    // LeggiEsitiDaDB: the stored value of each counter found; counters
    // without a sound row keep theirs. False (and one log line until a
    // read works again) when the query fails.
    bool load(Values &values);
    // AggiornaTotaleEsiti: counters 1 to 11, a row added where missing
    // (captioned from `captions`), in one transaction.
    bool store(const Values &values, const Captions &captions);

private:
    void fail(const QString &what, const QString &error);

    CampaignDb &m_db;
    Logger &m_log;
    bool m_failing = false;
};
