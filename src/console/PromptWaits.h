#pragma once

#include <QObject>
#include <QString>
#include <functional>

class ConsoleClock;
class Vt100Screen;

// WaitFor as a state, not a loop: a wait is answered true as soon as the
// text is on one line of the screen (at once when it is already there) and
// false when its time runs out. One wait at a time; a new one, or cancel(),
// ends the one before without an answer.
class PromptWaits : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultSeconds = 5; // a time of 0

    PromptWaits(const Vt100Screen &screen, ConsoleClock &clock, QObject *parent = nullptr);

    void waitFor(const QString &text, int seconds, std::function<void(bool)> done);
    // The console fed the screen: a wait may be over.
    void screenChanged();
    void cancel();
    bool waiting() const { return bool(m_done); }
    const QString &text() const { return m_text; }

private:
    void finish(bool found);

    const Vt100Screen &m_screen;
    ConsoleClock &m_clock;
    QString m_text;
    std::function<void(bool)> m_done;
    quint64 m_generation = 0;
};
