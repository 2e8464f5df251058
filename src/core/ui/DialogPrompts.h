#pragma once

#include <QSet>

#include "core/UserPrompts.h"

class QWidget;

// The operator's questions as modal dialogs over the main window. A
// message or question already on screen is never opened a second time
// (events run while one is open, and may ask it again): the repeat returns
// at once, a question with its default answer.
class DialogPrompts : public UserPrompts {
public:
    void setParent(QWidget *parent) { m_parent = parent; }

    void message(const QString &text, Severity severity = Severity::Info) override;
    bool confirm(const QString &text, bool critical = false) override;
    QString input(const QString &prompt) override;
    void editFile(const QString &path) override;

    bool isOpen(const QString &text) const { return m_open.contains(text); }

private:
    QWidget *m_parent = nullptr;
    QSet<QString> m_open;
};
