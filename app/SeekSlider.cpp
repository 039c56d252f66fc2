#include "app/SeekSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

// Marks the handling of one input event as the user's.
class ByUser
{
public:
    explicit ByUser(bool &flag)
        : m_flag(flag)
        , m_was(flag)
    {
        m_flag = true;
    }
    ~ByUser() { m_flag = m_was; }
    ByUser(const ByUser &) = delete;
    ByUser &operator=(const ByUser &) = delete;

private:
    bool &m_flag;
    bool m_was;
};

} // namespace

SeekSlider::SeekSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    connect(this, &QSlider::valueChanged, this, [this](int value) {
        // A drag asks once, when it ends.
        if (m_byUser && !isSliderDown())
            Q_EMIT seekRequested(value);
    });
    connect(this, &QSlider::sliderReleased, this, [this] { Q_EMIT seekRequested(value()); });
}

void SeekSlider::showPosition(int value)
{
    if (isSliderDown())
        return;
    setValue(value);
}

void SeekSlider::keyPressEvent(QKeyEvent *event)
{
    const ByUser user(m_byUser);
    QSlider::keyPressEvent(event);
}

void SeekSlider::wheelEvent(QWheelEvent *event)
{
    const ByUser user(m_byUser);
    QSlider::wheelEvent(event);
}

void SeekSlider::mousePressEvent(QMouseEvent *event)
{
    const ByUser user(m_byUser);
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
