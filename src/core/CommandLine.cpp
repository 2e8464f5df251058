#include "core/CommandLine.h"

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine cl;
    QStringList words; // what the original would have seen as its command line
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        QString *folder = nullptr;
        if (arg == QStringLiteral("--headless"))
            cl.headless = true;
        else if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h"))
            cl.help = true;
        else if (arg == QStringLiteral("--check-config"))
            cl.checkConfig = true;
        else if (arg == QStringLiteral("--version"))
            cl.version = true;
        else if (arg == QStringLiteral("--app-dir"))
            folder = &cl.appDir;
        else if (arg == QStringLiteral("--shared-dir"))
            folder = &cl.sharedDir;
        else if (arg == QStringLiteral("--root-dir"))
            folder = &cl.rootDir;
        else if (arg == QStringLiteral("--create-demo-db"))
            folder = &cl.createDemoDb;
        else if (arg == QStringLiteral("--telnet-host"))
            folder = &cl.telnetHost;
        else if (arg == QStringLiteral("--customers") || arg == QStringLiteral("--seed")) {
            bool ok = false;
            const qlonglong n = arguments.value(i + 1).toLongLong(&ok);
            if (!ok || n < 0 || n > 10000000) {
                cl.error = arg + QStringLiteral(" needs a number");
                break;
            }
            ++i;
            if (arg == QStringLiteral("--customers"))
                cl.customers = static_cast<int>(n);
            else
                cl.seed = static_cast<quint32>(n);
        }
        else if (arg.startsWith(QStringLiteral("--")))
            cl.error = QStringLiteral("unknown option ") + arg;
        else
            words.append(arg);
        if (!folder)
            continue;
        if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
            cl.error = arg + QStringLiteral(" needs a value");
            break;
        }
        *folder = arguments[++i];
    }
    const QString line = words.join(QLatin1Char(' ')).toUpper();
    cl.minimo = line.contains(QStringLiteral("MINIMO"));
    cl.fast = line.contains(QStringLiteral("FAST"));
    return cl;
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: quorin-db-server [options] [MINIMO] [FAST]\n"
        "\n"
        "  MINIMO            read only the \"Settings\" section; no database\n"
        "  FAST              no pauses when writing dialer packets\n"
        "  --headless        no windows; list lines go to standard output\n"
        "  --app-dir DIR     application folder (conn_quorin.ini, SQL templates, web/, js/)\n"
        "                    default: the executable's folder\n"
        "  --shared-dir DIR  folder of tm40.ini, Orderby190.ini and Pos_CT.ini\n"
        "                    default: Z:\\work\\tm40\\dati on Windows, <app-dir>/dati elsewhere\n"
        "  --root-dir DIR    folder of DEBUG.TXT and DEBUG-AGGDB.LOG\n"
        "                    default: the drive root on Windows, the application folder elsewhere\n"
        "  --telnet-host HOST the dialer's host for the telnet console (default: tormix)\n"
        "  --create-demo-db FILE|CONNECTION [--customers N] [--seed S]\n"
        "                    create a demo campaign database and stop: a new SQLite file,\n"
        "                    or the tables in an existing, empty PostgreSQL database\n"
        "                    (\"Provider=PostgreSQL;Host=...;Database=...\" or postgresql://...)\n"
        "  --check-config    check the settings, the database and the ports, print every\n"
        "                    setting and each problem, and stop (exit status 1 on a problem)\n"
        "  --version         the version and the commit it was built from\n"
        "  --help            this text\n");
}
