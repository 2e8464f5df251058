#include "core/ui/DialogPrompts.h"

#include "core/AppInfo.h"
#include "core/Redaction.h"
#include "core/ui/TextEditorDialog.h"

#include <QInputDialog>
#include <QMessageBox>

namespace {
// Marks a text as on screen for as long as its dialog is open.
class OnScreen {
public:
    OnScreen(QSet<QString> &open, const QString &text) : m_open(open), m_text(text) { m_open.insert(text); }
    ~OnScreen() { m_open.remove(m_text); }

private:
    QSet<QString> &m_open;
    QString m_text;
};
} // namespace

void DialogPrompts::message(const QString &text, Severity)
{
    if (m_open.contains(text))
        return;
    const OnScreen shown(m_open, text);
    QMessageBox::information(m_parent, appinfo::title(), redaction::hidePasswords(text));
}

bool DialogPrompts::confirm(const QString &text, bool critical)
{
    if (m_open.contains(text))
        return false;
    const OnScreen shown(m_open, text);
    QMessageBox box(critical ? QMessageBox::Critical : QMessageBox::Question, appinfo::title(), redaction::hidePasswords(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString DialogPrompts::input(const QString &prompt)
{
    return QInputDialog::getText(m_parent, appinfo::title(), prompt);
}

void DialogPrompts::editFile(const QString &path)
{
    TextEditorDialog dialog(path, m_parent);
    dialog.exec();
}
