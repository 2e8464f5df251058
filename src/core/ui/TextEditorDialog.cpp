#include "core/ui/TextEditorDialog.h"

#include "platform/PlatformPaths.h"
#include "wire/AnsiCodec.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

TextEditorDialog::TextEditorDialog(QString path, QWidget *parent)
    : QDialog(parent), m_path(std::move(path)), m_editor(new QPlainTextEdit(this))
{
    setWindowTitle(platform::displayPath(m_path));
    m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFile f(m_path);
    const bool unreadable = f.exists() && !f.open(QIODevice::ReadOnly);
    if (f.isOpen())
        m_editor->setPlainText(ansi::decode(f.readAll()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Save)->setText(QStringLiteral("Salva"));
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Chiudi"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (unreadable) {
        // Saving would replace a file we could not show with empty text.
        m_editor->setReadOnly(true);
        m_editor->setPlaceholderText(QStringLiteral("Impossibile leggere ") + platform::displayPath(m_path));
        buttons->button(QDialogButtonBox::Save)->setEnabled(false);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_editor);
    layout->addWidget(buttons);
    resize(800, 500);
}

bool TextEditorDialog::save()
{
    QString text = m_editor->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    QSaveFile out(m_path);
    if (out.open(QIODevice::WriteOnly) && out.write(ansi::encode(text)) >= 0 && out.commit())
        return true;
    QMessageBox::warning(this, windowTitle(), QStringLiteral("Impossibile salvare ") + platform::displayPath(m_path));
    return false;
}
