#pragma once

#include <QDialog>

class QPlainTextEdit;

// A plain-text editor for the configuration files: loads the file in the ANSI
// code page and writes it back on "Salva".
class TextEditorDialog : public QDialog {
    Q_OBJECT
public:
    explicit TextEditorDialog(QString path, QWidget *parent = nullptr);

    bool save();

private:
    QString m_path;
    QPlainTextEdit *m_editor;
};
