#pragma once

#include <QString>

#include "core/Severity.h"

// The questions the program asks its operator. Windows ask them in dialogs;
// headless, each takes its default answer.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A message with an OK button; `severity` is for the journal when
    // nobody is there to press it.
    virtual void message(const QString &text, Severity severity = Severity::Info) = 0;
    // Yes and No, No the default; the question icon, or the critical one
    // for the questions that guard data or the program's end. True on Yes.
    virtual bool confirm(const QString &text, bool critical = false) = 0;
    // An input box; empty text when cancelled.
    virtual QString input(const QString &prompt) = 0;
    // Opens the file in a plain-text editor and returns when it is closed.
    virtual void editFile(const QString &path) = 0;
};
