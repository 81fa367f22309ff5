#include "Components.h"

#include <QMouseEvent>
#include <QTimer>
#include <QWindow>
#include <QWheelEvent>

TPanel::TPanel(const QString& name, QWidget* parent, const QColor& colour) : QWidget(parent) {
    setObjectName(name);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
}

void TPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
}

RedrawNotifier::RedrawNotifier(QWidget* widget, std::function<void()> then) : QObject(widget), m_then(std::move(then)) {
    widget->installEventFilter(this);
    widget->winId();  // the native window exists from here on
    if (QWindow* window = widget->windowHandle()) window->installEventFilter(this);
}

bool RedrawNotifier::eventFilter(QObject*, QEvent* event) {
    if ((event->type() == QEvent::Paint || event->type() == QEvent::Expose) && !m_pending) {
        // One call answers a burst of paints and exposes.
        m_pending = true;
        QTimer::singleShot(0, this, [this] {
            m_pending = false;
            m_then();
        });
    }
    return false;
}

TImage::TImage(const QString& name, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
    setScaledContents(true);
}

void TImage::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
}

int TakeWheelNotches(int& rest, int delta) {
    rest += delta;
    const int notches = rest / QWheelEvent::DefaultDeltasPerStep;
    rest -= notches * QWheelEvent::DefaultDeltasPerStep;
    return notches;
}
