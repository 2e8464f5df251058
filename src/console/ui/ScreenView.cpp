#include "console/ui/ScreenView.h"

#include "console/TelnetConsole.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

ScreenView::ScreenView(TelnetConsole &console, QWidget *parent)
    : QWidget(parent), m_console(console), m_font(QFontDatabase::systemFont(QFontDatabase::FixedFont))
{
    setObjectName(QStringLiteral("Screen"));
    for (int i = 0; i < 8; ++i) {
        m_fonts[size_t(i)] = m_font;
        m_fonts[size_t(i)].setBold(i & 1);
        m_fonts[size_t(i)].setItalic(i & 2);
        m_fonts[size_t(i)].setUnderline(i & 4);
    }
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&console, &TelnetConsole::screenChanged, this, [this] {
        // BEL: the system's beep, once for a burst however many bells it held.
        if (m_bells != m_console.screen().bells())
            QApplication::beep();
        m_bells = m_console.screen().bells();
        updateChangedRows();
    });
    connect(&console.cursorShown, &FlagValue::changed, this, [this] { update(rowBox(m_console.screen().row())); });
}

QSize ScreenView::cell() const
{
    const QFontMetrics m(m_font);
    return {m.horizontalAdvance(QLatin1Char('M')), m.height()};
}

QRect ScreenView::rowBox(int row) const
{
    const int height = cell().height();
    return {0, row * height, width(), height};
}

void ScreenView::updateChangedRows()
{
    // The rows the screen wrote since the last look, and the rows the cursor left and reached.
    const Vt100Screen &s = m_console.screen();
    Vt100Cells::Rows rows = s.cells().changedSince(m_seen);
    m_seen = s.cells().revision();
    rows.set(size_t(m_cursorRow));
    rows.set(size_t(s.row()));
    m_cursorRow = s.row();
    for (int r = 0; r < Vt100Screen::kRows; ++r) {
        if (rows.test(size_t(r)))
            update(rowBox(r));
    }
}

QSize ScreenView::sizeHint() const
{
    const QSize c = cell();
    return {c.width() * Vt100Screen::kCols, c.height() * Vt100Screen::kRows};
}

void ScreenView::paintEvent(QPaintEvent *event)
{
    // Only the rows asked for: a write repaints the rows it changed, a blink the cursor's.
    QPainter p(this);
    const Vt100Screen &s = m_console.screen();
    const QSize c = cell();
    p.fillRect(event->rect(), palette().base());
    const int last = std::min(Vt100Screen::kRows - 1, event->rect().bottom() / c.height());
    for (int r = std::max(0, event->rect().top() / c.height()); r <= last; ++r)
        paintRow(p, r);
    if (m_console.cursorShown.value()) {
        const QRect box(s.col() * c.width(), s.row() * c.height(), c.width(), c.height());
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(box, Qt::white);
    }
}

void ScreenView::paintRow(QPainter &p, int row)
{
    const Vt100Screen &s = m_console.screen();
    const QSize c = cell();
    const int ascent = QFontMetrics(m_font).ascent();
    const QString &line = s.line(row);
    for (int col = 0; col < Vt100Screen::kCols; ++col) {
        const Vt100Screen::Style st = s.style(row, col);
        const QRect box(col * c.width(), row * c.height(), c.width(), c.height());
        p.fillRect(box, QColor::fromRgba(st.bg));
        if (line[col] == QLatin1Char(' '))
            continue;
        p.setFont(m_fonts[(st.bold ? 1 : 0) | (st.italic ? 2 : 0) | (st.underline ? 4 : 0)]);
        p.setPen(QColor::fromRgba(st.fg));
        p.drawText(box.left(), box.top() + ascent, QString(line[col]));
    }
}

void ScreenView::keyPressEvent(QKeyEvent *event)
{
    // AltGr arrives as Ctrl+Alt on some systems: a character typed with it is a character.
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier) && !event->modifiers().testFlag(Qt::AltModifier);
    m_console.key(event->key(), event->text(), ctrl);
}
