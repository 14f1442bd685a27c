#include "energy/reports.h"

#include "base/number_text.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

namespace fringel {

namespace {

std::string inFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

void logFailure(Host& host, const std::string& path) {
    host.log("Cannot write " + path + ": " + std::strerror(errno));
}

} // namespace

EnergyFile::EnergyFile(Host& host, const std::string& folder)
    : host_(host), path_(inFolder(folder, "energy.txt")) {
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) logFailure(host_, path_);
}

EnergyFile::~EnergyFile() {
    close();
}

std::string EnergyFile::resultLine(std::int32_t x, std::int32_t y, float energy) {
    return std::to_string(x) + "\t" + std::to_string(y) + "\t" +
           formatC6(static_cast<double>(energy)) + "\r\n";
}

void EnergyFile::writeResult(std::int32_t x, std::int32_t y, float energy) {
    if (!file_) return;
    const std::string line = resultLine(x, y, energy);
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size()) logFailure(host_, path_);
}

void EnergyFile::close() {
    if (file_ && std::fclose(file_) != 0) logFailure(host_, path_);
    file_ = nullptr;
}

std::string crossSectionFileName(std::int32_t x, std::int32_t y) {
    return "Peak@(" + std::to_string(x) + "," + std::to_string(y) + ").txt";
}

void writeCrossSections(const funFindSum& record, const Plane& plane, const std::string& folder,
                        Host& host, const ProfileSegment& segment) {
    const std::int32_t x = record.peakX;
    const std::int32_t y = record.peakY;
    const std::int64_t r = record.outerRadius;
    const std::string path = inFolder(folder, crossSectionFileName(x, y));
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                               std::fclose);
    if (!file) logFailure(host, path);
    const auto write = [&](const std::string& line) {
        if (file) std::fwrite(line.data(), 1, line.size(), file.get());
    };
    write("Przekroje piku o wspolrzednych (" + std::to_string(x) + "," + std::to_string(y) +
          ")\r\n");
    write("R\tX\tY\r\n");

    const float peak = plane.at(x, y);
    float hPrev = plane.at(x - r - 1, y);
    float vPrev = plane.at(x, y - r - 1);
    const bool plot = segment && peak != 0;
    // A profile point: the base line minus value x 50 / peak, truncated toward zero.
    const auto lift = [peak](std::int64_t base, float value) {
        return static_cast<std::int32_t>(
            std::trunc(static_cast<double>(base) - static_cast<double>(value) * 50.0 / peak));
    };
    for (std::int64_t i = -r; i <= r; ++i) {
        const float h = plane.at(x + i, y);
        const float v = plane.at(x, y + i);
        write(std::to_string(i) + "\t" + formatC6(h) + "\t" + formatC6(v) + "\r\n");
        if (plot) {
            segment(static_cast<std::int32_t>(x + i - 1), lift(y - r, hPrev),
                    static_cast<std::int32_t>(x + i), lift(y - r, h));
            segment(lift(x - r, vPrev), static_cast<std::int32_t>(y + i - 1), lift(x - r, v),
                    static_cast<std::int32_t>(y + i));
        }
        hPrev = h;
        vPrev = v;
    }
}

} // namespace fringel
