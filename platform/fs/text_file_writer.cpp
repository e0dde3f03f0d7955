#include "platform/fs/text_file_writer.hpp"

#include "platform/fs/fs_error.hpp"

namespace platform {

namespace {

constexpr std::size_t flush_threshold = 16 * 1024;

void append_unit(std::string& out, char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFFu));
    out.push_back(static_cast<char>((unit >> 8) & 0xFFu));
}

}  // namespace

TextFileWriter::~TextFileWriter() {
    // Nobody is left to hear about a failure; an owner that cares calls close().
    if (file_.is_open()) (void)flush();
}

TextFileWriter& TextFileWriter::operator=(TextFileWriter&& other) noexcept {
    if (this != &other) {
        if (file_.is_open()) (void)flush();
        file_ = std::move(other.file_);
        pending_ = std::move(other.pending_);
    }
    return *this;
}

Result<TextFileWriter> TextFileWriter::open(std::string path, Open how) {
    const FileMode mode = how == Open::append       ? FileMode::append
                          : how == Open::create_new ? FileMode::create_new
                                                    : FileMode::write;
    auto file = File::open(std::move(path), mode);
    if (!file) return file.status();
    auto size = file->size();
    if (!size) return size.status();
    if (*size == 0) {
        static constexpr unsigned char bom[] = {0xFF, 0xFE};
        if (Status s = file->write_all(bom, sizeof bom); !s) return s;
    }
    return TextFileWriter(std::move(*file));
}

Status TextFileWriter::write(std::u16string_view text) {
    if (!file_.is_open())
        return fs_detail::path_status(Errc::closed, "write text", file_.path(), "file is not open");
    for (const char16_t unit : text) {
        if (unit == u'\n') append_unit(pending_, u'\r');
        append_unit(pending_, unit);
    }
    if (pending_.size() >= flush_threshold) return flush();
    return ok_status();
}

Status TextFileWriter::flush() {
    if (!file_.is_open())
        return fs_detail::path_status(Errc::closed, "flush text", file_.path(), "file is not open");
    if (pending_.empty()) return ok_status();
    Status s = file_.write_all(pending_.data(), pending_.size());
    // What could not be written is dropped: retrying the same bytes after a partial write would
    // duplicate the part that did reach the file.
    pending_.clear();
    return s;
}

Status TextFileWriter::close() {
    if (!file_.is_open())
        return fs_detail::path_status(Errc::closed, "close text", file_.path(), "file is not open");
    Status flushed = flush();
    Status closed = file_.close();
    return flushed ? closed : flushed;
}

}  // namespace platform
