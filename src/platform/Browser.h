#pragma once

#include <QString>

namespace platform {

// Opens `url` in the user's browser, detached from the program. False when
// nothing could be started.
bool openUrl(const QString &url);

} // namespace platform
