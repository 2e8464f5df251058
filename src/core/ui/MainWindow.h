#pragma once

#include <QMainWindow>

class MainController;

// The main window: the operator console over the controller's model.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(MainController &controller, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    MainController &m_controller;
};
