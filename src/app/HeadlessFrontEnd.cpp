#include "app/HeadlessFrontEnd.h"

#include "app/Composition.h"
#include "app/FrontEnds.h"
#include "app/HeadlessCommands.h"
#include "app/HeadlessMonitor.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "platform/StandardOutput.h"
#include "platform/StdinLines.h"
#include "platform/TerminationSignals.h"

#include <QCoreApplication>

namespace {

// One "Source | line" per line of `text`: a reader of the output can rely on the prefix.
void printLine(QTextStream &out, const QString &source, const QString &text)
{
    for (const QString &line : text.split(QLatin1Char('\n')))
        out << source << QStringLiteral(" | ") << line << Qt::endl;
}

} // namespace

void HeadlessPrompts::message(const QString &text)
{
    printLine(m_out, QStringLiteral("MsgBox"), text);
}

bool HeadlessPrompts::confirm(const QString &text, bool)
{
    const bool yes = m_yes > 0;
    m_yes = std::max(0, m_yes - 1);
    printLine(m_out, QStringLiteral("MsgBox"), text + (yes ? QStringLiteral(" -> Si") : QStringLiteral(" -> No")));
    return yes;
}

QString HeadlessPrompts::input(const QString &prompt)
{
    const QString answer = m_inputs.isEmpty() ? QString() : m_inputs.takeFirst();
    printLine(m_out, QStringLiteral("InputBox"), prompt + QStringLiteral(" -> \"") + answer + QLatin1Char('"'));
    return answer;
}

void HeadlessPrompts::editFile(const QString &path)
{
    printLine(m_out, QStringLiteral("Editor"), QStringLiteral("not available without windows: ") + path);
}

void printListLines(Logger &log, QTextStream &out)
{
    for (LogList *list : {&log.list1(), &log.list2(), &log.list3(0), &log.list3(1)}) {
        QObject::connect(list, &LogList::lineAdded, list,
                         [list, &out](const QString &line) { printLine(out, list->name(), line); });
    }
}

int runHeadless(const RunOptions &options)
{
    QString fatal;
    int code = 1;
    {
        // A reader that does not keep up loses lines, never the program's time.
        platform::StandardOutput sink;
        QTextStream out(&sink);
        HeadlessPrompts prompts(out);
        MainController controller(options.controller, prompts);
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
        QTextStream(stderr) << fatal << Qt::endl;
    return code;
}
