#include "base/errors.h"
#include "core/bmp_fixtures.h"
#include "core/recording_host.h"
#include "energy/marks.h"
#include "energy/measurement.h"
#include "energy/reports.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace fringel;
using fringel::test::RecordingHost;
using fringel::test::TempFolder;

namespace {

struct Label {
    int x, y;
    std::string text;
    Rgb color;
    bool operator==(const Label&) const = default;
};

TextPainter recordTo(std::vector<Label>& labels) {
    return [&labels](Bitmap&, int x, int y, const std::string& t, Rgb c, std::optional<Rgb>) {
        labels.push_back({x, y, t, c});
    };
}

class RecordingView : public MeasurementView {
public:
    std::vector<std::string> calls;
    void rangeClamped(std::int32_t r) override { calls.push_back("range " + std::to_string(r)); }
    void radiiFound(std::int32_t outer, std::int32_t inner) override {
        calls.push_back("radii " + std::to_string(outer) + " " + std::to_string(inner));
    }
    void energyShown(const std::string& t) override { calls.push_back("energy " + t); }
    void noiseShown(const std::string& t) override { calls.push_back("noise " + t); }
    void diodeShown(const std::string& t) override { calls.push_back("diode " + t); }
    void peakShown(std::int32_t x, std::int32_t y) override {
        calls.push_back("peak " + std::to_string(x) + " " + std::to_string(y));
    }
};

// A document with one connected layer: a cone of height 100 at (60, 50) on 120 x 100.
void makeConeDocument(ImageDocument& doc) {
    doc.resizePlanes(1, 1, 120, 100);
    Plane& p = doc.planes[0][0];
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 120; ++x)
            p.at(x, y) =
                static_cast<float>(std::max(0.0, 100.0 - 5.0 * std::hypot(x - 60, y - 50)));
    doc.growByOneLayer();
    doc.bitmaps[0]->reset(120, 100, PixelFormat::Bgr24);
    doc.currentLayer = 0;
    doc.showBitmap(*doc.bitmaps[0]);
}

} // namespace

TEST(MeasurementMarks, LabelsFollowTheOuterCircleTwelvePixelsALine) {
    Bitmap picture(400, 300);
    std::vector<Label> labels;
    Canvas canvas(picture, recordTo(labels));
    funFindSum r;
    r.peakX = 200;
    r.peakY = 150;
    r.innerRadius = 10;
    r.outerRadius = 14;
    r.energy = 532;
    drawRadiusMarks(r, canvas);
    drawEnergyLabels(r, canvas, "7,5");
    EXPECT_EQ(labels, (std::vector<Label>{{219, 136, "Position [200, 150]", kPositionLabelColor},
                                          {219, 148, "r = 10", kRadiusLabelColor},
                                          {219, 160, "R = 14", kRadiusLabelColor},
                                          {219, 172, "E = 532", kEnergyLabelColor},
                                          {219, 184, "Ed = 7,5", kDiodeLabelColor}}));
    EXPECT_EQ(r.markText, "Ed = 7,5");
    // The circles: outer in green, inner in blue.
    EXPECT_EQ(canvas.pixel(186, 150), kOuterCircleColor);
    EXPECT_EQ(canvas.pixel(190, 150), kInnerCircleColor);

    labels.clear();
    r.maxEnergy = 1064;
    r.diodeReading = 3;
    r.maxDiodeReading = 4;
    drawEnergyLabels(r, canvas, "3");
    EXPECT_EQ(labels, (std::vector<Label>{{219, 172, "E = 532", kEnergyLabelColor},
                                          {219, 184, "E/Em = 50 %", kEnergyLabelColor},
                                          {219, 196, "Ed = 3", kDiodeLabelColor},
                                          {219, 208, "Ed/Edm = 75 %", kDiodeLabelColor}}));
}

TEST(RunMeasurement, MeasuresTheConeAndStoresAndReportsTheResult) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    makeConeDocument(doc);
    MeasurementInput input;
    input.startX = "57";
    input.startY = "48";
    input.autoCalculate = true;
    input.reportFolder = folder.file("");
    RecordingView view;
    std::vector<Label> labels;
    const auto result = runMeasurement(doc, input, view, recordTo(labels));
    ASSERT_TRUE(result);
    const funFindSum* record = &result->record;
    EXPECT_EQ(record->peakX, 60);
    EXPECT_EQ(record->peakY, 50);
    EXPECT_EQ(doc.peakX, 60);
    EXPECT_EQ(doc.energy, record->energy);
    EXPECT_EQ(doc.innerRadius, record->innerRadius);
    EXPECT_GT(record->innerRadius, 0);
    ASSERT_GE(view.calls.size(), 6u);
    EXPECT_EQ(view.calls[0], "range 25");
    EXPECT_EQ(view.calls[1].rfind("radii ", 0), 0u);
    EXPECT_EQ(view.calls.back(), "peak 60 50");
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("energy.txt")),
              EnergyFile::resultLine(60, 50, record->energy));
    EXPECT_TRUE(std::filesystem::exists(folder.file("Peak@(60,50).txt")));
    // The diode square is painted over the peak; the kept layer bitmap stays clean.
    const Canvas shown(doc.shownPicture);
    EXPECT_EQ(shown.pixel(60, 50), kDiodeSquareColor);
    EXPECT_EQ(Canvas(*doc.bitmaps[0]).pixel(60, 50), Rgb{});
    EXPECT_EQ(labels.front().text, "Position [60, 50]");
    EXPECT_TRUE(host.messages.empty());
}

TEST(RunMeasurement, NothingFoundShowsTheMessageAndLeavesEnergyFileEmpty) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    makeConeDocument(doc);
    std::ofstream(folder.file("energy.txt")) << "old";
    MeasurementInput input;
    input.startX = "2"; // the range clamps to 1: nothing qualifies
    input.startY = "48";
    input.autoCalculate = true;
    input.reportFolder = folder.file("");
    SilentMeasurementView view;
    EXPECT_FALSE(runMeasurement(doc, input, view));
    EXPECT_EQ(host.messages, std::vector<std::string>{kNothingFoundMessage});
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("energy.txt")), "");
    EXPECT_EQ(doc.peakX, 100); // the document's start value: nothing stored
}

TEST(RunMeasurement, FrozenRadiiComeFromTheBoxesAndWithoutAutoCalculateNoLineIsWritten) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    makeConeDocument(doc);
    MeasurementInput input;
    input.startX = "60";
    input.startY = "50";
    input.method = -1; // no method: the start is the peak
    input.freezeRadius = true;
    input.innerRadius = "7";
    input.outerRadius = "9";
    input.reportFolder = folder.file("");
    RecordingView view;
    const auto result = runMeasurement(doc, input, view);
    ASSERT_TRUE(result);
    const funFindSum* record = &result->record;
    EXPECT_EQ(record->innerRadius, 7);
    EXPECT_EQ(record->outerRadius, 9);
    for (const std::string& call : view.calls)
        EXPECT_NE(call.rfind("radii", 0), 0u);
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("energy.txt")), "");
}

TEST(ReadParameters, TextsFailingTheCheckLeaveTheFieldAndCommasRaise) {
    funFindSum r;
    r.peakX = 5;
    MeasurementInput input;
    input.startX = "";
    input.startY = "12";
    readParameters(r, input);
    EXPECT_EQ(r.peakX, 5);
    EXPECT_EQ(r.peakY, 12);
    input.startX = "1,5";
    EXPECT_THROW(readParameters(r, input), ConversionError);
}

TEST(RunMeasurement, MarksAreDrawnInColourOverAGreyLayerBitmap) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    makeConeDocument(doc);
    doc.bitmaps[0]->reset(120, 100, PixelFormat::Gray8); // as a project's bitmap file may be
    doc.showBitmap(*doc.bitmaps[0]);
    MeasurementInput input;
    input.startX = "57";
    input.startY = "48";
    input.reportFolder = folder.file("");
    SilentMeasurementView view;
    ASSERT_TRUE(runMeasurement(doc, input, view));
    ASSERT_EQ(doc.shownPicture.format(), PixelFormat::Bgr24);
    EXPECT_EQ(Canvas(doc.shownPicture).pixel(60, 50), kDiodeSquareColor);
}
