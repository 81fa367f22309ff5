#pragma once
// TPNGSlider: a slider drawn entirely from PNG images: a track (ruler), a fill that grows
// with the value (progress), a thumb at the value, and a second thumb (thumb2) that
// previews a drag. It has no native window: every paint is composed in an off-screen
// image and drawn, alpha-blended, onto the parent. The value range is signed 64-bit.
// All members are used from the GUI thread only.
#include <QImage>
#include <QWidget>
#include <cstdint>

#include "controls/notifyevent.h"

enum class TSliderType { Normal = 0, Vertical = 1 };

class TPNGSlider : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qint64 Pos READ Pos WRITE SetPos)
    Q_PROPERTY(qint64 Value READ Value WRITE SetValue)
    Q_PROPERTY(bool ProgressBar READ ProgressBar WRITE SetProgressBar)

public:
    explicit TPNGSlider(QWidget* owner = nullptr);

    // Installs the three skin images and sizes the control and the off-screen image to
    // the track. The only place the off-screen image is sized.
    void LoadBitmaps(const QImage& fruler, const QImage& fthumb, const QImage& fprogress);

    // Clamps v to [minvalue, maxvalue] (upper bound first), stores it and repaints; raises
    // OnChange unless the control's object name is "Bar".
    void SetValue(int64_t v);
    int64_t Value() const { return position; }

    // Stores any value unchecked: no clamping, no repaint, no event.
    void SetPos(int64_t v) { position = v; }
    int64_t Pos() const { return position; }

    // True makes the control a display-only progress bar that ignores the mouse.
    void SetProgressBar(bool on) { fEnable = on; }
    bool ProgressBar() const { return fEnable; }

    void SetImgThumb(const QImage& image);
    const QImage& ImgThumb() const { return thumb; }
    void SetImgRuler(const QImage& image);
    const QImage& ImgRuler() const { return ruler; }
    void SetImgProgress(const QImage& image);
    const QImage& ImgProgress() const { return progress; }

    void Setslidertype(TSliderType type) { slidert = type; }
    TSliderType slidertype() const { return slidert; }

    // Pressing raises OnChange unless OnChange2 is assigned; dragging raises OnChange2 in
    // preview mode (sec) and OnChange otherwise; releasing always raises OnChange.
    TNotifyEvent OnChange;
    TNotifyEvent OnChange2;

    // Reached directly by the owner.
    QImage thumb2;              // the drag-preview thumb, scaled to the thumb's size
    bool sec = false;           // preview mode: the mouse sets position2, not position
    int64_t maxvalue = 100;
    int64_t minvalue = 0;
    int64_t position2 = 0;      // the value under the mouse in preview mode

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FitToRuler();
    void Paint(QPainter& canvas);
    void DrawPlaceholder(QPainter& canvas) const;
    void Compose();
    void DrawFill(QPainter& painter) const;
    int ThumbTravel() const;
    int PixelOffset(int64_t value, int length) const;
    int64_t ValueAt(int pixel, int length) const;
    void StoreValueUnder(const QPoint& mouse);
    void Notify(const TNotifyEvent& handler) { if (handler) handler(this); }

    QImage ruler;       // the track; its size is the control's size
    QImage progress;    // the fill, copied over the track
    QImage thumb;       // the thumb at the current value
    QImage bmp;         // the off-screen picture every paint composes
    int64_t position = 0;
    bool mdown = false; // the left button went down on the control and is still held
    TSliderType slidert = TSliderType::Normal;
    bool fEnable = false;
};
