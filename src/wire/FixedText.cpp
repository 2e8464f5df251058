#include "wire/FixedText.h"

#include "wire/AnsiCodec.h"

namespace fixedtext {

QByteArray completaStringa(const QString &value, int width)
{
    return ansi::encode(value).left(width).leftJustified(width, '\0');
}

QString pulisciStringa(const QString &text)
{
    QString t = text;
    t.replace(QChar(u'\0'), QLatin1Char(' '));
    qsizetype b = 0, e = t.size();
    while (b < e && t[b] == QLatin1Char(' '))
        ++b;
    while (e > b && t[e - 1] == QLatin1Char(' '))
        --e;
    return t.mid(b, e - b);
}

QString pulisciStringa(const QByteArray &bytes)
{
    return pulisciStringa(ansi::decode(bytes));
}

QString daArrayAchar(const QByteArray &bytes, int n)
{
    return ansi::decode(bytes.left(n));
}

} // namespace fixedtext
