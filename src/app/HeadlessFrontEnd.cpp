#include "app/HeadlessFrontEnd.h"

#include "app/Composition.h"
#include "app/FrontEnds.h"
#include "app/HeadlessCommands.h"
#include "app/HeadlessMonitor.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "platform/Journal.h"
#include "platform/StandardOutput.h"
#include "platform/StdinLines.h"
#include "platform/TerminationSignals.h"

#include <QCoreApplication>

void HeadlessPrompts::message(const QString &text, Severity severity)
{
    m_out.print(QStringLiteral("MsgBox"), text, severity);
}

bool HeadlessPrompts::confirm(const QString &text, bool critical)
{
    const bool yes = m_yes > 0;
    m_yes = std::max(0, m_yes - 1);
    m_out.print(QStringLiteral("MsgBox"), text + (yes ? QStringLiteral(" -> Si") : QStringLiteral(" -> No")),
                critical ? Severity::Error : Severity::Info);
    return yes;
}

QString HeadlessPrompts::input(const QString &prompt)
{
    const QString answer = m_inputs.isEmpty() ? QString() : m_inputs.takeFirst();
    m_out.print(QStringLiteral("InputBox"), prompt + QStringLiteral(" -> \"") + answer + QLatin1Char('"'));
    return answer;
}

void HeadlessPrompts::editFile(const QString &path)
{
    m_out.print(QStringLiteral("Editor"), QStringLiteral("not available without windows: ") + path);
}

void printListLines(Logger &log, HeadlessOutput &out)
{
    for (LogList *list : {&log.list1(), &log.list2(), &log.list3(0), &log.list3(1)}) {
        QObject::connect(list, &LogList::lineAdded, list,
                         [list, &out](const QString &line, Severity severity) { out.print(list->name(), line, severity); });
    }
}

int runHeadless(const RunOptions &options)
{
    QString fatal;
    int code = 1;
    const bool errorsToJournal = platform::isJournal(platform::StdStream::Error);
    routeQtMessages(errorsToJournal);
    {
        // A reader that does not keep up loses lines, never the program's time.
        platform::StandardOutput sink;
        QTextStream stream(&sink);
        HeadlessOutput out(stream, platform::isJournal(platform::StdStream::Output));
        HeadlessPrompts prompts(out);
        // Nobody can fill in the dialer's address here: without it the run ends.
        MainController::Options controllerOptions = options.controller;
        controllerOptions.unattended = true;
        MainController controller(controllerOptions, prompts);
        Composition parts(controller, prompts, options.fast, options.telnetHost);
        printListLines(controller.log(), out);
        printMonitor(parts.ctMonitor(), out);
        printPbx(parts.pbx(), out);
        printNotices(parts.notice(), out);
        printConsole(parts.console(), out);
        printWatchdog(parts.watchdogWindow(), out);
        printPing(parts.ping(), out);
        HeadlessCommands commands(controller, parts, prompts, out);
        platform::StdinLines input;
        QObject::connect(&input, &platform::StdinLines::line, &controller,
                         [&commands](const QString &line) { commands.run(line); });

        platform::TerminationSignals termination;
        QObject::connect(&termination, &platform::TerminationSignals::terminationRequested, &controller,
                         [&controller] { controller.unload(); });
        QObject::connect(&controller, &MainController::finished, qApp, &QCoreApplication::exit, Qt::QueuedConnection);

        code = controller.start() ? QCoreApplication::exec() : 1;
        fatal = controller.fatalMessage();
    }
    // After the sink has given standard output its blocking mode back.
    if (!fatal.isEmpty())
        QTextStream(stderr) << HeadlessOutput::lines(fatal, Severity::Error, errorsToJournal);
    return code;
}
