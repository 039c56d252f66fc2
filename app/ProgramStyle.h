#pragma once

#include <QProxyStyle>

// Fusion, the style every window of the program uses, without the image
// files it decodes for the first paint: the chevrons of the overflow buttons
// every menu bar and tool bar make, and the group boxes' frame. Decoding the
// first of these by file name made Qt load every image-format plugin (and
// Qt SVG and libjpeg behind them) to ask each whether it reads the file.
// The chevrons are drawn; the frame is read as the PNG it is.
class ProgramStyle final : public QProxyStyle
{
public:
    ProgramStyle();

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
        const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
        const QWidget *widget = nullptr) const override;
};
