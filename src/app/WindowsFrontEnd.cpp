#include "app/Composition.h"
#include "app/FrontEnds.h"
#include "core/ui/DialogPrompts.h"
#include "core/ui/MainWindow.h"
#include "platform/TerminationSignals.h"

#include <QApplication>

int runWindows(const RunOptions &options)
{
    DialogPrompts prompts;
    MainController controller(options.controller, prompts);
    Composition parts(controller, prompts, options.fast);
    MainWindow window(controller);
    prompts.setParent(&window);

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
