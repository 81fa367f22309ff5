#pragma once
// The plain window components of the player: a panel and an image that report double
// clicks to their owner. GUI thread only.
#include <QLabel>
#include <QWidget>

#include "controls/notifyevent.h"

// Whole wheel notches in a wheel turn of delta (eighths of a degree, positive away from the
// user), keeping what is short of a notch in rest for the next turn.
int TakeWheelNotches(int& rest, int delta);

// A rectangle of one colour; native when the engine draws into it or when it must stay
// above what the engine draws.
class TPanel : public QWidget {
    Q_OBJECT

public:
    TPanel(const QString& name, QWidget* parent, const QColor& colour);

    TNotifyEvent OnDblClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// A picture stretched over the whole control.
class TImage : public QLabel {
    Q_OBJECT

public:
    TImage(const QString& name, QWidget* parent);

    TNotifyEvent OnDblClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
