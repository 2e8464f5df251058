#include "console/Vt100Parser.h"

#include <algorithm>

namespace {
constexpr quint8 kEsc = 27;
constexpr quint8 kIac = 255;

bool isLetter(quint8 b)
{
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

bool isIntroducer(quint8 b)
{
    return b == '[' || b == '(' || b == ')' || b == '#' || b == 'c';
}
} // namespace

void Vt100Parser::feed(const QByteArray &bytes, Actions &to)
{
    for (const char b : bytes)
        put(quint8(b), to);
}

void Vt100Parser::put(quint8 b, Actions &to)
{
    switch (m_state) {
    case State::Ground:
        if (b == kEsc)
            m_state = State::Escape;
        else if (b < 32)
            to.control(b);
        else if (b != kIac)
            to.print(b);
        break;
    case State::Escape:
        if (isIntroducer(b)) {
            start(b, to);
        } else {
            m_state = State::Ground;
            to.escape(b);
        }
        break;
    case State::Collect:
        collect(b, to);
        break;
    }
}

void Vt100Parser::start(quint8 introducer, Actions &to)
{
    m_sequence = Sequence{};
    m_sequence.introducer = char(introducer);
    m_digits = Digits::Leading;
    m_length = 1;
    m_state = State::Collect;
    if (isLetter(introducer)) // "c" is its own letter
        finish(introducer, to);
}

void Vt100Parser::collect(quint8 b, Actions &to)
{
    ++m_length;
    if (isLetter(b))
        finish(b, to);
    else if (m_length > kLengthLimit)
        m_state = State::Ground; // dropped, and what follows is text
    else
        parameterByte(b);
}

void Vt100Parser::parameterByte(quint8 b)
{
    if (b == ';') {
        // No room is left only past the length limit; the rest would be dropped.
        if (m_sequence.count < kMaxParameters) {
            ++m_sequence.count;
            m_digits = Digits::Leading;
        } else {
            m_digits = Digits::Done;
        }
        return;
    }
    if (m_digits == Digits::Leading && b == ' ')
        return;
    if (m_digits == Digits::Done || b < '0' || b > '9') {
        m_digits = Digits::Done; // the number ends at the first byte that is no digit
        return;
    }
    m_digits = Digits::Number;
    int &value = m_sequence.parameters[size_t(m_sequence.count - 1)];
    value = std::min(value * 10 + (b - '0'), kMaxParameter);
}

void Vt100Parser::finish(quint8 letter, Actions &to)
{
    m_state = State::Ground;
    m_sequence.letter = char(letter);
    to.sequence(m_sequence);
}
