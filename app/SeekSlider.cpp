#include "app/SeekSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

SeekSlider::SeekSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    connect(this, &QSlider::valueChanged, this, [this](int value) {
        // A drag asks once, when it ends.
        if (!m_showing && !isSliderDown())
            Q_EMIT seekRequested(value);
    });
    connect(this, &QSlider::sliderReleased, this, [this] { Q_EMIT seekRequested(value()); });
}

void SeekSlider::showPosition(int value)
{
    if (isSliderDown())
        return;
    m_showing = true;
    setValue(value);
    m_showing = false;
}

void SeekSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && maximum() > minimum()) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        if (!handle.contains(event->position().toPoint())) {
            // Straight to the clicked place rather than a page towards it;
            // the handle is then under the pointer, so a drag can follow.
            const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
            const int span = groove.width() - handle.width();
            const int x = int(event->position().x()) - groove.x() - handle.width() / 2;
            setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), x, span, option.upsideDown));
        }
    }
    QSlider::mousePressEvent(event);
}
