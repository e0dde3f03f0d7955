#pragma once
// TextFileWriter: the system's text files (logs, lists, project files) as UTF-16LE with a
// byte-order mark, written the way the Windows text mode writes them: every "\n" in the text
// becomes "\r\n" on disk, so text formatted with "\r\n" ends its lines CR CR LF.
//
// Text is buffered in memory. It reaches the file when the buffer fills, on flush() and on
// close(); each of them returns the error of that write. A new or empty file starts with the
// byte-order mark FF FE (written when the file is opened); appending to a file that already has
// content adds no second mark.
//
// Thread-safety: none; one thread writes, flushes and closes.

#include "platform/fs/file.hpp"
#include "platform/status.hpp"

#include <string>
#include <string_view>

namespace platform {

class TextFileWriter {
public:
    enum class Open {
        create_or_truncate,
        append,
        create_new,  // fails with Errc::exists when the file is already there
    };

    TextFileWriter() = default;
    ~TextFileWriter();
    TextFileWriter(TextFileWriter&&) noexcept = default;
    TextFileWriter& operator=(TextFileWriter&&) noexcept;
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    static Result<TextFileWriter> open(std::string path, Open how = Open::create_or_truncate);

    bool is_open() const { return file_.is_open(); }
    const std::string& path() const { return file_.path(); }

    Status write(std::u16string_view text);
    Status flush();
    // Flushes, then closes; the first failure is returned and the file is closed either way.
    Status close();

private:
    explicit TextFileWriter(File file) : file_(std::move(file)) {}

    File file_;
    std::string pending_;  // UTF-16LE bytes not yet written
};

}  // namespace platform
