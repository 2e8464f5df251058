#pragma once

#include <QStringList>

#include "app/HeadlessOutput.h"
#include "core/UserPrompts.h"

class Logger;
class LogList;

// Questions without an operator: every message is printed and every question
// takes its default answer (No; an empty input).
class HeadlessPrompts : public UserPrompts {
public:
    explicit HeadlessPrompts(HeadlessOutput &out) : m_out(out) {}

    void message(const QString &text, Severity severity = Severity::Info) override;
    bool confirm(const QString &text, bool critical = false) override;
    QString input(const QString &prompt) override;
    void editFile(const QString &path) override;

    // A typed command answers its own questions: the next input boxes and
    // questions take these answers instead of their defaults.
    void answerInputs(const QStringList &answers) { m_inputs = answers; }
    void answerQuestions(int yes) { m_yes = yes; }
    void forgetAnswers()
    {
        m_inputs.clear();
        m_yes = 0;
    }

private:
    HeadlessOutput &m_out;
    QStringList m_inputs;
    int m_yes = 0;
};

// Prints every line added to the main window's lists as "ListName | line".
void printListLines(Logger &log, HeadlessOutput &out);
