#include "app/HeadlessFrontEnd.h"

#include "app/Composition.h"
#include "app/FrontEnds.h"
#include "core/LogList.h"
#include "core/Logger.h"
#include "platform/TerminationSignals.h"

#include <QCoreApplication>

namespace {

void printLine(QTextStream &out, const QString &source, const QString &text)
{
    out << source << QStringLiteral(" | ") << text << Qt::endl;
}

} // namespace

void HeadlessPrompts::message(const QString &text)
{
    printLine(m_out, QStringLiteral("MsgBox"), text);
}

bool HeadlessPrompts::confirm(const QString &text, bool)
{
    printLine(m_out, QStringLiteral("MsgBox"), text + QStringLiteral(" -> No"));
    return false;
}

QString HeadlessPrompts::input(const QString &prompt)
{
    printLine(m_out, QStringLiteral("InputBox"), prompt + QStringLiteral(" -> \"\""));
    return QString();
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
    QTextStream out(stdout);
    HeadlessPrompts prompts(out);
    MainController controller(options.controller, prompts);
    Composition parts(controller, prompts, options.fast);
    printListLines(controller.log(), out);

    platform::TerminationSignals termination;
    QObject::connect(&termination, &platform::TerminationSignals::terminationRequested, &controller,
                     [&controller] { controller.unload(); });
    QObject::connect(&controller, &MainController::finished, qApp, &QCoreApplication::exit, Qt::QueuedConnection);

    const int code = controller.start() ? QCoreApplication::exec() : 1;
    if (!controller.fatalMessage().isEmpty())
        QTextStream(stderr) << controller.fatalMessage() << Qt::endl;
    return code;
}
