#include "bar.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "palette.h"

namespace skin {
namespace {

constexpr QSize kBarSize{356, 10};

QImage Transparent(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A pill 6 pixels high, centred in the 10-pixel bar, with a one-pixel edge: the preview
// square, as high as the bar, then stands out above and below it.
QImage Pill(const QColor& top, const QColor& bottom, const QColor& edge) {
    QImage image = Transparent(kBarSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0.5, 2.5, kBarSize.width() - 1.0, 5.0);
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, top);
    shade.setColorAt(1, bottom);
    painter.setPen(QPen(edge, 1.0));
    painter.setBrush(shade);
    painter.drawRoundedRect(body, 2.5, 2.5);
    return image;
}

}  // namespace

QImage MakeTrack() { return Pill(kTrackTop, kTrackBottom, kTrackEdge); }

QImage MakeFill() { return Pill(kFillTop, kFillBottom, kFillEdge); }

QImage MakeHiddenThumb() { return Transparent({1, 10}); }

QImage MakePreviewThumb() {
    QImage image = Transparent({10, 10});
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor(255, 255, 255, 230));
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(image.rect().adjusted(1, 1, -1, -1), QColor(255, 255, 255, 150));
    return image;
}

}  // namespace skin
