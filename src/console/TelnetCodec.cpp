#include "console/TelnetCodec.h"

namespace {

QByteArray cmd(quint8 verb, quint8 option)
{
    QByteArray b;
    b.append(char(TelnetCodec::IAC)).append(char(verb)).append(char(option));
    return b;
}

QByteArray sub(quint8 option, const QByteArray &payload)
{
    QByteArray b;
    b.append(char(TelnetCodec::IAC)).append(char(TelnetCodec::SB)).append(char(option)).append(payload);
    b.append(char(TelnetCodec::IAC)).append(char(TelnetCodec::SE));
    return b;
}

QByteArray is(const char *text)
{
    return QByteArray(1, '\0') + QByteArray(text);
}

} // namespace

QByteArray TelnetCodec::opening()
{
    return cmd(DO, Echo) + cmd(DO, SuppressGoAhead) + cmd(WILL, Naws) + cmd(WILL, TerminalType) + cmd(WILL, TerminalSpeed);
}

void TelnetCodec::connected()
{
    m_state = Data;
    m_sub.clear();
    m_remoteEcho = true;
    m_remoteSga = true;
    m_localSga = false;
    m_localTerminalType = false;
}

void TelnetCodec::feed(const QByteArray &bytes, Output &out)
{
    for (const char ch : bytes) {
        step(ch, out);
        if (out.reply.size() > (out.ends.isEmpty() ? 0 : out.ends.last()))
            out.ends.append(out.reply.size());
    }
}

void TelnetCodec::step(char ch, Output &out)
{
    const quint8 b = quint8(ch);
    switch (m_state) {
    case Data:
        if (b == IAC)
            m_state = AfterIac;
        else
            out.data.append(ch);
        break;
    case AfterIac:
        m_state = afterIac(b, out.reply);
        break;
    case InSub:
        if (b == IAC)
            m_state = AfterIac;
        else if (m_sub.size() < kSubLimit)
            m_sub.append(ch);
        break;
    default: // the option of a DO, WILL, WONT or DONT
        onOption(b, out.reply);
        m_state = Data;
        break;
    }
}

// The command after an IAC; the state it leads to.
TelnetCodec::State TelnetCodec::afterIac(quint8 b, QByteArray &reply)
{
    switch (b) {
    case DO:
        return AfterDo;
    case DONT:
        return AfterDont;
    case WILL:
        return AfterWill;
    case WONT:
        return AfterWont;
    case SB:
        m_sub.clear();
        return InSub;
    case SE:
        onSubEnd(reply);
        return Data;
    default: // IAC IAC and the other commands are not data here
        return Data;
    }
}

void TelnetCodec::onOption(quint8 option, QByteArray &reply)
{
    switch (m_state) {
    case AfterDo:
        onDo(option, reply);
        break;
    case AfterWill:
        onWill(option, reply);
        break;
    case AfterWont:
        onWont(option, reply);
        break;
    case AfterDont:
        onDont(option, reply);
        break;
    default:
        break;
    }
}

void TelnetCodec::onSubEnd(QByteArray &reply)
{
    if (m_sub.size() >= 2 && quint8(m_sub[0]) == TerminalType && m_sub[1] == 1)
        reply += sub(TerminalType, is("DEC-VT100"));
    else if (m_sub.size() >= 2 && quint8(m_sub[0]) == TerminalSpeed && m_sub[1] == 1)
        reply += cmd(WILL, TerminalSpeed) + sub(TerminalSpeed, is("57600,57600"));
}

void TelnetCodec::onDo(quint8 option, QByteArray &reply)
{
    switch (option) {
    case Binary:
    case Echo:
        reply += cmd(WONT, option);
        break;
    case SuppressGoAhead:
        if (!m_localSga)
            reply += cmd(WILL, option);
        m_localSga = true;
        break;
    case TerminalType:
        if (!m_localTerminalType)
            reply += cmd(WILL, option) + sub(TerminalType, is("VT100"));
        m_localTerminalType = true;
        break;
    case Naws: {
        QByteArray size;
        size.append('\0').append(char(80)).append('\0').append(char(24));
        reply += sub(Naws, size);
        break;
    }
    case TerminalSpeed:
        reply += cmd(WILL, option) + sub(TerminalSpeed, is("57600,57600"));
        break;
    case Authentication:
        reply += cmd(WILL, option) + sub(Authentication, QByteArray(4, '\0'));
        break;
    default:
        reply += cmd(WONT, option);
        break;
    }
}

void TelnetCodec::onWill(quint8 option, QByteArray &reply)
{
    onRemoteOption(option, DO, DONT, reply);
}

// WILL and DONT are answered alike, each with its own words: echo and
// go-ahead are taken as on, `agree` said the first time; any other option
// is refused.
void TelnetCodec::onRemoteOption(quint8 option, quint8 agree, quint8 refuse, QByteArray &reply)
{
    bool *on = option == Echo ? &m_remoteEcho : option == SuppressGoAhead ? &m_remoteSga : nullptr;
    if (!on) {
        reply += cmd(refuse, option);
        return;
    }
    if (!*on)
        reply += cmd(agree, option);
    *on = true;
}

void TelnetCodec::onWont(quint8 option, QByteArray &reply)
{
    switch (option) {
    case Echo:
        if (m_remoteEcho)
            reply += cmd(DONT, option);
        m_remoteEcho = false;
        break;
    case SuppressGoAhead:
        reply += cmd(DONT, option);
        m_localSga = false;
        break;
    case 32: case 33: case 34: case 5: case 6: case 35: case 36: case 39:
        reply += cmd(DONT, option);
        break;
    default:
        reply += cmd(WONT, option);
        break;
    }
}

void TelnetCodec::onDont(quint8 option, QByteArray &reply)
{
    onRemoteOption(option, WONT, WONT, reply);
}
