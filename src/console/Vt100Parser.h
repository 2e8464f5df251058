#pragma once

#include <QByteArray>
#include <array>

// The console's escape syntax, byte by byte, told as the actions it names:
// text, control bytes, the one character after ESC, and sequences. A
// sequence is ESC, an introducer ("[", "(", ")", "#" or "c") and anything up
// to a letter, control bytes included; more than 15 characters without a
// letter and it is dropped. Resumable: a write may end anywhere inside a
// sequence and the next one carries on. What an action does is not known
// here (Vt100State).
class Vt100Parser {
public:
    static constexpr int kLengthLimit = 15;             // characters of a sequence without its letter
    static constexpr int kMaxParameter = 9999;          // numbers beyond are taken as this
    static constexpr int kMaxParameters = kLengthLimit; // the length limit leaves room for 14 ";" at most

    // A sequence as its letter ends it. The parameters are the parts between
    // ";" after the introducer, each its leading number (blanks before it
    // allowed), 0 when it has none; there is always at least one.
    struct Sequence {
        char introducer = 0;
        char letter = 0;
        std::array<int, kMaxParameters> parameters{};
        int count = 1;
    };

    class Actions {
    public:
        virtual ~Actions() = default;
        virtual void print(quint8 byte) = 0;   // 32 to 254; 255 is telnet's IAC, never shown
        virtual void control(quint8 byte) = 0; // below 32, ESC aside
        virtual void escape(quint8 byte) = 0;  // the byte after ESC when it is no introducer
        virtual void sequence(const Sequence &sequence) = 0;
    };

    void reset() { m_state = State::Ground; }
    void feed(const QByteArray &bytes, Actions &to);
    void put(quint8 byte, Actions &to);

    bool escaping() const { return m_state != State::Ground; }
    int pendingLength() const { return m_state == State::Collect ? m_length : 0; } // characters collected

private:
    enum class State { Ground, Escape, Collect };
    enum class Digits { Leading, Number, Done }; // where the parameter being read stands

    void start(quint8 introducer, Actions &to);
    void collect(quint8 byte, Actions &to);
    void parameterByte(quint8 byte);
    void finish(quint8 letter, Actions &to);

    State m_state = State::Ground;
    Digits m_digits = Digits::Leading;
    int m_length = 0;
    Sequence m_sequence;
};
