// The metrics page's text: families, labels, histograms, gauges.
#include <QtTest>

#include "core/Metrics.h"

namespace {

// The value of the sample `name{labels}`, -1 when absent.
double valueOf(const QByteArray &page, const QByteArray &sample)
{
    for (const QByteArray &line : page.split('\n')) {
        if (line.startsWith(sample + ' '))
            return line.mid(sample.size() + 1).toDouble();
    }
    return -1;
}

} // namespace

class TestMetrics : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void countersByLabel();
    void histogramsAreCumulative();
    void gaugesAreReadAtEachPageAndEveryLineIsWellFormed();
};

void TestMetrics::countersByLabel()
{
    Metrics m;
    m.countRequest(70001, Metrics::RequestResult::Served);
    m.countRequest(70001, Metrics::RequestResult::Served);
    m.countRequest(70001, Metrics::RequestResult::Refused);
    m.countRequest(99999, Metrics::RequestResult::Unknown);
    m.countOutcomeAcknowledged(5);
    m.countOutcomeAcknowledged(5);
    m.countOutcomeAcknowledged(7);
    m.countCustomersDelivered(false, 10);
    m.countCustomersDelivered(true, 3);
    m.countCustomersDelivered(true, -4); // never backwards
    m.countDatabaseError();
    const QByteArray page = m.render();
    QCOMPARE(valueOf(page, "quorin_requests_total{code=\"70001\",result=\"served\"}"), 2.0);
    QCOMPARE(valueOf(page, "quorin_requests_total{code=\"70001\",result=\"refused\"}"), 1.0);
    // Unknown codes all count under one label: junk cannot multiply the series.
    m.countRequest(12345, Metrics::RequestResult::Unknown);
    QCOMPARE(valueOf(m.render(), "quorin_requests_total{code=\"other\",result=\"unknown\"}"), 2.0);
    QVERIFY(!m.render().contains("99999"));
    QCOMPARE(valueOf(page, "quorin_outcomes_acknowledged_total{code=\"5\"}"), 2.0);
    QCOMPARE(valueOf(page, "quorin_outcomes_acknowledged_total{code=\"7\"}"), 1.0);
    QCOMPARE(valueOf(page, "quorin_customers_delivered_total{by=\"group\"}"), 10.0);
    QCOMPARE(valueOf(page, "quorin_customers_delivered_total{by=\"operator\"}"), 3.0);
    QCOMPARE(valueOf(page, "quorin_database_errors_total"), 1.0);
    QCOMPARE(m.requests(70001, Metrics::RequestResult::Served), 2u);
    QCOMPARE(m.customersDelivered(), 13u);
    // Each family is introduced once.
    QCOMPARE(page.count("# TYPE quorin_requests_total counter\n"), 1);
    // Empty answers by subject; a code from the wire is a label value, escaped,
    // and subjects past the bound count together.
    m.countEmptyAnswer(false, QStringLiteral("6"));
    m.countEmptyAnswer(false, QStringLiteral("6"));
    m.countEmptyAnswerWithCustomers(false, QStringLiteral("6"));
    m.countEmptyAnswer(true, QStringLiteral("A\"B\\"));
    const QByteArray empty = m.render();
    QCOMPARE(valueOf(empty, "quorin_empty_answers_total{by=\"group\",who=\"6\"}"), 2.0);
    QCOMPARE(valueOf(empty, "quorin_empty_answers_with_customers_total{by=\"group\",who=\"6\"}"), 1.0);
    QCOMPARE(valueOf(empty, "quorin_empty_answers_total{by=\"operator\",who=\"A\\\"B\\\\\"}"), 1.0);
    for (std::size_t i = 0; i < Metrics::kMaxSubjects + 5; ++i)
        m.countEmptyAnswer(false, QString::number(1000 + i));
    QCOMPARE(valueOf(m.render(), "quorin_empty_answers_total{by=\"group\",who=\"other\"}"), 6.0);
    QCOMPARE(m.emptyAnswers(false, QStringLiteral("6")), 2u);
}

void TestMetrics::histogramsAreCumulative()
{
    Metrics m;
    for (double s : {0.0005, 0.002, 0.002, 0.3, 42.0})
        m.observeRequest(70002, s);
    m.observeRequest(70001, 0.02);
    const QByteArray page = m.render();
    const QByteArray h = "quorin_request_duration_seconds_bucket{code=\"70002\",le=";
    QCOMPARE(valueOf(page, h + "\"0.001\"}"), 1.0);
    QCOMPARE(valueOf(page, h + "\"0.0025\"}"), 3.0);
    QCOMPARE(valueOf(page, h + "\"0.25\"}"), 3.0);
    QCOMPARE(valueOf(page, h + "\"0.5\"}"), 4.0);
    QCOMPARE(valueOf(page, h + "\"10\"}"), 4.0);
    QCOMPARE(valueOf(page, h + "\"+Inf\"}"), 5.0); // beyond the last bound: only in +Inf
    QCOMPARE(valueOf(page, "quorin_request_duration_seconds_count{code=\"70002\"}"), 5.0);
    QVERIFY(qAbs(valueOf(page, "quorin_request_duration_seconds_sum{code=\"70002\"}") - 42.3045) < 1e-9);
    // Outcomes (70002, 71002) are also timed on their own; other codes are not.
    QCOMPARE(valueOf(page, "quorin_outcome_duration_seconds_count"), 5.0);
    QCOMPARE(valueOf(page, "quorin_outcome_duration_seconds_bucket{le=\"+Inf\"}"), 5.0);
    QCOMPARE(valueOf(page, "quorin_request_duration_seconds_count{code=\"70001\"}"), 1.0);
    // With nothing observed the family still has its buckets at zero.
    const QByteArray empty = Metrics().render();
    QCOMPARE(valueOf(empty, "quorin_outcome_duration_seconds_bucket{le=\"0.001\"}"), 0.0);
    QCOMPARE(valueOf(empty, "quorin_outcome_duration_seconds_count"), 0.0);
}

void TestMetrics::gaugesAreReadAtEachPageAndEveryLineIsWellFormed()
{
    Metrics m;
    int dialer = 0;
    m.addGauge(QStringLiteral("quorin_link_up"), QStringLiteral("Up."), QStringLiteral("link=\"dialer\""),
               [&dialer] { return double(dialer); });
    m.addGauge(QStringLiteral("quorin_reply_queue_bytes"), QStringLiteral("Bytes."), {}, [] { return 1.5; });
    m.addGauge(QStringLiteral("quorin_link_up"), QStringLiteral("Up."), QStringLiteral("link=\"pbx\""), [] { return 1.0; });
    QCOMPARE(valueOf(m.render(), "quorin_link_up{link=\"dialer\"}"), 0.0);
    dialer = 1;
    const QByteArray page = m.render();
    QCOMPARE(valueOf(page, "quorin_link_up{link=\"dialer\"}"), 1.0);
    QCOMPARE(valueOf(page, "quorin_reply_queue_bytes"), 1.5);
    // Both link samples under one head, before the next family.
    const qsizetype headAt = page.indexOf("# TYPE quorin_link_up gauge");
    QCOMPARE(page.count("# TYPE quorin_link_up gauge"), 1);
    QVERIFY(page.indexOf("quorin_link_up{link=\"pbx\"}") > headAt);
    QVERIFY(page.indexOf("quorin_link_up{link=\"pbx\"}") < page.indexOf("# TYPE quorin_reply_queue_bytes"));
    // Every line is well formed, whatever a gauge reads.
    m.countRequest(70003, Metrics::RequestResult::Served);
    m.observeRequest(70003, 0.01);
    m.addGauge(QStringLiteral("quorin_x"), QStringLiteral("X."), {}, [] { return std::numeric_limits<double>::quiet_NaN(); });
    const QByteArray all = m.render();
    QVERIFY(all.endsWith('\n'));
    const QRegularExpression sample(QStringLiteral(R"(^[a-z_]+(\{[a-z_]+="[^"]*"(,[a-z_]+="[^"]*")*\})? (-?[0-9.e+-]+|NaN|[+-]Inf)$)"));
    const QRegularExpression comment(QStringLiteral(R"(^# (HELP [a-z_]+ .+|TYPE [a-z_]+ (counter|gauge|histogram))$)"));
    for (const QByteArray &line : all.split('\n')) {
        if (line.isEmpty())
            continue;
        const QString text = QString::fromLatin1(line);
        QVERIFY2(sample.match(text).hasMatch() || comment.match(text).hasMatch(), line.constData());
    }
    QVERIFY(all.contains("quorin_x NaN\n"));
}

QTEST_GUILESS_MAIN(TestMetrics)
#include "tst_metrics.moc"
