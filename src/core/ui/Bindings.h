#pragma once

#include "core/ObservableValue.h"

class QAction;
class QCheckBox;
class QColor;
class QFrame;
class QLabel;
class QLineEdit;
class QWidget;

// Ties widgets to the model values they show; edits flow back to the model.
namespace bind {

QColor colourOf(Colour colour);

QLabel *label(TextValue &value, QWidget *parent = nullptr);
void label(QLabel *widget, TextValue &value);
QLineEdit *lineEdit(TextValue &value, QWidget *parent = nullptr);
QCheckBox *checkBox(const QString &caption, FlagValue &value, QWidget *parent = nullptr);
// A small coloured shape, the state indicator.
QFrame *led(ColourValue &value, QWidget *parent = nullptr);
void enabled(QWidget *widget, FlagValue &value);
void enabled(QAction *action, FlagValue &value);
void visible(QWidget *widget, FlagValue &value);

// A caption label that never changes.
QLabel *caption(const QString &text, QWidget *parent = nullptr, const QString &toolTip = QString());

} // namespace bind
