// Packets per second through the dialer link's writer over loopback, with
// the original's pauses and with "FAST".
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include "core/DebugFile.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/RunClock.h"
#include "core/Settings.h"
#include "dialer_link/DialerLink.h"

namespace {

void measure(bool fast, int packets)
{
    QTemporaryDir dir;
    MainModel model;
    Logger log(model.debugLevel);
    RunClock clock;
    DebugFile debug(dir.filePath(QStringLiteral("DEBUG.TXT")));
    Settings settings;
    DialerLink link(log, model, clock, debug, settings, fast);
    QTcpServer dialer;
    dialer.listen(QHostAddress::LocalHost, 0);

    QEventLoop loop;
    QTcpSocket *peer = nullptr;
    qint64 received = 0;
    const qint64 expected = 20 + qint64(packets) * (44 + 296);
    QObject::connect(&dialer, &QTcpServer::newConnection, [&] {
        peer = dialer.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, [&] {
            received += peer->readAll().size();
            if (received >= expected)
                loop.quit();
        });
    });
    QElapsedTimer timer;
    QObject::connect(&link.socket(), &LinkSocket::connected, [&] {
        timer.start();
        for (int i = 0; i < packets; ++i)
            link.writer().sendReply(packet::ClientiGruppo, QStringLiteral("Invio 1 clienti x gruppo 1"), {i, QStringLiteral("PD")},
                           QByteArray(296, 'c'));
    });
    link.connectTo(QStringLiteral("127.0.0.1"), dialer.serverPort());
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    QTextStream(stdout) << (fast ? "FAST    " : "paced   ") << packets << " packets of 340 bytes in "
                        << QString::number(seconds, 'f', 3) << " s: " << QString::number(packets / seconds, 'f', 1)
                        << " packets/s" << (received < expected ? " (incomplete)" : "") << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    measure(false, 20);
    measure(true, 5000);
    return 0;
}
