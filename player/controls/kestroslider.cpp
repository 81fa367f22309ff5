#include "controls/kestroslider.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "controls/skinmath.h"

namespace {

// Products of a value span and a pixel count can pass the 64-bit range when the bounds or
// a value stored through Pos lie far apart; they are taken one size wider.
using Wide = __int128;

// Offsets further out than any widget can be wide change nothing on the screen; limiting
// them keeps the conversion to int and the rectangles built from it defined.
constexpr double kOffsetLimit = QWIDGETSIZE_MAX;

}  // namespace

TPNGSlider::TPNGSlider(QWidget* owner) : QWidget(owner) {
    setCursor(Qt::PointingHandCursor);
    FitToRuler();
}

void TPNGSlider::LoadBitmaps(const QImage& fruler, const QImage& fthumb, const QImage& fprogress) {
    ruler = fruler;
    progress = fprogress;
    thumb = fthumb;
    FitToRuler();
    bmp = QImage(ruler.size(), QImage::Format_ARGB32_Premultiplied);
    repaint();
}

void TPNGSlider::SetValue(int64_t v) {
    if (v > maxvalue) v = maxvalue;
    if (v < minvalue) v = minvalue;
    position = v;
    repaint();
    // The player's timer moves its seek bar "Bar" through here; that must not seek.
    if (objectName() != QLatin1String("Bar")) Notify(OnChange);
}

void TPNGSlider::SetImgThumb(const QImage& image) {
    thumb = image;
    update();
}

void TPNGSlider::SetImgRuler(const QImage& image) {
    ruler = image;
    FitToRuler();
    update();
}

void TPNGSlider::SetImgProgress(const QImage& image) {
    progress = image;
    update();
}

// The control is as large as its track; without a track it shows a 200 x 30 placeholder.
void TPNGSlider::FitToRuler() {
    const QSize size = ruler.width() > 0 ? ruler.size() : QSize(200, 30);
    if (this->size() != size) setFixedSize(size);
}

// The size follows the track before the painter opens on the control.
void TPNGSlider::paintEvent(QPaintEvent*) {
    FitToRuler();
    QPainter canvas(this);
    Paint(canvas);
}

void TPNGSlider::Paint(QPainter& canvas) {
    if (ruler.width() == 0) {
        DrawPlaceholder(canvas);
        return;
    }
    if (bmp.isNull()) return;  // images given only through the properties: nothing to show
    Compose();
    canvas.drawImage(0, 0, bmp);
}

void TPNGSlider::DrawPlaceholder(QPainter& canvas) const {
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QPen(palette().color(QPalette::WindowText), 0, Qt::DotLine));
    canvas.drawRect(rect().adjusted(0, 0, -1, -1));
}

// Track, fill, thumb, then the drag preview, into the off-screen image.
void TPNGSlider::Compose() {
    bmp.fill(Qt::transparent);
    QPainter painter(&bmp);
    painter.drawImage(0, 0, ruler);
    if (progress.width() >= 1) DrawFill(painter);
    if (thumb.width() >= 1) {
        const int t = PixelOffset(position, ThumbTravel());
        painter.drawImage(slidert == TSliderType::Normal ? QPoint(t, 0) : QPoint(0, t), thumb);
    }
    if (sec && mdown) {
        // The preview runs along the width also on a vertical slider, centred across it,
        // and is scaled to the thumb's size.
        const int s = PixelOffset(position2, width() - thumb.width());
        const int y = height() / 2 - thumb.height() / 2;
        painter.drawImage(QRect(s, y, thumb.width(), thumb.height()), thumb2);
    }
}

// The fill is a plain copy of the progress pixels, alpha included, over the track: from
// the left up to the thumb, or on a vertical slider from the thumb down.
void TPNGSlider::DrawFill(QPainter& painter) const {
    const int e = PixelOffset(position, ThumbTravel());
    if (e <= 0) return;
    const QRect fill = slidert == TSliderType::Normal
                           ? QRect(0, 0, e, progress.height())
                           : QRect(QPoint(0, e), QPoint(progress.width() - 1, progress.height() - 1));
    const QRect copied = fill & progress.rect();
    if (copied.isEmpty()) return;
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(copied.topLeft(), progress, copied);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

int TPNGSlider::ThumbTravel() const {
    return slidert == TSliderType::Normal ? width() - thumb.width() : height() - thumb.height();
}

// (value - minvalue) x length / (maxvalue - minvalue), rounded half to even. Equal bounds
// (the seek bar while nothing is open) put everything at offset 0.
int TPNGSlider::PixelOffset(int64_t value, int length) const {
    const Wide span = Wide(maxvalue) - minvalue;
    if (span == 0) return 0;
    const Wide product = (Wide(value) - minvalue) * length;
    const double offset = RoundHalfEven(double(product) / double(span));
    return int(std::clamp(offset, -kOffsetLimit, kOffsetLimit));
}

// The value under a pixel at `pixel` along a side `length` pixels long: minvalue plus
// pixel x (maxvalue - minvalue) / length rounded half to even, clamped to the bounds
// (upper first). The same mapping serves both orientations.
int64_t TPNGSlider::ValueAt(int pixel, int length) const {
    if (length <= 0) return minvalue;
    const Wide span = Wide(maxvalue) - minvalue;
    const double quotient = double(Wide(pixel) * span) / length;
    if (quotient >= double(span)) return maxvalue;
    if (quotient <= 0) return minvalue;
    const Wide value = Wide(minvalue) + Wide(RoundHalfEven(quotient));
    return int64_t(std::min(value, Wide(maxvalue)));  // a far span's double may round past it
}

void TPNGSlider::StoreValueUnder(const QPoint& mouse) {
    const int64_t value = slidert == TSliderType::Normal ? ValueAt(mouse.x(), width())
                                                         : ValueAt(mouse.y(), height());
    (sec ? position2 : position) = value;
}

void TPNGSlider::mousePressEvent(QMouseEvent* event) {
    if (fEnable || event->button() != Qt::LeftButton) return;
    mdown = true;
    StoreValueUnder(event->position().toPoint());
    if (!OnChange2) Notify(OnChange);
    repaint();
}

void TPNGSlider::mouseMoveEvent(QMouseEvent* event) {
    if (fEnable) return;
    if (mdown) {
        StoreValueUnder(event->position().toPoint());
        Notify(sec ? OnChange2 : OnChange);
    }
    repaint();
}

void TPNGSlider::mouseReleaseEvent(QMouseEvent*) {
    if (fEnable) return;
    mdown = false;
    SetValue(sec ? position2 : position);
    Notify(OnChange);
    repaint();
}
