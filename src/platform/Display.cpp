#include "platform/Display.h"

#include <QtGlobal>

namespace platform {

bool hasDisplay()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    // An explicit platform plugin (offscreen, vnc...) counts as a display.
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
#endif
}

} // namespace platform
