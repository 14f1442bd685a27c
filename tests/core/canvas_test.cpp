#include "base/errors.h"
#include "image/canvas.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

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

namespace {

// The pixels of the picture that hold `color`.
std::set<std::pair<int, int>> pixelsOf(const fringel::Bitmap& b, fringel::Rgb color) {
    std::set<std::pair<int, int>> out;
    fringel::Bitmap copy = b;
    const fringel::Canvas c(copy);
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (c.pixel(x, y) == color) out.insert({x, y});
    return out;
}

} // namespace

TEST(CanvasEllipse, OutlineFillsItsBoxWithoutTheRightAndBottomEdges) {
    using fringel::Rgb;
    const Rgb red{255, 0, 0};
    struct Box {
        int x1, y1, x2, y2;
    };
    for (const Box box :
         {Box{10, 10, 20, 20}, Box{5, 8, 30, 15}, Box{3, 3, 5, 9}, Box{0, 0, 41, 41}}) {
        fringel::Bitmap b(50, 50);
        fringel::Canvas c(b);
        c.setPenColor(red);
        c.ellipse(box.x1, box.y1, box.x2, box.y2);
        const auto painted = pixelsOf(b, red);
        ASSERT_FALSE(painted.empty());
        int minX = 99, maxX = -1, minY = 99, maxY = -1;
        for (const auto& [x, y] : painted) {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            // Mirror images about the box's centre are painted too.
            EXPECT_TRUE(painted.count({box.x1 + box.x2 - 1 - x, y})) << x << "," << y;
            EXPECT_TRUE(painted.count({x, box.y1 + box.y2 - 1 - y})) << x << "," << y;
            // Closed: every outline pixel touches at least two others.
            int neighbours = 0;
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    neighbours += (dx || dy) && painted.count({x + dx, y + dy});
            EXPECT_GE(neighbours, 2) << x << "," << y;
        }
        EXPECT_EQ(minX, box.x1);
        EXPECT_EQ(maxX, box.x2 - 1);
        EXPECT_EQ(minY, box.y1);
        EXPECT_EQ(maxY, box.y2 - 1);
    }
}

TEST(CanvasEllipse, HollowByDefaultFilledWithABrushAndDegenerateBoxes) {
    using fringel::Rgb;
    const Rgb pen{0, 150, 0};
    const Rgb fill{9, 9, 9};
    fringel::Bitmap b(40, 40);
    fringel::Canvas c(b);
    c.setPenColor(pen);
    c.ellipse(10, 10, 30, 30);
    EXPECT_EQ(c.pixel(19, 19), Rgb{});
    c.setBrush(fill);
    c.ellipse(10, 10, 30, 30);
    EXPECT_EQ(c.pixel(19, 19), fill);
    EXPECT_EQ(c.pixel(10, 19), pen);

    fringel::Bitmap d(20, 20);
    fringel::Canvas e(d);
    e.setPenColor(pen);
    e.ellipse(5, 5, 5, 9); // empty
    EXPECT_TRUE(pixelsOf(d, pen).empty());
    e.ellipse(5, 5, 6, 9); // one column
    EXPECT_EQ(pixelsOf(d, pen), (std::set<std::pair<int, int>>{{5, 5}, {5, 6}, {5, 7}, {5, 8}}));
    e.ellipse(-30, -30, 60, 60); // mostly outside: clipped, no fault
}

TEST(Canvas, DrawsBitmapsAndHandsTextToThePainter) {
    using fringel::Rgb;
    fringel::Bitmap grey(3, 2, fringel::PixelFormat::Gray8);
    grey.row(1)[2] = 77;
    fringel::Bitmap target(5, 5);
    std::vector<std::string> texts;
    fringel::Canvas c(target, [&](fringel::Bitmap&, int x, int y, const std::string& t, Rgb col,
                                  std::optional<Rgb>) {
        texts.push_back(std::to_string(x) + "," + std::to_string(y) + ":" + t + ":" +
                        std::to_string(col.g));
    });
    c.drawBitmap(grey);
    EXPECT_EQ(c.pixel(2, 1), (Rgb{77, 77, 77}));
    c.setFontColor({0, 255, 255});
    c.textOut(4, 3, "E = 5");
    EXPECT_EQ(texts, std::vector<std::string>{"4,3:E = 5:255"});
    fringel::Canvas silent(target);
    silent.textOut(0, 0, "ignored");
}
