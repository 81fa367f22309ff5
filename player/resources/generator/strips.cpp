#include "strips.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>
#include <vector>

#include "palette.h"

namespace skin {
namespace {

using Glyph = std::function<void(QPainter&, const QColor&)>;

struct Picture {
    Glyph glyph;
    QColor color;
};

// Each glyph draws at the origin of its own picture; the strip moves the origin along.
QImage Strip(QSize picture, const std::vector<Picture>& pictures) {
    QImage image(picture.width() * int(pictures.size()), picture.height(),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (size_t i = 0; i < pictures.size(); ++i) {
        painter.save();
        painter.translate(int(i) * picture.width(), 0);
        painter.setClipRect(QRect(QPoint(0, 0), picture));
        pictures[i].glyph(painter, pictures[i].color);
        painter.restore();
    }
    return image;
}

std::vector<Picture> FourStates(const Glyph& glyph) {
    return {{glyph, kGlyphNormal}, {glyph, kGlyphOver}, {glyph, kGlyphPressed}, {glyph, kGlyphDisabled}};
}

// 13 x 14: a triangle 10 pixels high with a pixel-aligned left edge.
void Play(QPainter& painter, const QColor& color) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPolygon(QPolygonF{QPointF(3, 2), QPointF(3, 12), QPointF(11, 7)});
}

// 13 x 14: two bars 3 x 10 with a 3-pixel gap, on whole pixels.
void Pause(QPainter& painter, const QColor& color) {
    painter.fillRect(QRect(2, 2, 3, 10), color);
    painter.fillRect(QRect(8, 2, 3, 10), color);
}

// 15 x 15: speaker body and cone, with two sound waves.
void Speaker(QPainter& painter, const QColor& color) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRect(QRectF(1, 5, 3, 5));
    painter.drawPolygon(QPolygonF{QPointF(4, 5), QPointF(7, 2), QPointF(7, 13), QPointF(4, 10)});
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color, 1.4, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre(6.5, 7.5);
    for (const double radius : {3.3, 6.2}) {
        painter.drawArc(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)), -50 * 16, 100 * 16);
    }
}

// 12 x 14: the corners of a 10 x 10 square, arms 4 long and 2 thick, on whole pixels.
void Corners(QPainter& painter, const QColor& color) {
    const QRect box(1, 2, 10, 10);
    constexpr int arm = 4;
    constexpr int thick = 2;
    for (const QPoint corner : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
        const int left = corner.x() == box.left() ? box.left() : box.right() + 1 - arm;
        const int top = corner.y() == box.top() ? box.top() : box.bottom() + 1 - arm;
        const int across = corner.y() == box.top() ? box.top() : box.bottom() + 1 - thick;
        const int down = corner.x() == box.left() ? box.left() : box.right() + 1 - thick;
        painter.fillRect(QRect(left, across, arm, thick), color);
        painter.fillRect(QRect(down, top, thick, arm), color);
    }
}

}  // namespace

QImage MakePlayPauseStrip() {
    return Strip({13, 14}, {{Play, kGlyphNormal}, {Play, kGlyphOver}, {Play, kGlyphPressed},
                            {Pause, kGlyphPressed}, {Pause, kGlyphOver}, {Pause, kGlyphNormal}});
}

QImage MakeVolumeStrip() { return Strip({15, 15}, FourStates(Speaker)); }

QImage MakeFullScreenStrip() { return Strip({12, 14}, FourStates(Corners)); }

}  // namespace skin
