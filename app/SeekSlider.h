#pragma once

#include <QSlider>

// A position bar: a click on the track jumps there (and may go on as a
// drag), keys and the wheel move it by steps. Only what the user does asks
// for a seek; showing the playing position, or a new range that moves the
// value into it (a shorter file after a longer one), does not.
class SeekSlider : public QSlider
{
    Q_OBJECT

public:
    explicit SeekSlider(QWidget *parent = nullptr);

    // Shows a position that playback reached; ignored while the user drags.
    void showPosition(int value);

Q_SIGNALS:
    // The user picked this value: a click, the end of a drag, a key or the wheel.
    void seekRequested(int value);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    // Set while an input event of the user's is being handled: a value that
    // changes then is the user's choice.
    bool m_byUser = false;
};
