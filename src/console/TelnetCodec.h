#pragma once

#include <QByteArray>
#include <QList>

// The console's side of the telnet protocol: the opening negotiation, the
// receive state machine with its answers to DO, DONT, WILL, WONT and to
// subnegotiations, and the data bytes left for the terminal. Pure: bytes in,
// data and replies out.
class TelnetCodec {
public:
    enum Byte : quint8 {
        SE = 240, SB = 250, WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255,
    };
    enum Option : quint8 {
        Binary = 0, Echo = 1, SuppressGoAhead = 3, TerminalType = 24, Naws = 31, TerminalSpeed = 32, Authentication = 37,
    };
    enum State : quint8 { Data = 0, AfterIac = 6, AfterDo = 7, AfterWill = 8, AfterWont = 9, InSub = 10, AfterDont = 11 };
    static constexpr int kSubLimit = 11; // bytes of a subnegotiation kept; the rest is dropped

    struct Output {
        QByteArray data;  // for the terminal
        QByteArray reply; // for the host, in order
        QList<qsizetype> ends; // where each answer in `reply` ends: an answer is sent whole or not at all
    };

    // The 15 bytes sent on connecting.
    static QByteArray opening();

    // A new connection: the host's echo and suppress-go-ahead count as
    // accepted, nothing of ours as offered, the state machine at rest.
    void connected();
    void feed(const QByteArray &bytes, Output &out);

    State state() const { return m_state; }
    bool remoteEcho() const { return m_remoteEcho; }
    bool remoteSga() const { return m_remoteSga; }
    bool localSga() const { return m_localSga; }
    bool localTerminalType() const { return m_localTerminalType; }
    const QByteArray &subnegotiation() const { return m_sub; }

private:
    void step(char ch, Output &out);
    State afterIac(quint8 b, QByteArray &reply);
    void onOption(quint8 option, QByteArray &reply);
    void onRemoteOption(quint8 option, quint8 agree, quint8 refuse, QByteArray &reply);
    void onDo(quint8 option, QByteArray &reply);
    void onWill(quint8 option, QByteArray &reply);
    void onWont(quint8 option, QByteArray &reply);
    void onDont(quint8 option, QByteArray &reply);
    void onSubEnd(QByteArray &reply);

    State m_state = Data;
    QByteArray m_sub;
    bool m_remoteEcho = false;
    bool m_remoteSga = false;
    bool m_localSga = false;
    bool m_localTerminalType = false;
};
