// The two report files of a measurement, in plain text with tabs, CR LF line ends and "%g"
// numbers with a point whatever the locale:
// - "energy.txt": emptied when a measurement starts; one line "x<TAB>y<TAB>E" with
//   "Auto Calculate";
// - "Peak@(x,y).txt": the horizontal and vertical cross sections through the peak.
#pragma once

#include "base/host.h"
#include "document/planes.h"
#include "energy/fun_find_sum.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace fringel {

// "energy.txt" in `folder`, open for the length of one measurement. Opening empties it. A file
// that cannot be written is logged and the measurement goes on without it.
class EnergyFile {
public:
    EnergyFile(Host& host, const std::string& folder);
    ~EnergyFile();
    EnergyFile(const EnergyFile&) = delete;
    EnergyFile& operator=(const EnergyFile&) = delete;

    // The result line: peak x, tab, peak y, tab, energy, CR LF.
    void writeResult(std::int32_t x, std::int32_t y, float energy);
    void close();

    static std::string resultLine(std::int32_t x, std::int32_t y, float energy);

private:
    Host& host_;
    std::string path_;
    std::FILE* file_ = nullptr;
};

// The name of the cross-section file of a peak: "Peak@(x,y).txt".
std::string crossSectionFileName(std::int32_t x, std::int32_t y);

// Draws one segment of a profile: a line from (x1, y1) to (x2, y2), end pixel excluded.
using ProfileSegment = std::function<void(std::int32_t, std::int32_t, std::int32_t, std::int32_t)>;

// Writes "Peak@(x,y).txt" into `folder`: the header lines, then for i = -R..R the line
// "i<TAB>value at (x+i, y)<TAB>value at (x, y+i)", and plots the two profiles through
// `segment` (the horizontal one above the outer circle, the vertical one left of it, the peak
// 50 pixels high). A read outside the plane raises DynArrayOutOfRange; the lines written so far
// stay in the file. With a peak value of 0 the profiles have no scale and are not plotted.
void writeCrossSections(const funFindSum& record, const Plane& plane, const std::string& folder,
                        Host& host, const ProfileSegment& segment = {});

} // namespace fringel
