#include "core/ui/DialogPrompts.h"

#include "core/AppInfo.h"
#include "core/ui/TextEditorDialog.h"

#include <QInputDialog>
#include <QMessageBox>

void DialogPrompts::message(const QString &text)
{
    QMessageBox::information(m_parent, appinfo::title(), text);
}

bool DialogPrompts::confirm(const QString &text, bool critical)
{
    QMessageBox box(critical ? QMessageBox::Critical : QMessageBox::Question, appinfo::title(), text,
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
