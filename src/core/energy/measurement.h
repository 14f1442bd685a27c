// One energy measurement on a document, step by step: search, marks, radii, energy, diode,
// labels, cross sections, report lines, and the results stored in the document.
#pragma once

#include "document/image_document.h"
#include "energy/fun_find_sum.h"
#include "image/canvas.h"

#include <cstdint>
#include <optional>
#include <string>

namespace fringel {

// What the "Energy Calc." tab holds when a measurement starts.
struct MeasurementInput {
    std::string startX = "0"; // the texts of ex, ey, Ecor and ERcor
    std::string startY = "0";
    std::string innerRadius = "0";
    std::string outerRadius = "0";
    std::int32_t range = 25;     // value of SERange
    std::int32_t diodeSize = 10; // value of CSDiodeSize
    int method = kFineMethod;    // item index of RG1
    int fineTuning = 20;         // position of scroolCut
    int cutLevel = 20;           // position of ScrollBar2, in tenths of a percent
    bool freezeRadius = false;
    bool autoCalculate = false;
    std::string reportFolder; // where energy.txt and the cross sections go ("" = here)
};

// Where a measurement shows its results while it runs (the tab's boxes, or nothing).
class MeasurementView {
public:
    virtual ~MeasurementView() = default;
    virtual void rangeClamped(std::int32_t range) = 0;
    // The radius boxes: R, then r.
    virtual void radiiFound(std::int32_t outer, std::int32_t inner) = 0;
    virtual void energyShown(const std::string& text) = 0;
    virtual void noiseShown(const std::string& text) = 0;
    virtual void diodeShown(const std::string& text) = 0;
    virtual void peakShown(std::int32_t x, std::int32_t y) = 0;
};

class SilentMeasurementView : public MeasurementView {
public:
    void rangeClamped(std::int32_t) override {}
    void radiiFound(std::int32_t, std::int32_t) override {}
    void energyShown(const std::string&) override {}
    void noiseShown(const std::string&) override {}
    void diodeShown(const std::string&) override {}
    void peakShown(std::int32_t, std::int32_t) override {}
};

// The start-point and radius fields of the record from the tab's texts: a text that fails the
// numeric check leaves its field as it was; one with a comma raises a conversion error.
void readParameters(funFindSum& record, const MeasurementInput& input);

// What a measurement found.
struct MeasurementResult {
    funFindSum record;
    std::optional<double> noisePercent; // ring energy in percent of the inner sum, if defined
};

// Measures on channel 0 of the current layer and draws onto the document's shown picture
// (texts through `text`). Returns the result, or nothing when the search found nothing (after
// the message "Zbyt blisko brzegu lub nic nie znaleziono"). Plane reads outside the layer
// raise DynArrayOutOfRange and end the measurement at that step.
std::optional<MeasurementResult> runMeasurement(ImageDocument& document,
                                                const MeasurementInput& input,
                                                MeasurementView& view,
                                                const TextPainter& text = {});

} // namespace fringel
