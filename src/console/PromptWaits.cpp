#include "console/PromptWaits.h"

#include "console/ConsoleClock.h"
#include "console/Vt100Screen.h"

PromptWaits::PromptWaits(const Vt100Screen &screen, ConsoleClock &clock, QObject *parent)
    : QObject(parent), m_screen(screen), m_clock(clock)
{
}

void PromptWaits::waitFor(const QString &text, int seconds, std::function<void(bool)> done)
{
    cancel();
    if (m_screen.contains(text)) {
        done(true);
        return;
    }
    m_text = text;
    m_done = std::move(done);
    const quint64 generation = ++m_generation;
    m_clock.after((seconds <= 0 ? kDefaultSeconds : seconds) * 1000, this, [this, generation] {
        if (generation == m_generation && m_done)
            finish(false);
    });
}

void PromptWaits::screenChanged()
{
    if (m_done && m_screen.contains(m_text))
        finish(true);
}

void PromptWaits::cancel()
{
    ++m_generation;
    m_done = nullptr;
    m_text.clear();
}

void PromptWaits::finish(bool found)
{
    // The answer may start the next wait: take this one off first.
    std::function<void(bool)> done = std::move(m_done);
    m_done = nullptr;
    ++m_generation;
    done(found);
}
