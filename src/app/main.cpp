#include "app/ConfigCheck.h"
#include "app/FrontEnds.h"
#include "campaign/DemoDatabase.h"
#include "core/AppInfo.h"
#include "core/CommandLine.h"
#include "core/Redaction.h"
#include "platform/Display.h"
#include "platform/PlatformPaths.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>
#include <memory>

namespace {

QString absolute(const QString &dir)
{
    return QDir(dir).absolutePath();
}

RunOptions options(const CommandLine &cl)
{
    RunOptions run;
    run.fast = cl.fast;
    run.telnetHost = cl.telnetHost;
    MainController::Options &o = run.controller;
    o.minimo = cl.minimo;
    o.paths.appDir = absolute(cl.appDir.isEmpty() ? QCoreApplication::applicationDirPath() : cl.appDir);
    o.paths.sharedDir = cl.sharedDir.isEmpty() ? platform::defaultSharedDir(o.paths.appDir) : absolute(cl.sharedDir);
    o.paths.rootDir = cl.rootDir.isEmpty() ? platform::defaultRootDir(o.paths.appDir) : absolute(cl.rootDir);
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine cl = CommandLine::parse(arguments);
    QTextStream err(stderr);
    if (cl.help) {
        QTextStream(stdout) << CommandLine::usage();
        return 0;
    }
    if (cl.version) {
        QTextStream(stdout) << appinfo::versionLine() << Qt::endl;
        return 0;
    }
    if (!cl.error.isEmpty()) {
        err << cl.error << Qt::endl << CommandLine::usage();
        return 2;
    }

    if (!cl.createDemoDb.isEmpty()) {
        QCoreApplication app(argc, argv);
        QString error;
        if (!demodatabase::create(cl.createDemoDb, {cl.customers, cl.seed}, error)) {
            err << redaction::hidePasswords(error) << Qt::endl;
            return 1;
        }
        // A connection string may hold a password: not repeated.
        const bool file = !cl.createDemoDb.contains(QLatin1Char('=')) && !cl.createDemoDb.contains(QStringLiteral("://"));
        QTextStream(stdout) << "Created " << (file ? cl.createDemoDb : QStringLiteral("the demo database")) << " with "
                            << cl.customers << " customers" << Qt::endl;
        return 0;
    }

    if (cl.checkConfig) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        return ConfigCheck(options(cl).controller.paths).run(out).isEmpty() ? 0 : 1;
    }

    const bool headless = cl.headless || !platform::hasDisplay();
    std::unique_ptr<QCoreApplication> app;
    if (headless)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorin-db-server"));

    return headless ? runHeadless(options(cl)) : runWindows(options(cl));
}
