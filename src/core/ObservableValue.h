#pragma once

#include <QObject>
#include <QString>

#include "core/SocketStates.h"

// The state a window keeps in its controls, held here so that windows bind
// to it, the headless front end prints it and tests read it.

// A caption or text box: text plus tool tip.
class TextValue : public QObject {
    Q_OBJECT
public:
    explicit TextValue(QString text = QString(), QString toolTip = QString(), QObject *parent = nullptr);

    const QString &text() const { return m_text; }
    const QString &toolTip() const { return m_toolTip; }
    void setText(const QString &text);
    void setToolTip(const QString &toolTip);

Q_SIGNALS:
    void textChanged(const QString &text);
    void toolTipChanged(const QString &toolTip);

private:
    QString m_text;
    QString m_toolTip;
};

// A check box, or the enabled/visible state of a control.
class FlagValue : public QObject {
    Q_OBJECT
public:
    explicit FlagValue(bool value = false, QObject *parent = nullptr);

    bool value() const { return m_value; }
    void set(bool value);

Q_SIGNALS:
    void changed(bool value);

private:
    bool m_value;
};

// A number a window shows: a counter, a code, a duration in seconds. The
// view chooses its form. One made `unset` shows its initial caption until
// its first set(), which is announced even when the number stays the same.
class CountValue : public QObject {
    Q_OBJECT
public:
    enum Start { Set, Unset };
    explicit CountValue(qint64 value = 0, Start start = Set, QObject *parent = nullptr);

    qint64 value() const { return m_value; }
    bool isSet() const { return m_set; }
    void set(qint64 value);
    void add(qint64 delta) { set(m_value + delta); }

Q_SIGNALS:
    void changed(qint64 value);

private:
    qint64 m_value;
    bool m_set;
};

// The colour of an indicator shape.
class ColourValue : public QObject {
    Q_OBJECT
public:
    explicit ColourValue(Colour colour = Colour::Red, QObject *parent = nullptr);

    Colour value() const { return m_colour; }
    void set(Colour colour);

Q_SIGNALS:
    void changed(Colour colour);

private:
    Colour m_colour;
};
