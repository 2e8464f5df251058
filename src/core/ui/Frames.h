#pragma once

class MainController;
class QGroupBox;
class QWidget;

// The main window's frames, each built over the controller's model. Every
// control carries its original name as object name.
namespace frames {

QGroupBox *connection(MainController &controller, QWidget *parent);  // "Server Quorin"
QGroupBox *traffic(MainController &controller, QWidget *parent);     // "Stato connessione PD"
QGroupBox *database(MainController &controller, QWidget *parent);    // "Dati DB"
QWidget *commands(MainController &controller, QWidget *parent);      // the row of command buttons
QWidget *outcomes(MainController &controller, QWidget *parent);      // outcome and request counters
QWidget *logLists(MainController &controller, QWidget *parent);      // List1 and List2
QGroupBox *requestLists(MainController &controller, QWidget *parent); // Frame4: the two List3
QGroupBox *groupBrowser(MainController &controller, QWidget *parent); // "Gruppi/Operatori"

// FiltraGrOp: reloads the "Gruppi/Operatori" grid with the current filters.
void filterGroups(MainController &controller, QWidget *window);

} // namespace frames
