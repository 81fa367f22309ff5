#include "Components.h"

#include <QMouseEvent>
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
