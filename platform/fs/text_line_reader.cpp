#include "platform/fs/text_line_reader.hpp"

#include "platform/fs/fs_error.hpp"

#include <utility>

namespace platform {

namespace {

constexpr std::size_t read_chunk = 16 * 1024;
// Up to two CRs before an LF belong to the line end, so a piece may only be cut once more than
// max_piece + 2 units are known: only then is the line certainly longer than max_piece.
constexpr std::size_t cut_when_longer_than = TextLineReader::max_piece + 2;

bool is_high_surrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool is_low_surrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

Result<TextLineReader> TextLineReader::open(std::string path) {
    auto file = File::open(std::move(path), FileMode::read);
    if (!file) return file.status();
    return TextLineReader(std::move(*file));
}

Status TextLineReader::refill() {
    // Keeps an odd byte left over from the previous chunk: it is the first half of a unit.
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(next_byte_));
    next_byte_ = 0;
    const std::size_t kept = bytes_.size();
    bytes_.resize(kept + read_chunk);
    auto n = file_.read(bytes_.data() + kept, read_chunk);
    if (!n) {
        bytes_.resize(kept);
        return n.status();
    }
    bytes_.resize(kept + *n);
    if (*n == 0) file_ended_ = true;
    return ok_status();
}

Result<std::optional<char16_t>> TextLineReader::next_unit() {
    while (bytes_.size() - next_byte_ < 2 && !file_ended_) {
        if (Status s = refill(); !s) return s;
    }
    if (!bom_checked_) {
        bom_checked_ = true;
        if (bytes_.size() - next_byte_ >= 2 && bytes_[next_byte_] == 0xFF && bytes_[next_byte_ + 1] == 0xFE) {
            next_byte_ += 2;
            return next_unit();
        }
    }
    const std::size_t left = bytes_.size() - next_byte_;
    if (left == 0) return std::optional<char16_t>{};
    if (left == 1) {
        ++next_byte_;
        return std::optional<char16_t>{u'\uFFFD'};
    }
    const auto unit = static_cast<char16_t>(bytes_[next_byte_] | (bytes_[next_byte_ + 1] << 8));
    next_byte_ += 2;
    return std::optional<char16_t>{unit};
}

std::u16string TextLineReader::take_piece() {
    std::size_t n = max_piece;
    if (is_high_surrogate(line_[n - 1]) && is_low_surrogate(line_[n])) --n;
    std::u16string piece = line_.substr(0, n);
    line_.erase(0, n);
    return piece;
}

Result<std::optional<std::u16string>> TextLineReader::next_line() {
    if (!file_.is_open())
        return fs_detail::path_status(Errc::closed, "read line", file_.path(), "file is not open");
    for (;;) {
        if (line_ended_) {
            if (line_.size() > max_piece) return std::optional<std::u16string>{take_piece()};
            line_ended_ = false;
            return std::optional<std::u16string>{std::exchange(line_, {})};
        }
        if (line_.size() > cut_when_longer_than) return std::optional<std::u16string>{take_piece()};
        auto unit = next_unit();
        if (!unit) return unit.status();
        if (!unit->has_value()) {
            // A piece cut from a line always leaves units behind, so an empty line_ here means
            // nothing of a line is pending.
            if (line_.empty()) return std::optional<std::u16string>{};
            line_ended_ = true;
            continue;
        }
        const char16_t u = **unit;
        if (u == u'\n') {
            for (int i = 0; i < 2 && !line_.empty() && line_.back() == u'\r'; ++i) line_.pop_back();
            line_ended_ = true;
            continue;
        }
        line_.push_back(u);
    }
}

Status TextLineReader::close() {
    if (!file_.is_open())
        return fs_detail::path_status(Errc::closed, "close", file_.path(), "file is not open");
    return file_.close();
}

}  // namespace platform
