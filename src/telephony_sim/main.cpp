// quorin-telephony-sim: plays the telephony server's monitor and operator
// servers for the CT monitor, for demos, tests and load runs.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>
#include <QTimer>

#include "telephony_sim/PbxSim.h"
#include "telephony_sim/TelephonySim.h"

namespace {

const char kUsage[] =
    "Usage: quorin-telephony-sim [--monitor-port N] [--operator-port N] [--extensions N] [--groups N]\n"
    "                            [--rate N] [--group-rate N] [--seconds N] [--seed N] [--db FILE]\n"
    "                            [--split] [--bad-length-every N] [--unknown-code-every N]\n"
    "                            [--disconnect-every S] [--pbx-port N] [--lines N] [--pbx-rate N]\n"
    "                            [--help]\n"
    "Listens on 127.0.0.1 (port 0: any) as the telephony server's monitor (9992) and\n"
    "operator server (20600): sends the configuration, then N extension changes and\n"
    "N group changes a second; applies the operator commands it receives. Faults on\n"
    "request: packets in pieces, bad lengths, unknown codes, dropped connections.\n"
    "Also plays the exchange's line monitor (20250) on --pbx-port: every line's\n"
    "state, then --pbx-rate line changes a second and now and then a call message;\n"
    "the fault options apply to it too.\n"
    "--db FILE: at the end, resends the state and checks CT_Monitor of that SQLite\n"
    "file against the last state sent.\n"
    "Exit status: 0 clean run, 1 CT_Monitor differs, 2 usage.\n";

bool parse(const QStringList &args, TelephonySim::Options &o, PbxSim::Options &p, QString &db)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QStringLiteral("--split")) {
            o.split = true;
            continue;
        }
        const QString v = args.value(i + 1);
        bool ok = true;
        const auto number = [&] { return v.toInt(&ok); };
        if (a == QStringLiteral("--monitor-port"))
            o.monitorPort = static_cast<quint16>(number());
        else if (a == QStringLiteral("--operator-port"))
            o.operatorPort = static_cast<quint16>(number());
        else if (a == QStringLiteral("--extensions"))
            o.extensions = number();
        else if (a == QStringLiteral("--groups"))
            o.groups = number();
        else if (a == QStringLiteral("--rate"))
            o.extensionRate = number();
        else if (a == QStringLiteral("--group-rate"))
            o.groupRate = number();
        else if (a == QStringLiteral("--seconds"))
            o.seconds = number();
        else if (a == QStringLiteral("--seed"))
            o.seed = static_cast<quint32>(number());
        else if (a == QStringLiteral("--bad-length-every"))
            o.badLengthEvery = number();
        else if (a == QStringLiteral("--unknown-code-every"))
            o.unknownCodeEvery = number();
        else if (a == QStringLiteral("--disconnect-every"))
            o.disconnectEverySeconds = number();
        else if (a == QStringLiteral("--pbx-port"))
            p.port = static_cast<quint16>(number());
        else if (a == QStringLiteral("--lines"))
            p.lines = number();
        else if (a == QStringLiteral("--pbx-rate"))
            p.rate = number();
        else if (a == QStringLiteral("--db"))
            db = v;
        else
            return false;
        if (!ok || v.isEmpty())
            return false;
        ++i;
    }
    return true;
}

// Extensions whose CT_Monitor row differs from the last state sent.
QStringList differences(const QString &file, const TelephonySim &sim)
{
    QStringList out;
    const QString name = QStringLiteral("telephony-sim-check");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            return {QStringLiteral("cannot open ") + file};
        for (const simbytes::Extension &e : sim.extensions()) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("SELECT statolog, statoAction, statoLinea, statoACD, ID_Agent, Descrizione, OraLogin"
                                     " FROM CT_Monitor WHERE Interno=?"));
            q.addBindValue(QString::number(e.number));
            const QStringList want{e.logState, e.actionState, e.lineState, e.acdState, e.agent, e.description, e.loginTime};
            QStringList got;
            if (q.exec() && q.next())
                for (int i = 0; i < want.size(); ++i)
                    got << q.value(i).toString();
            if (got != want)
                out << QString::number(e.number) + QStringLiteral(": ") + got.join(QLatin1Char('|'))
                        + QStringLiteral(" instead of ") + want.join(QLatin1Char('|'));
        }
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << kUsage;
        return 0;
    }
    TelephonySim::Options options;
    PbxSim::Options pbxOptions;
    QString db;
    if (!parse(args, options, pbxOptions, db)) {
        QTextStream(stderr) << kUsage;
        return 2;
    }
    pbxOptions.seed = options.seed;
    pbxOptions.extensions = options.extensions;
    pbxOptions.badLengthEvery = options.badLengthEvery;
    pbxOptions.unknownCodeEvery = options.unknownCodeEvery;
    TelephonySim sim(options);
    PbxSim pbx(pbxOptions);
    if (!sim.listen() || !pbx.listen()) {
        QTextStream(stderr) << "cannot listen" << Qt::endl;
        return 2;
    }
    out << "monitor on " << sim.monitorPort() << ", operator server on " << sim.operatorPort() << ", pbx on "
        << pbx.port() << Qt::endl;
    int code = 0;
    QObject::connect(&sim, &TelephonySim::finished, &app, [&] {
        pbx.stop();
        const auto &s = sim.stats();
        out << "packets " << s.packets << ", extension records " << s.extensionRecords << ", group records "
            << s.groupRecords << ", commands " << s.commands << ", faults " << s.faults << ", connections "
            << s.connections << ", pbx packets " << pbx.packets() << Qt::endl;
        if (!db.isEmpty()) {
            sim.resend();
            // The program writes CT_Monitor a moment after it applies a change.
            QElapsedTimer waited;
            waited.start();
            QStringList diff = differences(db, sim);
            while (!diff.isEmpty() && waited.elapsed() < 15000) {
                QEventLoop pause;
                QTimer::singleShot(250, &pause, &QEventLoop::quit);
                pause.exec();
                diff = differences(db, sim);
            }
            for (const QString &d : std::as_const(diff))
                out << "CT_Monitor differs: " << d << Qt::endl;
            out << "CT_Monitor " << (diff.isEmpty() ? "equals" : "differs from") << " the last state sent ("
                << sim.extensions().size() << " extensions)" << Qt::endl;
            code = diff.isEmpty() ? 0 : 1;
        }
        QCoreApplication::exit(code);
    });
    app.exec();
    return code;
}
