#pragma once

#include <QList>
#include <QString>

#include "app/HeadlessOutput.h"
#include <functional>

class Composition;
class HeadlessPrompts;
class MainController;

// Without windows, standard input takes one command a line: the caption of
// a main-window button or menu entry performs it as a click would, and a
// command that asks a question takes its answer after the caption
// ("Test Query Gruppo 3", "Nuovo Stato 105 2"). "?" lists them.
class HeadlessCommands {
public:
    struct Command {
        QString caption;
        QString argument; // what follows the caption, for the list
        std::function<void(const QString &argument)> run;
    };

    HeadlessCommands(MainController &controller, Composition &parts, HeadlessPrompts &prompts, HeadlessOutput &out);

    // Performs one typed line; false when no command matches.
    bool run(const QString &line);
    const QList<Command> &commands() const { return m_commands; }

private:
    void add(const QString &caption, const QString &argument, std::function<void(const QString &)> run);
    void addMainWindow();
    void addSettings();
    void addMonitor();
    void addMonitorWindow();
    void addMonitorControls();
    void addAsking(const QString &caption, const QString &argument, std::function<void()> run);
    void printHighlighted();
    void addPbx();
    void addConsole();
    void print(const QString &text);

    MainController &m_controller;
    Composition &m_parts;
    HeadlessPrompts &m_prompts;
    HeadlessOutput &m_out;
    QList<Command> m_commands;
};
