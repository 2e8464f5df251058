#include "core/ObservableValue.h"

TextValue::TextValue(QString text, QString toolTip, QObject *parent)
    : QObject(parent), m_text(std::move(text)), m_toolTip(std::move(toolTip))
{
}

void TextValue::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    Q_EMIT textChanged(m_text);
}

void TextValue::setToolTip(const QString &toolTip)
{
    if (toolTip == m_toolTip)
        return;
    m_toolTip = toolTip;
    Q_EMIT toolTipChanged(m_toolTip);
}

CountValue::CountValue(qint64 value, Start start, QObject *parent)
    : QObject(parent), m_value(value), m_set(start == Set)
{
}

void CountValue::set(qint64 value)
{
    if (value == m_value && m_set)
        return;
    m_value = value;
    m_set = true;
    Q_EMIT changed(m_value);
}

FlagValue::FlagValue(bool value, QObject *parent) : QObject(parent), m_value(value) {}

void FlagValue::set(bool value)
{
    if (value == m_value)
        return;
    m_value = value;
    Q_EMIT changed(m_value);
}

ColourValue::ColourValue(Colour colour, QObject *parent) : QObject(parent), m_colour(colour) {}

void ColourValue::set(Colour colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    Q_EMIT changed(m_colour);
}
