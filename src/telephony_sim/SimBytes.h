#pragma once

// The telephony server's packets in the simulator's terms. The bytes are
// the program's own (ct_monitor/TelephonyFormat.h, the format's one owner);
// this only turns the simulator's records into the owner's and back, and
// fills what the simulator does not model: the extension number as text,
// the sub-header's count, the time message's six bytes.

#include <QByteArray>
#include <QList>
#include <QString>

namespace simbytes {

// One extension as the monitor server describes it.
struct Extension {
    int number = 0;
    QString agent;
    QString description;
    QString logState = QStringLiteral("LOGGED_OUT");
    QString actionState = QStringLiteral("FREE");
    QString lineState = QStringLiteral("IDLE");
    QString acdState;
    QList<int> groups; // group numbers, in slot order
    QString loginTime;
    friend bool operator==(const Extension &, const Extension &) = default;
};

struct Group {
    int number = 0;
    QString name;
    int logged = 0;
    int free = 0;
    int third = 0;
};

// A whole monitor packet: header (all big-endian), TestaMonitor and records.
QByteArray extensions(int subcode, const QList<Extension> &records);
QByteArray groups(int subcode, const QList<Group> &records);
QByteArray time(const QString &hhmmss);
// A packet with a code the program does not know, of a known length.
QByteArray unknownCode(int code);

// A reply of the operator server carrying a text (56003).
QByteArray operatorMessage(const QString &text);

// The operator server's view of a command: 55007 gives the extension,
// 55006 the subcode, extension, operator and password.
struct Command {
    int code = 0;
    int subcode = 0;
    int extension = 0;
    QString op;
    QString password;
};
// One framed packet the program sent (false when shorter than a header). A
// body too short for its fields leaves them empty.
bool decodeCommand(const QByteArray &framed, Command &out);

} // namespace simbytes
