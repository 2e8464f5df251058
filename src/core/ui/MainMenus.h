#pragma once

class MainController;
class QMainWindow;

namespace mainmenus {

// "&File", "Log", the clock menu and "&TestQuery". Entries whose service is
// not part of this program yet are shown disabled.
void build(QMainWindow &window, MainController &controller);

} // namespace mainmenus
