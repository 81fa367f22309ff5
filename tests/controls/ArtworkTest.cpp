#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "ControlImages.h"
#include "controls/kestrobutton.h"
#include "controls/kestroslider.h"

namespace orvo::test {
namespace {

QImage Resource(const char* name) {
    QImage image(QStringLiteral(":/") + QLatin1String(name));
    EXPECT_FALSE(image.isNull()) << "resource " << name;
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Mean luminance of the visible pixels, weighted by their opacity.
double Luminance(const QImage& image) {
    double sum = 0, weight = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            sum += c.alphaF() * (0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF());
            weight += c.alphaF();
        }
    return weight > 0 ? sum / weight : 0;
}

int Alpha(const QImage& image, int x, int y) { return image.pixelColor(x, y).alpha(); }

TEST(Artwork, SkinHasItsSizes) {
    const struct {
        const char* name;
        QSize size;
    } art[] = {{"Progress", {356, 10}}, {"Progress_ruler", {356, 10}}, {"progress_thumb2", {1, 10}},
               {"progress_thumb", {10, 10}}, {"play_pause", {78, 14}}, {"volume", {60, 15}},
               {"fullscreen", {48, 14}}, {"logo", {505, 288}}};
    for (const auto& a : art) EXPECT_EQ(Resource(a.name).size(), a.size) << a.name;
}

TEST(Artwork, SeekBarImagesPlayTheirRoles) {
    EXPECT_GT(Luminance(Resource("Progress")), Luminance(Resource("Progress_ruler")) + 0.15);
    const QImage hidden = Resource("progress_thumb2");
    for (int y = 0; y < hidden.height(); ++y) EXPECT_EQ(Alpha(hidden, 0, y), 0);
    const QImage preview = Resource("progress_thumb");
    for (int y = 0; y < preview.height(); ++y)
        for (int x = 0; x < preview.width(); ++x) {
            EXPECT_GT(Alpha(preview, x, y), 0);
            EXPECT_LT(Alpha(preview, x, y), 255);
        }
}

TEST(Artwork, StripPicturesAreDistinctAndVisible) {
    const struct {
        const char* name;
        int pictures;
    } strips[] = {{"play_pause", 6}, {"volume", 4}, {"fullscreen", 4}};
    for (const auto& s : strips) {
        const QImage strip = Resource(s.name);
        const int w = strip.width() / s.pictures;
        for (int i = 0; i < s.pictures; ++i) {
            const QImage picture = strip.copy(i * w, 0, w, strip.height());
            int opaque = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x) opaque += Alpha(picture, x, y) > 200;
            EXPECT_GT(opaque, 10) << s.name << " picture " << i;
            for (int j = 0; j < i; ++j)
                EXPECT_NE(picture, strip.copy(j * w, 0, w, strip.height())) << s.name << " pictures " << j << ", " << i;
        }
    }
}

// The seek bar as the player builds it: half way through fills exactly 178 columns with
// the played part's pixels, and the invisible thumb shows nothing.
TEST(Artwork, SeekBarSkinFillsHalfWay) {
    const QImage track = Resource("Progress");
    const QImage fill = Resource("Progress_ruler");
    TPNGSlider bar;
    bar.setObjectName(QStringLiteral("Bar"));
    bar.LoadBitmaps(track, Resource("progress_thumb2"), fill);
    bar.maxvalue = 200;
    bar.SetValue(100);
    const QImage image = Painted(bar);
    ASSERT_EQ(image.size(), QSize(356, 10));

    QImage expected(356, 10, QImage::Format_ARGB32);
    expected.fill(kBackground);
    QPainter painter(&expected);
    painter.drawImage(QPoint(0, 0), fill, QRect(0, 0, 178, 10));
    painter.drawImage(QPoint(178, 0), track, QRect(178, 0, 178, 10));
    painter.end();
    EXPECT_TRUE(ImagesClose(image, expected, 2));
}

}  // namespace
}  // namespace orvo::test
