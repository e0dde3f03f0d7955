#pragma once
// TextLineReader: reads the system's UTF-16LE text files one line at a time. A leading
// byte-order mark FF FE is skipped; a file without one is read as UTF-16LE all the same.
//
// A line ends at LF, and the CR or CR CR right before it belong to the line end, so CR LF (what
// other programs write), CR CR LF (what TextFileWriter makes of "\r\n") and a lone LF all end a
// line. A last line without a line end is returned too. Lines come without their line end.
//
// A line longer than max_piece units comes in pieces of at most max_piece units, the rest of the
// line as the following pieces, as a reader with a 1024-unit buffer sees it. A piece is cut one
// unit short rather than between the two halves of a surrogate pair. A line of exactly max_piece
// units is one piece (no empty piece after it). A final odd byte reads as U+FFFD.
//
// Thread-safety: none; one thread reads.

#include "platform/fs/file.hpp"
#include "platform/status.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class TextLineReader {
public:
    static constexpr std::size_t max_piece = 1023;

    TextLineReader() = default;
    static Result<TextLineReader> open(std::string path);

    bool is_open() const { return file_.is_open(); }
    const std::string& path() const { return file_.path(); }

    // The next line or piece of a line; an empty optional at the end of the file.
    Result<std::optional<std::u16string>> next_line();
    Status close();

private:
    explicit TextLineReader(File file) : file_(std::move(file)) {}
    // The next UTF-16 unit, or an empty optional at the end of the file.
    Result<std::optional<char16_t>> next_unit();
    Status refill();
    std::u16string take_piece();

    File file_;
    std::vector<unsigned char> bytes_;
    std::size_t next_byte_ = 0;
    bool file_ended_ = false;
    bool bom_checked_ = false;
    std::u16string line_;       // units of the current line not yet returned
    bool line_ended_ = false;  // line_ holds the rest of a line whose end was read
};

}  // namespace platform
