#pragma once
// TKestroButton: a push button drawn from one PNG strip holding its pictures side by side:
// normal, mouse over, pressed, disabled; a two-state (play/pause) strip holds six, the
// second set (for state 2) in the order pressed, mouse over, normal. It can also draw a
// small icon and a caption. It has no native window and paints onto its parent.
// All members are used from the GUI thread only.
#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "controls/notifyevent.h"

class TKestroButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool wtext READ wtext WRITE Setwtext)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)

public:
    explicit TKestroButton(QWidget* owner = nullptr);

    // Copies the strip and sizes the button to one picture of it; shows the normal picture.
    void SetPngImg(const QImage& image);
    const QImage& PngImg() const { return FPngImg; }
    void SetPngIcon(const QImage& image);

    void SetCaption(const QString& caption);
    QString Caption() const { return text; }
    void Setwtext(bool on);
    bool wtext() const { return writetext; }

    // Held down by the program: shows the pressed picture until set back to false.
    void SetDown(bool value);
    bool Down() const { return FDown; }

    // Selects the picture set (2: the second set) and repaints.
    void SetState(int32_t value);

    void SetColorNormal(const QColor& color) { FNormalColor = color; }
    QColor ColorNormal() const { return FNormalColor; }
    void SetColorDown(const QColor& color) { FPushColor = color; }
    QColor ColorDown() const { return FPushColor; }
    void SetColorOver(const QColor& color) { FOverlayColor = color; }
    QColor ColorOver() const { return FOverlayColor; }

    // A left press released over the button; raised after the normal picture is back.
    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    int32_t state = 1;          // 2 selects the second picture set, anything else the first
    int32_t EtatBtn = 0;        // 0 normal, 1 mouse over, 2 pressed, 3 disabled
    bool states = false;        // false: four-picture strip; true: six-picture strip
    bool manualstate = false;   // true: a press changes neither the picture nor the state

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int PictureCount() const { return states ? 6 : 4; }
    int PictureIndex() const;
    bool HasStrip() const { return FPngImg.width() > 1; }
    bool HasIcon() const { return FPngIcon.width() > 1; }
    void FitToStrip();
    void Paint(QPainter& canvas);
    void DrawCaption(QPainter& canvas);
    void ShowPicture(int32_t picture);
    void Notify(const TNotifyEvent& handler) { if (handler) handler(this); }

    QColor FNormalColor = Qt::white;
    QColor FPushColor = Qt::white;
    QColor FOverlayColor = Qt::white;
    int32_t ftag = 0;           // flipped between 1 and 2 by every left press
    QImage FPngImg;
    QImage FPngIcon;
    bool FDown = false;
    bool writetext = false;
    QString text;
    QColor m_captionColor = Qt::white;  // kept from paint to paint; disabled leaves it as is
    bool m_leftPressed = false;         // a left press began here, so its release may click
};
