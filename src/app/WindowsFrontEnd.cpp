#include "app/Composition.h"
#include "app/FrontEnds.h"
#include "auxiliary/ui/PopupWindow.h"
#include "auxiliary/ui/WatchdogWindow.h"
#include "core/ui/DialogPrompts.h"
#include "core/ui/MainWindow.h"
#include "console/ui/ConsoleWindow.h"
#include "ct_monitor/ui/CtMonitorWindow.h"
#include "pbx_lines/ui/PbxWindow.h"
#include "platform/TerminationSignals.h"

#include <QApplication>

int runWindows(const RunOptions &options)
{
    DialogPrompts prompts;
    MainController controller(options.controller, prompts);
    Composition parts(controller, prompts, options.fast, options.telnetHost);
    MainWindow window(controller);
    prompts.setParent(&window);
    // The other windows come and go with their models; built before the
    // start, which may open them.
    CtMonitorWindow monitorWindow(parts.ctMonitor());
    PbxWindow pbxWindow(parts.pbx());
    PopupWindow notice(parts.notice());
    ConsoleWindow console(parts.console());
    WatchdogWindow watchdog(parts.watchdogWindow());

    platform::TerminationSignals termination;
    QObject::connect(&termination, &platform::TerminationSignals::terminationRequested, &controller,
                     [&controller] { controller.unload(); });
    QObject::connect(&controller, &MainController::finished, qApp, &QCoreApplication::exit, Qt::QueuedConnection);

    window.show();
    const int code = controller.start() ? QApplication::exec() : 1;
    if (!controller.fatalMessage().isEmpty())
        QTextStream(stderr) << controller.fatalMessage() << Qt::endl;
    return code;
}
