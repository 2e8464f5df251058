#include "console/ui/TcpIpDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

TcpIpDialog::TcpIpDialog(const QString &host, const QString &port, Apply apply, QWidget *parent)
    : QDialog(parent), m_apply(std::move(apply)), m_host(new QLineEdit(host, this)), m_port(new QLineEdit(port, this))
{
    setObjectName(QStringLiteral("frmTCPIP"));
    setWindowTitle(QStringLiteral("TCP/IP"));
    m_host->setObjectName(QStringLiteral("txtRemoteAddress"));
    m_port->setObjectName(QStringLiteral("txtPort"));
    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("Remote IP Address"), m_host);
    form->addRow(QStringLiteral("Remote IP Port"), m_port);
    auto *buttons = new QHBoxLayout;
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOKCancel_0"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdOKCancel_1"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    form->addRow(buttons);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, [this] {
        const QString error = m_apply(m_host->text(), m_port->text());
        if (!error.isEmpty()) {
            QMessageBox::warning(this, windowTitle(), error);
            return;
        }
        accept();
    });
}
