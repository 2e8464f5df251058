#pragma once

#include <QWidget>

class PopupNotice;
class QLabel;

// "Msg": shows the notice's text while it is open.
class PopupWindow : public QWidget {
    Q_OBJECT
public:
    explicit PopupWindow(PopupNotice &notice, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    PopupNotice &m_notice;
    QLabel *m_text;
};
