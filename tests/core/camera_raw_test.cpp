#include "core/bmp_fixtures.h"
#include "core/recording_host.h"
#include "io/camera_raw.h"
#include "io/open_series.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace fringel;
using fringel::test::readFileBytes;
using fringel::test::RecordingHost;
using fringel::test::TempFolder;

namespace {

// Stand-ins for the two converters on a PATH of their own, for the life of the test (the
// scripts name the tools they use by their full path, since the PATH holds only them).
class StubConverters {
public:
    explicit StubConverters(const TempFolder& folder) : bin_(folder.file("bin")) {
        std::filesystem::create_directories(bin_);
        oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", bin_.c_str(), 1);
    }
    ~StubConverters() { setenv("PATH", oldPath_.c_str(), 1); }

    void script(const std::string& name, const std::string& body) const {
        const std::string path = bin_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body;
        chmod(path.c_str(), 0755);
    }
    // A decoder that records its arguments (one per line) and writes a tiny pixmap.
    void goodDecoder(const std::string& record) const {
        script("dcraw", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + record +
                            "'\nprintf 'P6\\n1 1\\n255\\n\\001\\002\\003'\n");
    }
    // A converter that checks its input and writes a "BM" file.
    void goodConverter() const {
        script(
            "ppmtobmp",
            "/usr/bin/head -c 2 | /usr/bin/grep -q P6 && /usr/bin/cat >/dev/null; printf BMfake\n");
    }

private:
    std::string bin_;
    std::string oldPath_;
};

// Runs the conversion with `folder` as the place of temp.bmp.
bool convert(RecordingHost& host, const TempFolder& folder, const std::string& raw) {
    return convertCameraRaw(host, raw, folder.file(""));
}

} // namespace

TEST(CameraRaw, AnyFileNameReachesTheDecoderAsOneArgumentAndNothingElseRuns) {
    TempFolder folder;
    StubConverters stubs(folder);
    stubs.goodDecoder(folder.file("args.txt"));
    stubs.goodConverter();
    const std::string raw =
        folder.file("shot 01; touch " + folder.file("pwned") + " $(id) `id` 'q'.cr2");
    RecordingHost host;
    EXPECT_TRUE(convert(host, folder, raw));
    EXPECT_EQ(host.logLines,
              std::vector<std::string>{"dcraw -c " + raw + " | ppmtobmp > temp.bmp"});
    EXPECT_EQ(readFileBytes(folder.file("args.txt")), "-c\n" + raw + "\n");
    EXPECT_EQ(readFileBytes(folder.file("temp.bmp")), "BMfake");
    EXPECT_FALSE(std::filesystem::exists(folder.file("pwned")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("temp.bmp.part")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("temp.bmp.log")));
}

TEST(CameraRaw, FailuresAreLoggedAndAnOlderTempBmpStays) {
    struct Case {
        const char* decoder;   // script body, or nullptr for no decoder at all
        const char* converter; // likewise
        const char* logged;
    };
    const Case cases[] = {
        {nullptr, "/usr/bin/cat\n", "dcraw cannot be started"},
        {"printf 'P6\\n1 1\\n255\\nabc'\n", nullptr, "ppmtobmp cannot be started"},
        {"echo 'Cannot decode file shot.cr2' >&2; exit 1\n", "/usr/bin/cat >/dev/null; printf BM\n",
         "dcraw ended with exit status 1: Cannot decode file shot.cr2"},
        {"printf 'P6\\n1 1\\n255\\nabc'\n", "/usr/bin/cat >/dev/null; exit 3\n",
         "ppmtobmp ended with exit status 3"},
        {"printf 'P6\\n1 1\\n255\\nabc'\n", "/usr/bin/cat\n", "ppmtobmp wrote no BMP picture"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        StubConverters stubs(folder);
        if (c.decoder) stubs.script("dcraw", c.decoder);
        if (c.converter) stubs.script("ppmtobmp", c.converter);
        std::ofstream(folder.file("temp.bmp")) << "older";
        RecordingHost host;
        EXPECT_FALSE(convert(host, folder, folder.file("shot.cr2"))) << c.logged;
        ASSERT_EQ(host.logLines.size(), 2u);
        EXPECT_NE(host.logLines[1].find(c.logged), std::string::npos) << host.logLines[1];
        EXPECT_EQ(readFileBytes(folder.file("temp.bmp")), "older");
        EXPECT_FALSE(std::filesystem::exists(folder.file("temp.bmp.part")));
    }
}

TEST(CameraRaw, TheOpenEntryConvertsOnlyTheFirstFileAndLeavesAnEmptyDocument) {
    TempFolder folder;
    StubConverters stubs(folder);
    stubs.goodDecoder(folder.file("args.txt"));
    stubs.goodConverter();
    const auto start = std::filesystem::current_path();
    std::filesystem::current_path(folder.file(""));
    RecordingHost host;
    ImageDocument doc(host);
    NoOpenWindow window;
    openFiles(doc, window, {folder.file("a.cr2"), folder.file("b.cr2")}, kOpenCameraRaw,
              folder.file("a.cr2"));
    std::filesystem::current_path(start);
    EXPECT_EQ(readFileBytes(folder.file("args.txt")), "-c\n" + folder.file("a.cr2") + "\n");
    EXPECT_TRUE(std::filesystem::exists(folder.file("temp.bmp")));
    EXPECT_EQ(doc.planes.length(), 0);
    EXPECT_EQ(doc.bufferBitmaps.length(), 0);
    EXPECT_FALSE(doc.loaded);
}
