// quorin-dialer-sim: plays the dialer server for load runs and soaks.
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <algorithm>

#include "campaign/CampaignDb.h"
#include "dialer_sim/Simulator.h"

namespace {

const char kUsage[] =
    "Usage: quorin-dialer-sim [--port N] [--seconds N] [--outcomes N] [--quantity N]\n"
    "                         [--operators 140,141] [--mix 5:30,8:20,1:15] [--seed N] [--db FILE]\n"
    "                         [--pipeline N] [--stall-every N --stall-ms MS] [--unanswered-ms MS]\n"
    "                         [--group G] [--no-outcomes] [--no-releases] [--customers-only]\n"
    "                         [--journal FILE] [--wait-restarts] [--drop-link-every N] [--help]\n"
    "Listens on 127.0.0.1 (port 0: any), takes the program's connection and drives it.\n"
    "--pipeline N writes up to N requests at once and matches the replies in order.\n"
    "--stall-every N --stall-ms MS stops reading for MS milliseconds after every N replies.\n"
    "--unanswered-ms MS gives up groups, an outcome or a release left unanswered for MS\n"
    "milliseconds, as when the program's database fails, and reports the outcome again.\n"
    "--db FILE|CONNECTION counts the outcome rows of the campaign database (an SQLite file\n"
    "or a connection string) before and after, so that every acknowledged outcome is proved stored.\n"
    "--journal FILE writes each customer received and given back (outcome, release, refusal),\n"
    "\"R|C <monotonic ns> <customer>\", so that several dialers' files show a customer handed\n"
    "to one while another held it.\n"
    "--group G asks every time for group G; --no-outcomes reports none; --no-releases never drops\n"
    "a queue; --customers-only asks for group customers and nothing else.\n"
    "--wait-restarts waits for a program that goes away and goes on with its next connection,\n"
    "reporting again, as they were, the outcomes it had not acknowledged.\n"
    "--drop-link-every N (with --wait-restarts) closes the link right after every N outcomes,\n"
    "before their acknowledgements are read.\n"
    "Exit status: 0 clean run, 1 protocol violation, 2 usage, 3 outcomes acknowledged but not stored.\n";

qint64 outcomeRows(const QString &target)
{
    const bool file = !target.contains(QLatin1Char('=')) && !target.contains(QStringLiteral("://"));
    const ConnectionParams conn = ConnectionParams::parse(
        file ? QStringLiteral("Provider=SQLite;Data Source=\"") + target + QLatin1Char('"') : target, QDir::currentPath());
    CampaignDb db;
    QString error;
    qint64 rows = -1;
    if (!db.open(conn, error) || !db.scalar(QStringLiteral("select count(*) from Esiti_Quorin"), rows, error)) {
        QTextStream(stderr) << "cannot count outcome rows: " << error << Qt::endl;
        return -1;
    }
    return rows;
}

bool parse(const QStringList &args, Simulator::Options &o, QString &db)
{
    const std::pair<const char *, bool Simulator::Options::*> flags[] = {
        {"--no-outcomes", &Simulator::Options::outcomes},       {"--no-releases", &Simulator::Options::releases},
        {"--customers-only", &Simulator::Options::customersOnly}, {"--wait-restarts", &Simulator::Options::waitForRestarts}};
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const QString v = args.value(i + 1);
        bool ok = true;
        const auto flag = std::find_if(std::begin(flags), std::end(flags),
                                       [&](const auto &f) { return a == QLatin1String(f.first); });
        if (flag != std::end(flags)) {
            // "--no-…" turns a default off; the others turn theirs on.
            o.*(flag->second) = !a.startsWith(QStringLiteral("--no-"));
            continue;
        }
        if (a == QStringLiteral("--port"))
            o.port = static_cast<quint16>(v.toUInt(&ok));
        else if (a == QStringLiteral("--seconds"))
            o.seconds = v.toInt(&ok);
        else if (a == QStringLiteral("--outcomes"))
            o.maxOutcomes = v.toInt(&ok);
        else if (a == QStringLiteral("--quantity"))
            o.groupQuantity = v.toInt(&ok);
        else if (a == QStringLiteral("--group"))
            o.group = v.toInt(&ok);
        else if (a == QStringLiteral("--seed"))
            o.seed = v.toUInt(&ok);
        else if (a == QStringLiteral("--operators"))
            o.operators = v.split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (a == QStringLiteral("--db"))
            db = v;
        else if (a == QStringLiteral("--drop-link-every"))
            o.dropLinkEvery = v.toInt(&ok);
        else if (a == QStringLiteral("--journal"))
            o.journal = v;
        else if (a == QStringLiteral("--pipeline"))
            o.pipeline = v.toInt(&ok);
        else if (a == QStringLiteral("--stall-every"))
            o.stallEvery = v.toInt(&ok);
        else if (a == QStringLiteral("--stall-ms"))
            o.stallMs = v.toInt(&ok);
        else if (a == QStringLiteral("--unanswered-ms"))
            o.unansweredMs = v.toInt(&ok);
        else if (a == QStringLiteral("--mix")) {
            o.mix.clear();
            for (const QString &pair : v.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                bool a1 = false, a2 = false;
                o.mix.append({pair.section(QLatin1Char(':'), 0, 0).toInt(&a1), pair.section(QLatin1Char(':'), 1, 1).toInt(&a2)});
                ok = ok && a1 && a2;
            }
        } else
            return false;
        if (!ok || v.isEmpty())
            return false;
        ++i;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    Simulator::Options options;
    QString db;
    const QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << kUsage;
        return 0;
    }
    if (!parse(args, options, db)) {
        QTextStream(stderr) << kUsage;
        return 2;
    }
    const qint64 before = db.isEmpty() ? 0 : outcomeRows(db);
    if (before < 0)
        return 2;
    Simulator sim(options);
    if (!sim.listen()) {
        QTextStream(stderr) << "cannot listen on port " << options.port << " or write the journal" << Qt::endl;
        return 2;
    }
    out << "listening on " << sim.port() << Qt::endl;
    int code = 0;
    QObject::connect(&sim, &Simulator::finished, &app, [&](bool ok) {
        out << sim.summary() << Qt::endl;
        if (!ok) {
            out << "PROTOCOL VIOLATION: " << sim.stats().violation << Qt::endl;
            code = 1;
        } else if (!db.isEmpty()) {
            const qint64 stored = outcomeRows(db) - before;
            out << "outcome rows stored " << stored << " for " << sim.stats().outcomesAcked << " acknowledged" << Qt::endl;
            if (stored != sim.stats().outcomesAcked)
                code = 3;
        }
        QCoreApplication::exit(code);
    });
    app.exec();
    return code;
}
