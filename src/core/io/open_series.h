// Opening files into a new document: the dispatcher by the open dialog's filter index, the
// BMP series loader, and the steps every open ends with.
#pragma once

#include "document/image_document.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fringel {

// The open dialog's filter list; its 1-based entry index chooses what an open does.
inline constexpr const char* kOpenFilter = "Bitmapy *.bmp|*.bmp|Data *.mdt|*.mdt|Formated Text "
                                           "*.dat|*.dat|TIFF *.tif|*.tif;*.tiff|RAW *.cr2|*.cr2";
enum OpenFilterIndex : std::int32_t {
    kOpenBmpSeries = 1,
    kOpenProject = 2,
    kOpenFormattedText = 3,
    kOpenPictureSeries = 4,
    kOpenCameraRaw = 5,
};

// What an open does to the window around the document. The GUI implements it with the
// document window and the main window's controls; the command line with no-ops.
class OpenWindow {
public:
    virtual ~OpenWindow() = default;
    // Number of open document windows, the new one included.
    virtual int documentWindowCount() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // Sizes the document window for a loaded picture of this size.
    virtual void sizeForPicture(std::int32_t width, std::int32_t height) = 0;
    // Selects a page of the tool tabs (0 "Energy Calc.", 1 "Connecting").
    virtual void selectPage(int page) = 0;
    // The steps every open ends with: navigation range and position, control groups, and the
    // exposure-time selector's maximum (see finishingState).
    virtual void finishOpen(ImageDocument& document) = 0;
};

// An OpenWindow that does nothing (command line, tests of the core path).
class NoOpenWindow : public OpenWindow {
public:
    int documentWindowCount() const override { return 1; }
    void setCaption(const std::string&) override {}
    void sizeForPicture(std::int32_t, std::int32_t) override {}
    void selectPage(int) override {}
    void finishOpen(ImageDocument&) override {}
};

// The values the finishing steps put into the main window's controls.
struct FinishingState {
    bool navigationRange = false;  // false when the document has no layers: range steps skipped
    std::int32_t layerMaximum = 0; // last layer index
    std::int32_t layerPosition = 0;
    bool connecting = false;
    bool measurement = false;
    bool filters = false;
    bool saving = false;
    bool navigation = false;
    std::int32_t timeDownMaximum =
        18; // highest first-exposure index that keeps the series in the table
};
FinishingState finishingState(const ImageDocument& document);

// The open dispatcher: works on `document` (just created) by the filter index: 1 a BMP
// series, 2 a project, 4 a series of other picture formats, 5 a camera raw file converted
// into temp.bmp; 3 and unknown indexes show a message. Every branch ends with the finishing
// steps. File errors propagate.
void openFiles(ImageDocument& document, OpenWindow& window, const std::vector<std::string>& files,
               std::int32_t filterIndex, const std::string& fileName);

// Loads a BMP series into the document's exposure buffer in name order (no showing, no
// finishing steps). A missing first file leaves empty bitmaps; a later file that is missing or
// unreadable raises FileError, keeping what was read before it.
void loadBmpSeries(ImageDocument& document, OpenWindow& window,
                   const std::vector<std::string>& files);

// The same for pictures of the registered formats (TIFF, PNG, JPEG, ...; image/picture_formats.h),
// each decoded by the format its extension names.
void loadPictureSeries(ImageDocument& document, OpenWindow& window,
                       const std::vector<std::string>& files);

// How a series is read into a buffer already made for it: the caption with or without the
// window count, whether the window is sized for the first picture, and the log line for a
// picture whose size differs from the first.
struct SeriesSteps {
    bool captionWithWindowCount;
    bool sizeWindow;
    const char* mismatchLine;
};
using ExposureReader = std::function<Bitmap(const std::string&)>;
// Reads files[i] into bufferBitmaps[i] (fileNames already set): nothing when the first file
// does not exist; the reader's FileError ends it at a file that cannot be read.
void readSeriesInto(ImageDocument& document, OpenWindow& window,
                    const std::vector<std::string>& files, const ExposureReader& read,
                    const SeriesSteps& steps);

// Shows exposure 0 of a loaded series: current layer 0, `loaded` set, "Connecting" page.
void showLoadedSeries(ImageDocument& document, OpenWindow& window);

} // namespace fringel
