#pragma once

#include <QSlider>

// A position bar: a click on the track jumps there (and may go on as a
// drag), keys move it by steps. Only what the user does asks for a seek;
// showing the playing position does not.
class SeekSlider : public QSlider
{
    Q_OBJECT

public:
    explicit SeekSlider(QWidget *parent = nullptr);

    // Shows a position that playback reached; ignored while the user drags.
    void showPosition(int value);

Q_SIGNALS:
    // The user picked this value: a click, the end of a drag, or a key.
    void seekRequested(int value);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool m_showing = false;
};
