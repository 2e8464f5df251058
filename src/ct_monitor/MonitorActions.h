#pragma once

#include <QObject>
#include <QPoint>

#include "core/LogList.h"
#include "core/ObservableValue.h"
#include "ct_monitor/LayoutFile.h"

class FileLocations;
class Logger;
class MonitorTiles;
class PhoneControl;
class PopupNotice;
class UserPrompts;

// What the monitor window's buttons, lists, tiles and free texts do, so
// that the window only forwards clicks and the headless front end can do
// the same by caption: search and call, the extension list, edit mode,
// the layout file and the free texts.
class MonitorActions : public QObject {
    Q_OBJECT
public:
    static constexpr int kListTicks = 15; // the extension list is refilled every 15 ticks

    struct Parts {
        Logger &log;
        UserPrompts &prompts;
        PopupNotice &notice;
        PhoneControl &phone;
        MonitorTiles &tiles;
        const FileLocations &files; // the layout file's place
    };

    explicit MonitorActions(Parts parts, QObject *parent = nullptr);

    // Command1: "cerca oper." and "cerca+chiama op.".
    void cerca(bool andCall);
    // Command2 0 and 1: "chiama oper.", "chiama est.".
    void chiama();
    // Command2 2: "interrompi".
    void interrompi();
    // Command2 3: "lista".
    void toggleList();
    // A line of the list chosen (double click or Enter).
    void listActivated(int row);
    // Command2 4: "edit"; again, or closing the window, leaves it.
    void edit();
    void leaveEditMode();
    // Command2 5 "save" and 6 "zoom".
    bool salvaPosizioni();
    void leggiPosizioni();
    // A click on a row of the group grid: the number its first cell starts with.
    void gridClicked(const QString &firstCell);
    // The window timer's share: the list, every 15 ticks while it shows.
    void tick();

    // Tile events.
    void tileRightClicked(int index);
    void tileMoveStarted(int index);
    void tileMoved(int index, QPoint twips); // the tile's event 1111
    // The form: a right click in edit mode adds a free text; a double click aligns.
    void formRightClicked(QPoint twips);
    void formDoubleClicked();
    // A double click on "lbl": the layout file in the text editor.
    void openLayoutFile();

    bool editMode() const { return m_edit; }
    int listTickCount() const { return m_listTicks; }
    const QList<layoutfile::FreeText> &texts() const { return m_texts; }

    FlagValue listShown;                                // ListaInterni visible
    LogList list{QStringLiteral("ListaInterni")};       // its lines
    TextValue coordinates;                              // last tile position set, for the label

Q_SIGNALS:
    // Edit mode on (true) or off, before editModeChanged: the window's and
    // the main window's timers and the two links are to stop, or start again.
    void held(bool on);
    void editModeChanged(bool on);
    void textsChanged();
    // Ridisegna: tiles back to their stored places, a move under way undone.
    void redraw();

private:
    void fillList();
    void callExtension(int extension);
    void notice(const QString &text);
    void log(const QString &text);

    Parts m_parts;
    bool m_edit = false;
    int m_listTicks = 0;
    QList<layoutfile::FreeText> m_texts;
    layoutfile::Layout m_read; // the last layout read, for tiles drawn later
};
