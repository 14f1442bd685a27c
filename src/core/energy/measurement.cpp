#include "energy/measurement.h"

#include "base/number_text.h"
#include "energy/marks.h"
#include "energy/reports.h"

#include <limits>

namespace fringel {

void readParameters(funFindSum& record, const MeasurementInput& input) {
    const auto take = [](const std::string& text, std::int32_t& field) {
        if (const auto value = checkedInt(text)) field = *value;
    };
    take(input.startX, record.peakX);
    take(input.startY, record.peakY);
    record.range = input.range;
    take(input.innerRadius, record.innerRadius);
    take(input.outerRadius, record.outerRadius);
    record.diodeSize = input.diodeSize;
}

std::optional<MeasurementResult> runMeasurement(ImageDocument& document,
                                                const MeasurementInput& input,
                                                MeasurementView& view, const TextPainter& text) {
    Host& host = document.host();
    EnergyFile energyFile(host, input.reportFolder);
    funFindSum record;
    readParameters(record, input);
    record.maxEnergy = document.maxEnergy;
    record.maxDiodeReading = document.maxDiodeReading;

    const std::int32_t layer = document.currentLayer;
    const Plane& plane = document.planes[layer][0];
    if (!findPeak(record, plane, input.method, input.fineTuning, host,
                  [&](std::int32_t range) { view.rangeClamped(range); })) {
        host.showMessage(kNothingFoundMessage);
        return std::nullopt;
    }

    // Marks are drawn in colour, also over a layer bitmap of another depth.
    if (document.shownPicture.format() != PixelFormat::Bgr24)
        document.shownPicture = toBgr24(document.shownPicture);
    Canvas canvas(document.shownPicture, text);
    drawSearchMarks(record, canvas, *document.bitmaps[layer]);
    document.pictureChanged();
    host.processEvents();

    if (!input.freezeRadius) {
        findRadii(record, plane, input.method, static_cast<float>(input.cutLevel), host);
        view.radiiFound(record.outerRadius, record.innerRadius);
    }
    document.innerRadius = record.innerRadius;
    document.outerRadius = record.outerRadius;
    drawRadiusMarks(record, canvas);

    const EnergySums sums = sumEnergy(record, plane, host);
    record.energy = sums.energy;
    view.energyShown(formatGeneral(record.energy));
    // Without an inner sum the percentage is undefined.
    view.noiseShown(formatGeneral(
        sums.noisePercent ? *sums.noisePercent : std::numeric_limits<double>::quiet_NaN(), 5));

    readDiode(record, plane,
              [&](std::int32_t x, std::int32_t y) { canvas.setPixel(x, y, kDiodeSquareColor); });
    const std::string diodeText = formatGeneral(record.diodeReading);
    view.diodeShown(diodeText);

    drawEnergyLabels(record, canvas, diodeText);
    canvas.setPenColor(kProfileColor);
    writeCrossSections(record, plane, input.reportFolder, host,
                       [&](std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
                           canvas.moveTo(x1, y1);
                           canvas.lineTo(x2, y2);
                       });
    document.pictureChanged();
    view.peakShown(record.peakX, record.peakY);
    if (input.autoCalculate) energyFile.writeResult(record.peakX, record.peakY, record.energy);

    document.peakX = record.peakX;
    document.peakY = record.peakY;
    document.range = record.range;
    document.diodeSize = record.diodeSize;
    document.energy = record.energy;
    document.energyNoise = record.energyNoise;
    document.diodeReading = record.diodeReading;
    energyFile.close();
    return MeasurementResult{record, sums.noisePercent};
}

} // namespace fringel
