#pragma once
// Images for driving the skinned controls in tests: solid fixtures, strips of distinct
// solid pictures, and a control painted into an image over a known background.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <vector>

namespace orvo::test {

inline const QColor kBackground{0x10, 0x20, 0x30};

QImage Solid(int width, int height, const QColor& color);

// Picture i of `pictureWidth` columns is filled with colours[i].
QImage Strip(const std::vector<QColor>& colours, int pictureWidth, int height);

// The control painted over kBackground, into an image of the control's size before painting.
QImage Painted(QWidget& control);

// Columns [first, last) of row y all have `color`.
::testing::AssertionResult ColumnsAre(const QImage& image, int y, int first, int last, const QColor& color);

// Same size, and no channel of any pixel further apart than `tolerance` (premultiplied
// compositing rounds translucent pixels by a step or so).
::testing::AssertionResult ImagesClose(const QImage& actual, const QImage& expected, int tolerance);

void Enter(QWidget& control);
void Leave(QWidget& control);

}  // namespace orvo::test
