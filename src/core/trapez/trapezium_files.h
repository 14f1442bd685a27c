// The two text files of a trapezium simulation: the report with the parameters and the whole
// grid, and the envelope |R| along the vertical direction at one horizontal order k.
//
// Lines end with CR LF, numbers are "%g" texts with a point. Both files are written to a
// temporary file first and renamed into place, so a failure never leaves half a file.
#pragma once

#include "trapez/trapezium_model.h"

#include <cstdint>
#include <functional>
#include <string>

namespace fringel {

// The report file: the chosen name with ".mts" always appended. Raises FileError.
std::string simulationReportName(const std::string& chosenName);
void writeSimulationReport(const std::string& fileName, const TrapeziumModel& model);

// "k(1)_byStep[0,1].mts": k with 15 and the step with 5 significant digits, comma separator.
std::string envelopeFileName(float k, float step);

// The envelope lines for t = 0, step, 2 step, ... while t <= n (t accumulated as float32).
// Raises FringelError for a step that is not positive or too small to move t forward, and for
// a file of more than kMaxEnvelopeLines lines, before the file is created. `lineDone` runs
// after every line. Returns the number of lines written.
inline constexpr std::int64_t kMaxEnvelopeLines = 10'000'000;
std::int64_t writeEnvelope(const std::string& fileName, const TrapeziumModel& model, float k,
                           float step, const std::function<void()>& lineDone = {});

} // namespace fringel
