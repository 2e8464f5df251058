#include "auxiliary/ui/PopupWindow.h"

#include "auxiliary/PopupNotice.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

PopupWindow::PopupWindow(PopupNotice &notice, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_notice(notice), m_text(new QLabel(this))
{
    setObjectName(QStringLiteral("FrmMsgQuorin"));
    setWindowTitle(QStringLiteral("Msg"));
    m_text->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    connect(&notice, &PopupNotice::opened, this, [this](const QString &text) {
        m_text->setText(text);
        show();
        raise();
    });
    connect(&notice, &PopupNotice::closed, this, &QWidget::hide);
}

void PopupWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        m_notice.escapePressed();
    else
        QWidget::keyPressEvent(event);
}

void PopupWindow::closeEvent(QCloseEvent *event)
{
    m_notice.controlEvent(PopupNotice::kCloseEvent);
    QWidget::closeEvent(event);
}
