#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>

// Time for the console's procedures: a wait's deadline is asked of it, so
// that tests can move time by hand.
class ConsoleClock {
public:
    virtual ~ConsoleClock() = default;
    // Runs `f` after `ms` milliseconds, unless `context` is gone by then.
    virtual void after(int ms, QObject *context, std::function<void()> f) = 0;
};

// The event loop's own timers.
class LoopClock : public ConsoleClock {
public:
    void after(int ms, QObject *context, std::function<void()> f) override { QTimer::singleShot(ms, context, std::move(f)); }
};

// A clock that moves only when told (tests).
class ManualClock : public ConsoleClock {
public:
    void after(int ms, QObject *context, std::function<void()> f) override
    {
        m_due.emplace(m_now + ms, Entry{QPointer<QObject>(context), std::move(f)});
    }
    // Time moves to each deadline in turn, so that what a callback starts is
    // timed from its own moment.
    void advance(int ms)
    {
        const qint64 target = m_now + ms;
        while (!m_due.empty() && m_due.begin()->first <= target) {
            m_now = m_due.begin()->first;
            Entry e = std::move(m_due.begin()->second);
            m_due.erase(m_due.begin());
            if (e.context)
                e.f();
        }
        m_now = target;
    }
    qint64 now() const { return m_now; }

private:
    struct Entry {
        QPointer<QObject> context;
        std::function<void()> f;
    };
    qint64 m_now = 0;
    std::multimap<qint64, Entry> m_due;
};
