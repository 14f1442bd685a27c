#include "energy/marks.h"

#include "base/number_text.h"

namespace fringel {

namespace {

struct LabelColumn {
    int x;
    int top;
};

LabelColumn labelColumn(const funFindSum& r) {
    return {r.peakX + r.outerRadius + 5, r.peakY - r.outerRadius};
}

void label(funFindSum& record, Canvas& canvas, int x, int y, std::string text) {
    record.markText = std::move(text);
    canvas.textOut(x, y, record.markText);
}

} // namespace

void drawSearchMarks(funFindSum& record, Canvas& canvas, const Bitmap& layerBitmap) {
    const int x = record.peakX;
    const int y = record.peakY;
    const int rg = record.range;
    canvas.drawBitmap(layerBitmap);
    canvas.setPenColor(kSearchMarkColor);
    canvas.setBrush(std::nullopt);
    canvas.moveTo(x, y - rg);
    canvas.lineTo(x, y + rg);
    canvas.moveTo(x - rg, y);
    canvas.lineTo(x + rg, y);
    canvas.ellipse(x - rg, y - rg, x + rg, y + rg);
}

void drawRadiusMarks(funFindSum& record, Canvas& canvas) {
    const int x = record.peakX;
    const int y = record.peakY;
    const int r = record.innerRadius;
    const int outer = record.outerRadius;
    canvas.setPenColor(kOuterCircleColor);
    canvas.ellipse(x - outer, y - outer, x + outer, y + outer);
    canvas.setPenColor(kInnerCircleColor);
    canvas.ellipse(x - r, y - r, x + r, y + r);
    const LabelColumn column = labelColumn(record);
    canvas.setFontColor(kPositionLabelColor);
    label(record, canvas, column.x, column.top,
          "Position [" + std::to_string(x) + ", " + std::to_string(y) + "]");
    canvas.setFontColor(kRadiusLabelColor);
    label(record, canvas, column.x, column.top + 12, "r = " + std::to_string(r));
    label(record, canvas, column.x, column.top + 24, "R = " + std::to_string(outer));
    canvas.setPenColor(kDiodeSquareColor);
}

void drawEnergyLabels(funFindSum& record, Canvas& canvas, const std::string& diodeText) {
    const LabelColumn column = labelColumn(record);
    int offset = 36;
    const auto next = [&](std::string text) {
        label(record, canvas, column.x, column.top + offset, std::move(text));
        offset += 12;
    };
    canvas.setFontColor(kEnergyLabelColor);
    next("E = " + formatGeneral(record.energy));
    if (record.maxEnergy > 0)
        next("E/Em = " +
             formatGeneral(static_cast<double>(record.energy) / record.maxEnergy * 100, 7) + " %");
    canvas.setFontColor(kDiodeLabelColor);
    next("Ed = " + diodeText);
    if (record.maxDiodeReading > 0)
        next("Ed/Edm = " +
             formatGeneral(static_cast<double>(record.diodeReading) / record.maxDiodeReading * 100,
                           7) +
             " %");
}

} // namespace fringel
