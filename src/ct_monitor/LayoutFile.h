#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QString>

// Pos_CT.ini, the monitor window's layout: one value a line, CRLF, ANSI.
//
//   2 lines per tile, tile 0 first: left, top (twips from the window's corner)
//   1 line: the number of free texts n
//   3 lines per free text: x, y, text
//
// Files written by earlier installations hold the same values, numbers
// possibly with blanks or decimals around them and texts possibly quoted.
namespace layoutfile {

inline constexpr int kMaxTexts = 99;
inline constexpr qsizetype kMaxBytes = 1024 * 1024; // far beyond 300 tiles and 99 texts
// A line break inside a free text is written as this character, so that
// the text stays one line of the file.
inline constexpr char16_t kLineBreak = u'\u00B6';

struct FreeText {
    QPoint at; // twips
    QString text;
    friend bool operator==(const FreeText &, const FreeText &) = default;
};

struct Layout {
    QList<QPoint> tiles;
    QList<FreeText> texts;
    // Empty when the whole file was sound; else where reading stopped.
    QString problem;
};

// Reads what is sound. `tileCount` is how many tiles the window has: a
// file whose lines add up for another count is read with that count, so a
// file saved with more or fewer tiles still lands each tile in its place.
// Coordinates are clamped to 0..`maxCoordinate`.
Layout read(const QByteArray &bytes, int tileCount, int maxCoordinate);
QByteArray write(const Layout &layout);

} // namespace layoutfile
