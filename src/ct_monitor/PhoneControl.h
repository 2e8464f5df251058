#pragma once

#include <QObject>
#include <QString>

class FileLocations;

namespace platform {
class ProcessRunner;
}

// The supervisor's telephone: dials a number and hangs up. The monitor
// window calls an extension through it.
class PhoneControl {
public:
    virtual ~PhoneControl() = default;
    // False when the number was refused or nothing could dial it.
    virtual bool callPhone(const QString &number) = 0;
    virtual bool hangPhone() = 0;
};

// A telephone driven by the softphone's own command line, set in the
// settings file: "ComandoChiamata" (the number follows as its last
// argument) and "ComandoRiaggancio". Commands are started directly, never
// through a shell, and only numbers made of digits, "+", "*" and "#" are
// passed on.
class CommandPhone : public QObject, public PhoneControl {
    Q_OBJECT
public:
    static constexpr int kMaxNumber = 32;
    static constexpr int kMaxRunning = 4; // a softphone that never returns cannot pile up processes

    // The commands are read from the settings file at every use.
    explicit CommandPhone(const FileLocations &files, QObject *parent = nullptr);
    ~CommandPhone() override;

    bool callPhone(const QString &number) override;
    bool hangPhone() override;

    static bool validNumber(const QString &number);
    int running() const { return m_running; }

Q_SIGNALS:
    // The command's end: its exit code, or started false when it could not run.
    void finished(int exitCode, bool started);
    // A line for the monitor's list: a refused number, a command missing or failed.
    void said(const QString &line);

private:
    bool run(const QString &key, const QString &argument);

    const FileLocations &m_files;
    platform::ProcessRunner *m_runner;
    int m_running = 0;
};
