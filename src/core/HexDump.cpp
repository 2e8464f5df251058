#include "core/HexDump.h"

namespace hexdump {
namespace {

constexpr int kPerLine = 16;

void appendLine(QByteArray &out, const QByteArray &bytes, qsizetype first, Offsets offsets)
{
    const qsizetype n = std::min<qsizetype>(kPerLine, bytes.size() - first);
    out += QByteArray::number(first, offsets == Offsets::Hex ? 16 : 10).toUpper().rightJustified(8, '0');
    out += "| ";
    for (int i = 0; i < kPerLine; ++i) {
        if (i < n)
            out += QByteArray::number(static_cast<unsigned char>(bytes[first + i]), 16).toUpper().rightJustified(2, '0') + ' ';
        else
            out += "   ";
        if (i % 4 == 3)
            out += ' ';
    }
    out += " | ";
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(bytes[first + i]);
        out += (c < 31 || c > 127) ? '.' : static_cast<char>(c);
    }
    out += "\r\n";
}

} // namespace

QByteArray format(const QByteArray &bytes, Offsets offsets)
{
    QByteArray out;
    for (qsizetype first = 0; first < bytes.size(); first += kPerLine)
        appendLine(out, bytes, first, offsets);
    return out;
}

} // namespace hexdump
