#include "base/errors.h"
#include "base/number_text.h"
#include "trapez/trapezium_drawing.h"
#include "trapez/trapezium_readout.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace fringel;

namespace {

// A hand-made model: an N x N grid of zeros with the given spacing; cells set by the test.
TrapeziumModel gridOf(int cells, int spacing) {
    TrapeziumModel m;
    m.parameters = trapeziumParameters(169, 51, 20);
    m.spacing = spacing;
    m.intensities.setLength(cells);
    for (auto& row : m.intensities)
        row.setLength(cells);
    return m;
}

// Gamma 1, so brightness equals the intensity and the levels are easy to follow.
DrawingOptions linear() {
    DrawingOptions o;
    o.gammaPosition = 100;
    o.showMainAxis = false;
    return o;
}

Rgb at(Bitmap& image, int x, int y) {
    return Canvas(image).pixel(x, y);
}

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

} // namespace

TEST(TrapeziumDrawing, DefaultsPaintAWhiteZeroOrderAndSetTheGammaLabel) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    Bitmap image(600, 600);
    int cells = 0;
    const SimulationDrawing d = drawSimulation(image, m, DrawingOptions{}, [&] { ++cells; });
    EXPECT_EQ(cells, 31 * 31);
    EXPECT_EQ(d.drawReference, spotBrightness(m.intensities[0][0], 0.25f));
    EXPECT_EQ(d.gammaLabel, "Gamma = x^0,25");
    EXPECT_FALSE(d.corners);
    EXPECT_EQ(at(image, 300, 300), kWhite);
    EXPECT_EQ(at(image, 302, 301), kWhite);
    // The main axis lies under the spots and shows between them.
    EXPECT_EQ(at(image, 300, 12), (Rgb{128, 128, 128}));
    EXPECT_EQ(at(image, 5, 5), kBlack);
}

TEST(TrapeziumDrawing, LevelsRunFromGreenToWhite) {
    struct Case {
        float e, reference;
        std::int64_t a, b;
    };
    for (const Case c : {Case{100, 100, 255, 255}, Case{50, 100, 0, 255}, Case{75, 100, 128, 255},
                         Case{1, 100, 0, 5}, Case{1.1f, 100, 0, 6}, Case{0, 100, 0, 0}}) {
        const SpotLevels l = spotLevels(c.e, c.reference);
        EXPECT_EQ(l.a, c.a) << c.e;
        EXPECT_EQ(l.b, c.b) << c.e;
    }
    EXPECT_THROW(spotLevels(0, 0), ArithmeticError);
}

TEST(TrapeziumDrawing, BrightnessOfHugeIntensitiesDoesNotOverflow) {
    EXPECT_EQ(spotBrightness(3e9f, 1), 3e9f);
    EXPECT_EQ(spotBrightness(-2.5e10f, 1), 2.5e10f);
    EXPECT_EQ(spotBrightness(16.9f, 0.5f), 4.0f); // the whole part 16
}

TEST(TrapeziumDrawing, FaintCellsAreNotPaintedAndSpotsAreMirrored) {
    TrapeziumModel m = gridOf(5, 20);
    m.intensities[0][0] = 10000;
    m.intensities[0][2] = 100; // green level 5: left out
    m.intensities[2][0] = 110; // green level 6: painted 20 pixels below and above
    Bitmap image(600, 600);
    drawSimulation(image, m, linear());
    for (const auto& [x, y] : {std::pair{320, 300}, std::pair{280, 300}})
        EXPECT_EQ(at(image, x, y), kBlack) << x;
    for (const auto& [x, y] : {std::pair{300, 320}, std::pair{300, 280}})
        EXPECT_EQ(at(image, x, y), (Rgb{0, 6, 0})) << y;
}

TEST(TrapeziumDrawing, HalfOrderSpotsSitHalfASpacingOutRoundedTowardTheCentre) {
    TrapeziumModel m = gridOf(3, 7);
    m.intensities[0][0] = 10000;
    m.intensities[1][1] = 10000;
    DrawingOptions o = linear();
    o.peakSize = 0; // single pixels
    Bitmap image(600, 600);
    drawSimulation(image, m, o);
    for (const auto& [x, y] :
         {std::pair{303, 303}, std::pair{297, 303}, std::pair{297, 297}, std::pair{303, 297}})
        EXPECT_EQ(at(image, x, y), kWhite) << x << "," << y;
    EXPECT_EQ(at(image, 304, 304), kBlack);
}

TEST(TrapeziumDrawing, OldDrawWithRadiusZeroPaintsNothing) {
    TrapeziumModel m = gridOf(3, 20);
    m.intensities[0][0] = 10000;
    DrawingOptions o = linear();
    o.peakSize = 0;
    o.oldDraw = true;
    Bitmap image(600, 600);
    drawSimulation(image, m, o);
    EXPECT_EQ(at(image, 300, 300), kBlack);
}

TEST(TrapeziumDrawing, PeakRadiusScalesSpotsByBrightness) {
    TrapeziumModel m = gridOf(5, 40);
    m.intensities[0][0] = 10000;
    m.intensities[0][4] = 5000; // half the reference: radius 5 of 10
    DrawingOptions o = linear();
    o.peakSize = 10;
    o.peakRadius = true;
    o.oldDraw = true;
    Bitmap image(600, 600);
    drawSimulation(image, m, o);
    // The zero order keeps the full radius, box 290..309; the spot at order 2 box 375..384.
    EXPECT_EQ(at(image, 291, 300), kWhite);
    EXPECT_EQ(at(image, 376, 300), (Rgb{0, 255, 0}));
    EXPECT_EQ(at(image, 373, 300), kBlack);
}

TEST(TrapeziumDrawing, ShadedRimDarkensTheSpotEdge) {
    Bitmap image(40, 40);
    Canvas canvas(image);
    drawSpot(canvas, 20, 20, 5, 255, 255);
    EXPECT_EQ(at(image, 20, 20), kWhite);
    // At 2 degrees the rim point (4.997, 0.174) falls in pixel (4, 0) with weight 1.17.
    EXPECT_EQ(at(image, 24, 20), (Rgb{149, 149, 149}));
    EXPECT_EQ(at(image, 16, 20), (Rgb{149, 149, 149}));
    // A radius below 1 is one pixel.
    drawSpot(canvas, 5, 5, 0.5f, 10, 200);
    EXPECT_EQ(at(image, 5, 5), (Rgb{10, 200, 10}));
    EXPECT_EQ(at(image, 6, 5), kBlack);
}

TEST(TrapeziumDrawing, OutlineCornersOfTheDefaults) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    const TrapeziumCorners expected{{{62, 59}, {-62, 59}, {-44, -59}, {44, -59}}};
    EXPECT_EQ(computeTrapeziumCorners(m.parameters), expected);
    DrawingOptions o;
    o.showTrapezium = true;
    Bitmap image(600, 600);
    const SimulationDrawing d = drawSimulation(image, m, o);
    EXPECT_EQ(d.corners, expected);
    const Rgb outline{200, 200, 0};
    EXPECT_EQ(at(image, 362, 359), outline);
    EXPECT_EQ(at(image, 300, 359), outline); // the wide lower side
    EXPECT_EQ(at(image, 256, 241), outline);
    EXPECT_EQ(at(image, 300, 241), outline);
}

TEST(TrapeziumDrawing, GridAndAxes) {
    DrawingOptions o;
    o.showGrid = true;
    Bitmap image(600, 600);
    Canvas canvas(image);
    drawGridAndAxes(canvas, 20, o);
    EXPECT_EQ(at(image, 320, 100), (Rgb{32, 32, 32}));
    EXPECT_EQ(at(image, 100, 280), (Rgb{32, 32, 32}));
    EXPECT_EQ(at(image, 300, 100), (Rgb{128, 128, 128}));
    EXPECT_EQ(at(image, 320, 301), (Rgb{128, 128, 128})); // a tick across the axis
    EXPECT_EQ(at(image, 320, 302), (Rgb{32, 32, 32}));    // the tick ends before 302
    EXPECT_EQ(at(image, 320, 5), kBlack);                 // lines run from 10 to 590
    EXPECT_EQ(at(image, 321, 101), kBlack);
}

TEST(TrapeziumDrawing, AFaintZeroOrderCannotBeDrawn) {
    TrapeziumModel m = gridOf(3, 20);
    m.intensities[0][0] = 0.5f;
    Bitmap image(600, 600);
    EXPECT_THROW(drawSimulation(image, m, linear()), ArithmeticError);
}

TEST(TrapeziumReadout, CentreReadsTheZeroOrder) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    const auto r = readPointer(m, 300, 300, 600, 600);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->valueText, "F(0;0) = " + formatGeneral(m.intensities[0][0], 7));
    EXPECT_EQ(r->ratioText, "F/F(0,0) = 100 %");
    EXPECT_EQ(r->infoText, "F(0;0) = 4,05E7");
    EXPECT_EQ(r->markX, 300);
    EXPECT_EQ(r->markY, 300);
}

TEST(TrapeziumReadout, SnapsToTheNearestHalfOrder) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    const auto quarter = readPointer(m, 305, 300, 600, 600);
    ASSERT_TRUE(quarter);
    EXPECT_EQ(quarter->ix, 1);
    EXPECT_EQ(quarter->valueText, "F(0,5;0) = 0");
    EXPECT_EQ(quarter->markX, 310);
    const auto above = readPointer(m, 300, 281, 600, 600);
    const auto below = readPointer(m, 300, 319, 600, 600);
    ASSERT_TRUE(above && below);
    EXPECT_EQ(above->iy, 2);
    EXPECT_EQ(below->iy, -2);
    EXPECT_EQ(above->value, m.intensities[2][0]);
    EXPECT_EQ(below->value, above->value);
    EXPECT_EQ(below->infoText.substr(0, 10), "F(0;-1) = ");
    EXPECT_EQ(above->markY, 280);
    EXPECT_EQ(below->markY, 320);
}

TEST(TrapeziumReadout, PositionsOutsideTheGridAreSkipped) {
    TrapeziumInput input;
    input.spacing = 7;
    const TrapeziumModel m = computeTrapeziumModel(input);
    EXPECT_FALSE(readPointer(m, 0, 300, 600, 600));
    EXPECT_FALSE(readPointer(m, 300, 0, 600, 600));
    EXPECT_TRUE(readPointer(m, 599, 599, 600, 600));
    EXPECT_FALSE(readPointer(TrapeziumModel{}, 300, 300, 600, 600));
}

TEST(TrapeziumReadout, MarkAndTextsGoOntoTheCanvas) {
    const TrapeziumModel m = computeTrapeziumModel(TrapeziumInput{});
    const auto r = readPointer(m, 340, 300, 600, 600);
    ASSERT_TRUE(r);
    Bitmap image(600, 600);
    std::vector<std::string> texts;
    Canvas canvas(image,
                  [&](Bitmap&, int x, int y, const std::string& t, Rgb c, std::optional<Rgb> back) {
                      EXPECT_EQ(c, kWhite);
                      EXPECT_EQ(back, kBlack);
                      texts.push_back(std::to_string(x) + "," + std::to_string(y) + " " + t);
                  });
    drawReadout(canvas, *r, 5);
    EXPECT_EQ(at(image, 340, 300), (Rgb{255, 0, 0}));
    EXPECT_EQ(at(image, 335, 300), kWhite);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "347,290 " + r->valueText);
    EXPECT_EQ(texts[1], "347,302 " + r->ratioText);
}
