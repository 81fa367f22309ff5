#include "logo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "palette.h"

namespace skin {
namespace {

constexpr QSize kLogoSize{505, 288};

void Background(QPainter& painter) {
    QLinearGradient fall(0, 0, 0, kLogoSize.height());
    fall.setColorAt(0, kBackgroundTop);
    fall.setColorAt(1, kBackgroundBottom);
    painter.fillRect(QRect(QPoint(0, 0), kLogoSize), fall);
    QRadialGradient glow(QPointF(kLogoSize.width() / 2.0, 118), 190);
    glow.setColorAt(0, QColor(255, 255, 255, 22));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(QRect(QPoint(0, 0), kLogoSize), glow);
}

// Two lenses, one per eye, drawn a little apart and added where they overlap: the
// emblem of a stereo pair. `scale` 1 is the size the logo shows them at.
void Lenses(QPainter& painter, QPointF centre, double scale) {
    const double radius = 44 * scale;
    const double apart = 30 * scale;
    painter.setPen(Qt::NoPen);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    for (const auto& [dx, color] : {std::pair{-apart, kLeftEye}, std::pair{apart, kRightEye}}) {
        QColor tint = color;
        tint.setAlpha(210);
        painter.setBrush(tint);
        painter.drawEllipse(centre + QPointF(dx, 0), radius, radius);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // A play triangle in the overlap, dark on the light lens.
    QPainterPath play;
    play.moveTo(centre + QPointF(-9, -15) * scale);
    play.lineTo(centre + QPointF(-9, 15) * scale);
    play.lineTo(centre + QPointF(16, 0) * scale);
    play.closeSubpath();
    painter.setBrush(QColor(0x10, 0x12, 0x16, 235));
    painter.drawPath(play);
}

QFont Font(int pixels, QFont::Weight weight, double spacing = 0) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setWeight(weight);
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// The name with a red and a cyan shadow to either side, as a stereo pair shows on
// anaglyph glasses, and a tagline under it.
void Title(QPainter& painter) {
    const QRect line(0, 168, kLogoSize.width(), 44);
    painter.setFont(Font(36, QFont::Bold, 0.5));
    for (const auto& [dx, color] : {std::pair{-2, kLeftEye}, std::pair{2, kRightEye}}) {
        QColor shadow = color;
        shadow.setAlpha(200);
        painter.setPen(shadow);
        painter.drawText(line.translated(dx, 0), Qt::AlignCenter, QStringLiteral("Orvo-Player"));
    }
    painter.setPen(Qt::white);
    painter.drawText(line, Qt::AlignCenter, QStringLiteral("Orvo-Player"));

    painter.setFont(Font(13, QFont::Normal, 2.5));
    painter.setPen(kTagline);
    painter.drawText(QRect(0, 216, kLogoSize.width(), 22), Qt::AlignCenter,
                     QStringLiteral("STEREOSCOPIC VIDEO PLAYER"));
}

}  // namespace

QImage MakeLogo() {
    QImage image(kLogoSize, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Background(painter);
    Lenses(painter, QPointF(kLogoSize.width() / 2.0, 104), 1);
    Title(painter);
    return image;
}

QImage MakeIcon() {
    constexpr int kSide = 256;
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The lenses on a dark rounded plate, as the logo shows them on its background.
    QLinearGradient fall(0, 0, 0, kSide);
    fall.setColorAt(0, kBackgroundTop.lighter(130));
    fall.setColorAt(1, kBackgroundBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fall);
    painter.drawRoundedRect(QRectF(8, 8, kSide - 16, kSide - 16), 44, 44);
    Lenses(painter, QPointF(kSide / 2.0, kSide / 2.0), 1.35);
    return image;
}

}  // namespace skin
