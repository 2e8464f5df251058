#pragma once

#include "core/ObservableValue.h"

#include <functional>

class QAction;
class QCheckBox;
class QColor;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class LogList;
class QWidget;

// Ties widgets to the model values they show; edits flow back to the model.
namespace bind {

QColor colourOf(Colour colour);

QLabel *label(TextValue &value, QWidget *parent = nullptr);
void label(QLabel *widget, TextValue &value);

// How a label shows a number; "0" until its first value.
using Shown = QString (*)(const CountValue &value);
QString plain(const CountValue &value);
QString grouped(const CountValue &value); // "### ### ### ###"
QString clock(const CountValue &value);   // seconds as "hh:mm:ss"
QLabel *label(CountValue &value, Shown shown = plain, QWidget *parent = nullptr);
// The number as the widget's tool tip, empty until its first value.
void toolTip(QWidget *widget, CountValue &value);
QLineEdit *lineEdit(TextValue &value, QWidget *parent = nullptr);
QCheckBox *checkBox(const QString &caption, FlagValue &value, QWidget *parent = nullptr);
// A small coloured shape, the state indicator.
QFrame *led(ColourValue &value, QWidget *parent = nullptr);
void enabled(QWidget *widget, FlagValue &value);
void enabled(QAction *action, FlagValue &value);
void visible(QWidget *widget, FlagValue &value);

// Runs `action` on a double click on the widget (labels, indicators).
void onDoubleClick(QWidget *widget, std::function<void()> action);
// Runs `action` on a press of `key` (Qt::Key) in the widget or any child that leaves it.
void onKey(QWidget *widget, int key, std::function<void()> action);
// Runs `action` when the window closes, before it goes: a window that is a
// view over its logic tells it so.
void onClose(QWidget *window, std::function<void()> action);

// A list box over a log list: follows the list's selection so that it
// scrolls to the newest line.
QListView *listBox(LogList &list, const QString &name, QWidget *parent = nullptr);

// A caption label that never changes.
QLabel *caption(const QString &text, QWidget *parent = nullptr, const QString &toolTip = QString());

} // namespace bind
