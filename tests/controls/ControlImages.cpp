#include <gtest/gtest.h>

#include "ControlImages.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <cstdlib>

namespace orvo::test {

QImage Solid(int width, int height, const QColor& color) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

QImage Strip(const std::vector<QColor>& colours, int pictureWidth, int height) {
    QImage image(pictureWidth * int(colours.size()), height, QImage::Format_ARGB32);
    QPainter painter(&image);
    for (size_t i = 0; i < colours.size(); ++i)
        painter.fillRect(int(i) * pictureWidth, 0, pictureWidth, height, colours[i]);
    return image;
}

QImage Painted(QWidget& control) {
    QImage image(control.size(), QImage::Format_ARGB32);
    image.fill(kBackground);
    control.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

::testing::AssertionResult ColumnsAre(const QImage& image, int y, int first, int last, const QColor& color) {
    for (int x = first; x < last; ++x) {
        if (image.pixelColor(x, y) != color)
            return ::testing::AssertionFailure()
                   << "column " << x << " of row " << y << " is " << qPrintable(image.pixelColor(x, y).name())
                   << ", expected " << qPrintable(color.name());
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ImagesClose(const QImage& actual, const QImage& expected, int tolerance) {
    if (actual.size() != expected.size()) return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x) {
            const QColor a = actual.pixelColor(x, y), e = expected.pixelColor(x, y);
            if (std::abs(a.red() - e.red()) > tolerance || std::abs(a.green() - e.green()) > tolerance ||
                std::abs(a.blue() - e.blue()) > tolerance)
                return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is " << qPrintable(a.name())
                                                     << ", expected " << qPrintable(e.name());
        }
    return ::testing::AssertionSuccess();
}

void Enter(QWidget& control) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), control.mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(&control, &event);
}

void Leave(QWidget& control) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&control, &event);
}

}  // namespace orvo::test
