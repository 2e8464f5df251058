#include "core/ui/DialogPrompts.h"

#include "core/AppInfo.h"
#include "core/ui/TextEditorDialog.h"

#include <QInputDialog>
#include <QMessageBox>

void DialogPrompts::message(const QString &text)
{
    QMessageBox::information(m_parent, appinfo::title(), text);
}

bool DialogPrompts::confirm(const QString &text)
{
    return QMessageBox::question(m_parent, appinfo::title(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
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
