#include "trapez/trapezium_files.h"

#include "base/errors.h"
#include "base/number_text.h"
#include "base/replacing_file.h"

#include <cmath>

namespace fringel {

namespace {

std::string number(double v) {
    return formatC6(v);
}

} // namespace

std::string simulationReportName(const std::string& chosenName) {
    return chosenName + ".mts";
}

void writeSimulationReport(const std::string& fileName, const TrapeziumModel& model) {
    const TrapeziumParameters& p = model.parameters;
    std::string text;
    text += "Wyniki symulacji obrazu dyfrakcyjnego dla tkaniny typu I\r\n";
    text += "\r\n";
    // Windows-1250: 0xB9 is the letter a with ogonek.
    text += "Obliczenia przeprowadzone s\xB9 tylko dla jednej cwiartki\r\n";
    text += "Wartosci parametrow\r\n";
    // The labels are crossed against the window's boxes on purpose: the half-size under "g:"
    // goes with the period under "b0:", the one under "f:" with the period under "a0:".
    text += "g:\t" + number(p.f) + "\r\n";
    text += "f:\t" + number(p.g) + "\r\n";
    text += "a0:\t" + number(p.b0) + "\r\n";
    text += "b0:\t" + number(p.a0) + "\r\n";
    text += "c:\t" + number(p.c) + "\r\n";
    text += "Wyniki symulacji:\r\n";
    // One line per horizontal index q, its columns running over the vertical index p.
    const IntensityGrid& grid = model.intensities;
    const std::int64_t lines = grid.length() > 0 ? grid[0].length() : 0;
    for (std::int64_t q = 0; q < lines; ++q) {
        for (std::int64_t p = 0; p < grid.length(); ++p)
            text += number(grid[p][q]) + "\t";
        text += "\r\n";
    }
    ReplacingFile file(fileName);
    file.write(text);
    file.commit();
}

std::string envelopeFileName(float k, float step) {
    return "k(" + formatGeneral(k, 15) + ")_byStep[" + formatGeneral(step, 5) + "].mts";
}

std::int64_t writeEnvelope(const std::string& fileName, const TrapeziumModel& model, float k,
                           float step, const std::function<void()>& lineDone) {
    if (!(step > 0))
        throw FringelError("The envelope step must be greater than 0 (it is " +
                           formatGeneral(step) + ")");
    const auto n = static_cast<float>(model.orders);
    if (static_cast<double>(n) / step + 1 > static_cast<double>(kMaxEnvelopeLines))
        throw FringelError("The envelope step " + formatGeneral(step) + " would give more than " +
                           std::to_string(kMaxEnvelopeLines) + " lines");
    // A step below half the float32 spacing of t stops t short of n: refuse it before
    // writing anything rather than loop for ever.
    for (float t = 0; t <= n;) {
        const float next = t + step;
        if (next == t)
            throw FringelError("The envelope step " + formatGeneral(step) +
                               " is too small to move past t = " + formatGeneral(t));
        t = next;
    }

    const TrapeziumParameters p = model.parameters;
    const auto ky = waveNumber(p.a0, k);
    ReplacingFile file(fileName);
    std::int64_t lines = 0;
    std::string line;
    for (float t = 0; t <= n; t += step) {
        const auto kx = waveNumber(p.b0, t);
        const double amplitude = std::fabs(trapeziumReal(p, t, k, kx, ky));
        line = number(t) + "\t" + number(amplitude) + "\r\n";
        file.write(line);
        ++lines;
        if (lineDone) lineDone();
    }
    file.commit();
    return lines;
}

} // namespace fringel
