#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;

// frmTCPIP: the console's host and port. OK applies them; a refusal is
// shown and the dialog stays open.
class TcpIpDialog : public QDialog {
    Q_OBJECT
public:
    using Apply = std::function<QString(const QString &host, const QString &port)>; // an error text, or empty

    TcpIpDialog(const QString &host, const QString &port, Apply apply, QWidget *parent = nullptr);

private:
    Apply m_apply;
    QLineEdit *m_host;
    QLineEdit *m_port;
};
