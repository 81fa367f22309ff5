#pragma once
// The plain window components of the player: a panel and an image that report double
// clicks to their owner, and a watcher of what Qt draws into a native window. GUI thread only.
#include <QLabel>
#include <QWidget>
#include <functional>

#include "Lumex.h"
#include "controls/notifyevent.h"

// The X window of a native widget, as the engine takes it.
inline LUMEX_HWND Handle(QWidget* widget) { return LUMEX_HWND(widget->winId()); }

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

// Calls then() each time Qt has put widget's pixels on its native window anew: after a paint
// of the widget, and after the server asked for part of the window to be shown again (an
// expose, which Qt answers from its backing store without a paint). Qt paints and flushes
// before it returns to the event loop, so then() runs from the event loop afterwards.
class RedrawNotifier : public QObject {
    Q_OBJECT

public:
    RedrawNotifier(QWidget* widget, std::function<void()> then);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_then;
    bool m_pending = false;
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
