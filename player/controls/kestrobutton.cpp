#include "controls/kestrobutton.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "controls/skinmath.h"

TKestroButton::TKestroButton(QWidget* owner) : QWidget(owner) {
    setFixedSize(35, 25);
    QFont caption(QStringLiteral("Tahoma"));
    caption.setPointSize(8);
    caption.setBold(true);
    setFont(caption);
}

void TKestroButton::SetPngImg(const QImage& image) {
    FPngImg = image;
    FitToStrip();
    EtatBtn = 0;
}

void TKestroButton::SetPngIcon(const QImage& image) {
    FPngIcon = image;
    update();
}

void TKestroButton::SetCaption(const QString& caption) {
    text = caption;
    update();
}

void TKestroButton::Setwtext(bool on) {
    writetext = on;
    update();
}

void TKestroButton::SetDown(bool value) {
    FDown = value;
    if (!value) EtatBtn = 0;
    repaint();
}

void TKestroButton::SetState(int32_t value) {
    state = value;
    ftag = value;
    repaint();
}

// One picture wide (strip width / pictures, rounded half to even) and as high as the strip.
// Runs at every paint too, so switching `states` after loading resizes at the next paint.
// A strip too narrow to draw leaves the size alone, so that icon and caption stay visible.
void TKestroButton::FitToStrip() {
    if (!HasStrip()) return;
    const QSize size(int(RoundHalfEven(double(FPngImg.width()) / PictureCount())), FPngImg.height());
    if (this->size() != size) setFixedSize(size);
}

// The picture of the strip for EtatBtn: the second set of a six-picture strip runs
// backwards (pressed, over, normal); disabled is picture 3 in both sets.
int TKestroButton::PictureIndex() const {
    if (states && state == 2 && EtatBtn >= 0 && EtatBtn <= 2) return 5 - EtatBtn;
    return EtatBtn;
}

// The size follows the strip before the painter opens on the control.
void TKestroButton::paintEvent(QPaintEvent*) {
    FitToStrip();
    QPainter canvas(this);
    Paint(canvas);
}

void TKestroButton::Paint(QPainter& canvas) {
    if (FDown) EtatBtn = 2;
    if (!isEnabled()) EtatBtn = 3;
    if (HasStrip()) {
        // Shifted left so that the picture starts at the left edge; the bounds cut the rest.
        const int w = FPngImg.width() / PictureCount();
        canvas.drawImage(QRect(-PictureIndex() * w, 0, FPngImg.width(), height()), FPngImg);
    }
    if (HasIcon()) {
        const int top = int(RoundHalfEven(height() / 2.0) - RoundHalfEven(FPngIcon.height() / 2.0));
        canvas.drawImage(QRect(5, top, FPngIcon.width(), FPngIcon.height()), FPngIcon);
    }
    if (writetext) DrawCaption(canvas);
}

void TKestroButton::DrawCaption(QPainter& canvas) {
    switch (EtatBtn) {
    case 0: m_captionColor = FNormalColor; break;
    case 1: m_captionColor = FOverlayColor; break;
    case 2: m_captionColor = FPushColor; break;
    default: break;
    }
    const QFontMetrics metrics(font());
    // The height of a line of text, as the text "A" occupies it, centres the caption.
    const int top = height() / 2 - metrics.height() / 2;
    const int left = HasIcon() ? 23 : width() / 2 - metrics.horizontalAdvance(text) / 2;
    canvas.setPen(m_captionColor);
    canvas.setFont(font());
    canvas.drawText(left, top + metrics.ascent(), text);
}

void TKestroButton::ShowPicture(int32_t picture) {
    EtatBtn = picture;
    repaint();
}

// A press shows the pressed picture and flips the picture set before the click handler
// runs; the owner's handler may then settle the set.
void TKestroButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_leftPressed = true;
    if (manualstate || !isEnabled()) return;
    ShowPicture(2);
    ftag = ftag == 1 ? 2 : 1;
    SetState(ftag);
}

// Releasing shows the normal picture, not the mouse-over one, until the mouse re-enters.
void TKestroButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (isEnabled()) ShowPicture(0);
    const bool click = m_leftPressed && rect().contains(event->position().toPoint());
    m_leftPressed = false;
    if (click) Notify(OnClick);
}

void TKestroButton::enterEvent(QEnterEvent*) {
    if (isEnabled()) ShowPicture(1);
    Notify(OnMouseEnter);
}

void TKestroButton::leaveEvent(QEvent*) {
    if (isEnabled()) ShowPicture(0);
    Notify(OnMouseLeave);
}

void TKestroButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) ShowPicture(isEnabled() ? 0 : 3);
}
