#pragma once

#include "core/UserPrompts.h"

class QWidget;

// The operator's questions as modal dialogs over the main window.
class DialogPrompts : public UserPrompts {
public:
    void setParent(QWidget *parent) { m_parent = parent; }

    void message(const QString &text) override;
    bool confirm(const QString &text, bool critical = false) override;
    QString input(const QString &prompt) override;
    void editFile(const QString &path) override;

private:
    QWidget *m_parent = nullptr;
};
