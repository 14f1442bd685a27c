// The error types of Fringel. Every command that fails raises one of these; the window's
// top-level handler shows the message and the program goes on.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace fringel {

// Base of every error the program raises itself.
class FringelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An index outside a checked array (an empty array included).
class DynArrayOutOfRange : public FringelError {
public:
    DynArrayOutOfRange(std::int64_t index, std::int64_t length);
    std::int64_t index() const { return index_; }
    std::int64_t length() const { return length_; }

private:
    std::int64_t index_;
    std::int64_t length_;
};

// A text that does not convert to the number a command asked for.
class ConversionError : public FringelError {
public:
    ConversionError(std::string text, const std::string& kind);
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// A division by zero, an overflow or an invalid floating-point operation that the program
// refuses to turn into an infinity or a not-a-number value.
class ArithmeticError : public FringelError {
public:
    using FringelError::FringelError;
};

// A file that cannot be opened, read, written or understood.
class FileError : public FringelError {
public:
    FileError(std::string fileName, const std::string& reason);
    const std::string& fileName() const { return fileName_; }
    const std::string& reason() const { return reason_; }

private:
    std::string fileName_;
    std::string reason_;
};

} // namespace fringel
