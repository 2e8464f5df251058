#pragma once

#include <QString>

// What a decoder says about its input: fine, or why it refused it. Decoders
// never read past their input: a body too short for its fields is refused,
// not read as zeros.
namespace wire {

struct Status {
    QString error; // empty when the input decoded

    bool ok() const { return error.isEmpty(); }
    static Status fine() { return {}; }
    static Status refused(QString why) { return {std::move(why)}; }
    // "<what> troppo corto: <have> byte, attesi <need>"
    static Status tooShort(const QString &what, qsizetype have, qsizetype need)
    {
        return {what + QStringLiteral(" troppo corto: ") + QString::number(have) + QStringLiteral(" byte, attesi ")
                + QString::number(need)};
    }
};

} // namespace wire
