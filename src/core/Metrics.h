#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <vector>

// What the program counts for the metrics page, in the Prometheus text
// format. The counters only grow for the life of the process (the window's
// labels are reset by "Azzera"; these are not). Gauges are read when the
// page is asked for.
class Metrics {
public:
    // Seconds: from a millisecond to ten.
    static const std::vector<double> &latencyBounds();

    struct Histogram {
        std::vector<quint64> buckets; // one per bound, not cumulative
        quint64 count = 0;
        double sum = 0;
        void observe(double seconds);
    };

    enum class RequestResult { Served, Refused, Unknown };
    // The code a stream of junk cannot multiply: unknown request codes and
    // outcome codes outside the table are all counted as "other".
    static constexpr qint32 kOtherCode = -1;

    // An Unknown request is counted under kOtherCode, whatever its code.
    void countRequest(qint32 code, RequestResult result);
    void countCustomersDelivered(bool byOperator, qint64 n);
    void countOutcomeAcknowledged(qint32 outcomeCode);
    void countDatabaseError();
    void countQueueRelease(bool byOperator);
    void countCustomersRefused(qint64 n);
    void countDiagnosis();
    // An empty customers answer for a group (an operator) that asked for some;
    // `withCustomers`: the diagnosis that followed found customers.
    void countEmptyAnswer(bool byOperator, const QString &who);
    void countEmptyAnswerWithCustomers(bool byOperator, const QString &who);
    // Subjects counted apart, per kind; the rest as "other", so that what
    // the dialer names cannot multiply the series.
    static constexpr std::size_t kMaxSubjects = 200;
    // Customers another server marked sent between this server's query and its own mark.
    void countClaimsLost(qint64 n);
    // An outcome already stored, reported again and acknowledged again.
    void countOutcomeDuplicate();
    // Customers sent and never answered, given back after "OreRilascioInviati".
    void countCustomersReturned(qint64 n);
    // From handing a request to its service to the last of its replies handed to the system.
    void observeRequest(qint32 code, double seconds);

    // A value read at each page: `labels` already formatted ("link=\"dialer\"").
    void addGauge(const QString &name, const QString &help, const QString &labels, std::function<double()> value);

    QByteArray render() const;

    // Read back, for tests and the simulator.
    quint64 requests(qint32 code, RequestResult result) const;
    quint64 outcomesAcknowledged(qint32 outcomeCode) const;
    quint64 customersDelivered() const { return m_deliveredGroup + m_deliveredOperator; }
    quint64 emptyAnswers(bool byOperator, const QString &who) const;
    quint64 databaseErrors() const { return m_dbErrors; }
    quint64 claimsLost() const { return m_claimsLost; }
    quint64 outcomeDuplicates() const { return m_outcomeDuplicates; }
    quint64 customersReturned() const { return m_returned; }
    const Histogram *requestHistogram(qint32 code) const;

private:
    std::map<std::pair<qint32, int>, quint64> m_requests;
    std::map<qint32, quint64> m_outcomes;
    std::map<qint32, Histogram> m_requestLatency;
    Histogram m_outcomeLatency;
    quint64 m_deliveredGroup = 0, m_deliveredOperator = 0;
    quint64 m_dbErrors = 0;
    quint64 m_releasesGroup = 0, m_releasesOperator = 0;
    quint64 m_refused = 0;
    quint64 m_diagnoses = 0;
    using Subjects = std::map<std::pair<bool, QString>, quint64>; // (by operator, who) -> count
    Subjects m_emptyAnswers, m_emptyWithCustomers;
    static void countSubject(Subjects &counts, bool byOperator, const QString &who);
    quint64 m_claimsLost = 0;
    quint64 m_outcomeDuplicates = 0;
    quint64 m_returned = 0;
    struct Gauge {
        QString name, help, labels;
        std::function<double()> value;
    };
    std::vector<Gauge> m_gauges;

    // The page's parts, in its order.
    void requestCounters(QByteArray &out) const;
    void customerCounters(QByteArray &out) const;
    void latencies(QByteArray &out) const;
    void gauges(QByteArray &out) const;
};
