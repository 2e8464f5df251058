#include "core/Metrics.h"

#include <algorithm>
#include <cmath>

namespace {

// Outcome requests, both forms: their latency is also shown on its own.
bool isOutcome(qint32 code)
{
    return code == 70002 || code == 71002;
}

QByteArray number(double v)
{
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v > 0 ? "+Inf" : "-Inf";
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        return QByteArray::number(qint64(v));
    return QByteArray::number(v, 'g', 12);
}

void head(QByteArray &out, const char *name, const char *help, const char *type)
{
    out += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
}

void sample(QByteArray &out, const QByteArray &name, const QByteArray &labels, double value)
{
    out += name;
    if (!labels.isEmpty())
        out += '{' + labels + '}';
    out += ' ' + number(value) + '\n';
}

void histogram(QByteArray &out, const QByteArray &name, const QByteArray &labels, const Metrics::Histogram &h)
{
    const std::vector<double> &bounds = Metrics::latencyBounds();
    const QByteArray sep = labels.isEmpty() ? QByteArray() : labels + ',';
    quint64 cumulative = 0;
    for (size_t i = 0; i < bounds.size(); ++i) {
        cumulative += h.buckets.empty() ? 0 : h.buckets[i];
        sample(out, name + "_bucket", sep + "le=\"" + number(bounds[i]) + '"', double(cumulative));
    }
    sample(out, name + "_bucket", sep + "le=\"+Inf\"", double(h.count));
    sample(out, name + "_sum", labels, h.sum);
    sample(out, name + "_count", labels, double(h.count));
}

QByteArray codeLabel(qint32 code)
{
    return "code=\"" + (code == Metrics::kOtherCode ? QByteArray("other") : QByteArray::number(code)) + '"';
}

// A label's value: a backslash, a double quote and a line end escaped.
QByteArray labelValue(const QString &text)
{
    QByteArray out = text.toUtf8();
    out.replace('\\', "\\\\");
    out.replace('"', "\\\"");
    out.replace('\n', "\\n");
    return out;
}

// HELP text: a backslash and a line end escaped, as the format asks.
QByteArray helpText(const QString &text)
{
    QByteArray out = text.toUtf8();
    out.replace('\\', "\\\\");
    out.replace('\n', "\\n");
    return out;
}

} // namespace

const std::vector<double> &Metrics::latencyBounds()
{
    static const std::vector<double> bounds{0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};
    return bounds;
}

void Metrics::Histogram::observe(double seconds)
{
    const std::vector<double> &bounds = latencyBounds();
    if (buckets.empty())
        buckets.assign(bounds.size(), 0);
    for (size_t i = 0; i < bounds.size(); ++i) {
        if (seconds <= bounds[i]) {
            ++buckets[i];
            break;
        }
    }
    ++count;
    sum += seconds;
}

void Metrics::countRequest(qint32 code, RequestResult result)
{
    ++m_requests[{result == RequestResult::Unknown ? kOtherCode : code, int(result)}];
}

void Metrics::countCustomersDelivered(bool byOperator, qint64 n)
{
    (byOperator ? m_deliveredOperator : m_deliveredGroup) += quint64(std::max<qint64>(0, n));
}

void Metrics::countOutcomeAcknowledged(qint32 outcomeCode)
{
    ++m_outcomes[outcomeCode];
}

void Metrics::countDatabaseError()
{
    ++m_dbErrors;
}

void Metrics::countQueueRelease(bool byOperator)
{
    ++(byOperator ? m_releasesOperator : m_releasesGroup);
}

void Metrics::countCustomersRefused(qint64 n)
{
    m_refused += quint64(std::max<qint64>(0, n));
}

void Metrics::countDiagnosis()
{
    ++m_diagnoses;
}

void Metrics::countSubject(Subjects &counts, bool byOperator, const QString &who)
{
    std::size_t ofKind = 0;
    for (const auto &entry : counts)
        ofKind += entry.first.first == byOperator ? 1 : 0;
    const auto key = std::make_pair(byOperator, who);
    if (counts.count(key) == 0 && ofKind >= kMaxSubjects)
        ++counts[{byOperator, QStringLiteral("other")}];
    else
        ++counts[key];
}

void Metrics::countEmptyAnswer(bool byOperator, const QString &who)
{
    countSubject(m_emptyAnswers, byOperator, who);
}

void Metrics::countEmptyAnswerWithCustomers(bool byOperator, const QString &who)
{
    countSubject(m_emptyWithCustomers, byOperator, who);
}

quint64 Metrics::emptyAnswers(bool byOperator, const QString &who) const
{
    const auto it = m_emptyAnswers.find({byOperator, who});
    return it == m_emptyAnswers.end() ? 0 : it->second;
}

void Metrics::countClaimsLost(qint64 n)
{
    m_claimsLost += quint64(std::max<qint64>(0, n));
}

void Metrics::countOutcomeDuplicate()
{
    ++m_outcomeDuplicates;
}

void Metrics::countCustomersReturned(qint64 n)
{
    m_returned += quint64(std::max<qint64>(0, n));
}

void Metrics::observeRequest(qint32 code, double seconds)
{
    m_requestLatency[code].observe(seconds);
    if (isOutcome(code))
        m_outcomeLatency.observe(seconds);
}

void Metrics::addGauge(const QString &name, const QString &help, const QString &labels, std::function<double()> value)
{
    m_gauges.push_back({name, help, labels, std::move(value)});
}

quint64 Metrics::requests(qint32 code, RequestResult result) const
{
    const auto it = m_requests.find({code, int(result)});
    return it == m_requests.end() ? 0 : it->second;
}

quint64 Metrics::outcomesAcknowledged(qint32 outcomeCode) const
{
    const auto it = m_outcomes.find(outcomeCode);
    return it == m_outcomes.end() ? 0 : it->second;
}

const Metrics::Histogram *Metrics::requestHistogram(qint32 code) const
{
    const auto it = m_requestLatency.find(code);
    return it == m_requestLatency.end() ? nullptr : &it->second;
}

QByteArray Metrics::render() const
{
    QByteArray out;
    requestCounters(out);
    customerCounters(out);
    latencies(out);
    gauges(out);
    return out;
}

void Metrics::requestCounters(QByteArray &out) const
{
    static const char *const results[] = {"served", "refused", "unknown"};
    head(out, "quorin_requests_total", "Dialer requests by code and how they ended.", "counter");
    for (const auto &[key, n] : m_requests)
        sample(out, "quorin_requests_total", codeLabel(key.first) + ",result=\"" + results[key.second] + '"', double(n));
    head(out, "quorin_customers_delivered_total", "Customers sent to the dialer.", "counter");
    sample(out, "quorin_customers_delivered_total", "by=\"group\"", double(m_deliveredGroup));
    sample(out, "quorin_customers_delivered_total", "by=\"operator\"", double(m_deliveredOperator));
    head(out, "quorin_outcomes_acknowledged_total", "Call outcomes stored and acknowledged, by outcome code.", "counter");
    for (const auto &[code, n] : m_outcomes)
        sample(out, "quorin_outcomes_acknowledged_total", codeLabel(code), double(n));
    head(out, "quorin_database_errors_total", "Database statements that failed.", "counter");
    sample(out, "quorin_database_errors_total", {}, double(m_dbErrors));
    head(out, "quorin_queue_releases_total", "Dialer queues given back.", "counter");
    sample(out, "quorin_queue_releases_total", "by=\"group\"", double(m_releasesGroup));
    sample(out, "quorin_queue_releases_total", "by=\"operator\"", double(m_releasesOperator));
    head(out, "quorin_customers_refused_total", "Customers the dialer gave back as unusable.", "counter");
    sample(out, "quorin_customers_refused_total", {}, double(m_refused));
    head(out, "quorin_empty_answer_diagnoses_total", "Diagnoses of an empty customers answer.", "counter");
    sample(out, "quorin_empty_answer_diagnoses_total", {}, double(m_diagnoses));
}

void Metrics::customerCounters(QByteArray &out) const
{
    const auto subjects = [&out](const char *name, const Subjects &counts) {
        for (const auto &[key, n] : counts)
            sample(out, name, QByteArray("by=\"") + (key.first ? "operator" : "group") + "\",who=\"" + labelValue(key.second) + '"',
                   double(n));
    };
    head(out, "quorin_empty_answers_total", "Customers requests answered with nobody, by group or operator.", "counter");
    subjects("quorin_empty_answers_total", m_emptyAnswers);
    head(out, "quorin_empty_answers_with_customers_total",
         "Empty answers whose diagnosis found customers for the group or operator (at most one a minute each).", "counter");
    subjects("quorin_empty_answers_with_customers_total", m_emptyWithCustomers);
    head(out, "quorin_customers_claimed_elsewhere_total",
         "Customers another server marked sent between this server's query and its own mark: not sent here.", "counter");
    sample(out, "quorin_customers_claimed_elsewhere_total", {}, double(m_claimsLost));
    head(out, "quorin_outcomes_duplicate_total", "Outcomes reported again after they were stored: acknowledged, not stored twice.",
         "counter");
    sample(out, "quorin_outcomes_duplicate_total", {}, double(m_outcomeDuplicates));
    head(out, "quorin_customers_returned_total", "Customers sent and never answered, given back after OreRilascioInviati hours.",
         "counter");
    sample(out, "quorin_customers_returned_total", {}, double(m_returned));
}

void Metrics::latencies(QByteArray &out) const
{
    head(out, "quorin_request_duration_seconds",
         "From handing a request to its service to its last reply handed to the system, pauses included.", "histogram");
    for (const auto &[code, h] : m_requestLatency)
        histogram(out, "quorin_request_duration_seconds", codeLabel(code), h);
    head(out, "quorin_outcome_duration_seconds", "The same for outcomes, acknowledged or refused by the database.",
         "histogram");
    histogram(out, "quorin_outcome_duration_seconds", {}, m_outcomeLatency);
}

void Metrics::gauges(QByteArray &out) const
{
    // A family's samples together, under one head, in the order first added.
    std::vector<QString> names;
    for (const Gauge &g : m_gauges) {
        if (std::find(names.begin(), names.end(), g.name) == names.end())
            names.push_back(g.name);
    }
    for (const QString &name : names) {
        bool first = true;
        for (const Gauge &g : m_gauges) {
            if (g.name != name)
                continue;
            const QByteArray n = name.toLatin1();
            if (first)
                head(out, n.constData(), helpText(g.help).constData(), "gauge");
            first = false;
            sample(out, n, g.labels.toUtf8(), g.value ? g.value() : 0.0);
        }
    }
}
