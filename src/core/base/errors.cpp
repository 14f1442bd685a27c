#include "base/errors.h"

namespace fringel {

DynArrayOutOfRange::DynArrayOutOfRange(std::int64_t index, std::int64_t length)
    : FringelError("Index " + std::to_string(index) + " is out of range (array length " +
                   std::to_string(length) + ")"),
      index_(index), length_(length) {}

ConversionError::ConversionError(std::string text, const std::string& kind)
    : FringelError("'" + text + "' is not a valid " + kind + " value"), text_(std::move(text)) {}

FileError::FileError(std::string fileName, const std::string& reason)
    : FringelError("Cannot use file \"" + fileName + "\": " + reason),
      fileName_(std::move(fileName)), reason_(reason) {}

} // namespace fringel
