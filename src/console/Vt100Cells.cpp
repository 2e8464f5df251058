#include "console/Vt100Cells.h"

namespace {
const QString kBlank(Vt100Cells::kCols, QLatin1Char(' '));
const QString kBlankAttr(Vt100Cells::kCols, QLatin1Char('0'));
} // namespace

Vt100Cells::Vt100Cells(Style blank)
    : m_blank(blank)
{
    clear();
}

void Vt100Cells::write(int row, int col, QChar c, QChar attribute, const Style &style)
{
    m_text[size_t(row)][col] = c;
    m_attr[size_t(row)][col] = attribute;
    m_style[size_t(row)][size_t(col)] = style;
    touch(row, row);
}

void Vt100Cells::erase(int fromRow, int fromCol, int toRow, int toCol)
{
    for (int r = fromRow; r <= toRow; ++r) {
        const int a = r == fromRow ? fromCol : 0;
        const int b = r == toRow ? toCol : kCols - 1;
        for (int c = a; c <= b; ++c) {
            m_text[size_t(r)][c] = QLatin1Char(' ');
            m_attr[size_t(r)][c] = QLatin1Char('0');
            m_style[size_t(r)][size_t(c)] = m_blank;
        }
    }
    touch(fromRow, toRow);
}

void Vt100Cells::clear()
{
    for (int r = 0; r < kRows; ++r)
        blankRow(r);
    touch(0, kRows - 1);
}

void Vt100Cells::scrollUp(int top)
{
    for (int r = top; r < kRows - 1; ++r) {
        m_text[size_t(r)] = m_text[size_t(r + 1)];
        m_attr[size_t(r)] = m_attr[size_t(r + 1)];
        m_style[size_t(r)] = m_style[size_t(r + 1)];
    }
    blankRow(kRows - 1);
    touch(top, kRows - 1);
}

void Vt100Cells::blankRow(int row)
{
    m_text[size_t(row)] = kBlank;
    m_attr[size_t(row)] = kBlankAttr;
    m_style[size_t(row)].fill(m_blank);
}

void Vt100Cells::touch(int fromRow, int toRow)
{
    ++m_revision;
    for (int r = fromRow; r <= toRow; ++r)
        m_stamp[size_t(r)] = m_revision;
}

Vt100Cells::Rows Vt100Cells::changedSince(quint64 revision) const
{
    Rows rows;
    for (int r = 0; r < kRows; ++r)
        rows[size_t(r)] = m_stamp[size_t(r)] > revision;
    return rows;
}

bool Vt100Cells::contains(const QString &text) const
{
    for (int r = kRows - 1; r >= 0; --r) {
        if (m_text[size_t(r)].contains(text))
            return true;
    }
    return false;
}
