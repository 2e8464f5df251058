#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

namespace platform {

// The lines typed on standard input, delivered on the event loop. A line
// longer than kMaxLine is cut there; end of input stops the reading, and is
// not an error.
class StdinLines : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxLine = 4096;

    explicit StdinLines(QObject *parent = nullptr);
    ~StdinLines() override;

    // Splits `bytes` into lines (LF or CR LF), keeping an unfinished one.
    void take(const QByteArray &bytes);

Q_SIGNALS:
    void line(const QString &text);
    void finished();

private:
    void onReadable();
    void end();

    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_partial;
    bool m_ended = false;
};

} // namespace platform
