#include "base/errors.h"
#include "image/canvas.h"

#include <gtest/gtest.h>

using namespace fringel;

namespace {
int countColour(const Canvas& c, int w, int h, Rgb colour) {
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            n += c.pixel(x, y) == colour;
    return n;
}
} // namespace

TEST(Canvas, LineLeavesOutItsEndPoint) {
    struct Case {
        int x0, y0, x1, y1, painted;
    };
    const Case cases[] = {{0, 5, 10, 5, 10}, {5, 0, 5, 10, 10}, {10, 5, 0, 5, 10},
                          {0, 0, 7, 7, 7},   {3, 3, 3, 3, 0},   {0, 0, 9, 3, 9}};
    const Rgb red{255, 0, 0};
    for (const Case& c : cases) {
        Bitmap b(12, 12);
        Canvas canvas(b);
        canvas.setPenColor(red);
        canvas.moveTo(c.x0, c.y0);
        canvas.lineTo(c.x1, c.y1);
        EXPECT_EQ(countColour(canvas, 12, 12, red), c.painted);
        EXPECT_NE(canvas.pixel(c.x1, c.y1), red);
        if (c.painted > 0) {
            EXPECT_EQ(canvas.pixel(c.x0, c.y0), red);
        }
    }
}

TEST(Canvas, DrawsOnlyInsideThePicture) {
    Bitmap b(5, 5);
    Canvas canvas(b);
    canvas.setPenColor({1, 2, 3});
    canvas.moveTo(-10, 2);
    canvas.lineTo(20, 2);
    EXPECT_EQ(countColour(canvas, 5, 5, {1, 2, 3}), 5);
    canvas.setPixel(-1, 0, {9, 9, 9});
    canvas.setPixel(5, 5, {9, 9, 9});
    EXPECT_EQ(countColour(canvas, 5, 5, {9, 9, 9}), 0);
    EXPECT_EQ(b.row(2)[0], 3); // blue byte first
    EXPECT_EQ(b.row(2)[2], 1);
}

TEST(Canvas, RefusesPicturesThatAreNotTwentyFourBit) {
    Bitmap grey(2, 2, PixelFormat::Gray8);
    EXPECT_THROW(Canvas{grey}, FringelError);
}
