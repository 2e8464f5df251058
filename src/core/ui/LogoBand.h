#pragma once

#include <QWidget>

#include "core/GradientBands.h"

// The gradient band with its caption reading upwards; redrawn on resize.
class LogoBand : public QWidget {
    Q_OBJECT
public:
    explicit LogoBand(QString caption, QWidget *parent = nullptr);

    void setColours(gradientbands::Rgb start, gradientbands::Rgb end);
    QSize sizeHint() const override { return {28, 400}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    gradientbands::Rgb m_start = gradientbands::kDefaultStart;
    gradientbands::Rgb m_end = gradientbands::kDefaultEnd;
};
