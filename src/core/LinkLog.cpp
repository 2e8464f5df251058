#include "core/LinkLog.h"

#include "core/Logger.h"
#include "core/QueueDrain.h"
#include "wire/FramedReader.h"

void logReader(wire::FramedReader &reader, Logger &log, const DebugFile &debug, LinkWords words)
{
    using R = wire::FramedReader;
    const auto say = [&log, list = words.list](const QString &text, Severity severity = Severity::Info) {
        log.scriviLog(text, list, severity);
    };
    const auto trace = [&log, say](const QString &text) {
        if (log.level() > 0)
            say(text);
    };
    const auto count = [](qint64 v) { return QString::number(v) + QStringLiteral(" bytes "); };
    QObject::connect(&reader, &R::packetReady, &reader, [trace, &reader, text = words.received](const QByteArray &framed) {
        trace(text + QString::number(framed.size() - 4) + QStringLiteral(" BytesReceived=")
              + QString::number(framed.size() + reader.pending()));
    });
    QObject::connect(&reader, &R::handled, &reader, [trace, count, text = words.more](qint64 pending) {
        if (pending > 0)
            trace(text + count(pending));
    });
    QObject::connect(&reader, &R::waiting, &reader,
                     [trace, count, text = words.waiting](qint64 missing) { trace(text + count(missing)); });
    QObject::connect(&reader, &R::badLength, &reader, [say, problem = words.problem](qint32 length, qint64 pending,
                                                                                      bool timedOut) {
        say(problem(length, pending, timedOut), Severity::Error);
    });
    QObject::connect(&reader, &R::drained, &reader, [&log, &debug, channel = words.channel](const QByteArray &bytes) {
        svuotaCoda(log, debug, channel, bytes, 0);
    });
}
