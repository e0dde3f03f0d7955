#pragma once
// A process locale whose decimal point is a comma, for the tests that show the formatter and the
// scanner ignore the locale. An installed one (de_DE, fr_FR, ...) is used when there is one;
// otherwise one is compiled with localedef into a temporary folder reached through LOCPATH.
// Everything is undone by the destructor.

#include <locale.h>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace test_support {

class CommaLocale {
public:
    CommaLocale() {
        const char* saved = std::setlocale(LC_NUMERIC, nullptr);
        saved_ = saved ? saved : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                                 "nl_NL.UTF-8", "ru_RU.UTF-8"}) {
            if (try_locale(name)) return;
        }
        build_locale();
    }
    ~CommaLocale() {
        if (thread_previous_) uselocale(thread_previous_);
        if (thread_locale_) freelocale(thread_locale_);
        std::setlocale(LC_NUMERIC, saved_.c_str());
        if (!folder_.empty()) {
            unsetenv("LOCPATH");
            std::error_code ec;
            std::filesystem::remove_all(folder_, ec);
        }
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool active() const { return !name_.empty(); }

    // Also makes the locale this thread's own (uselocale), until destruction.
    void use_for_thread() {
        if (!active() || thread_locale_) return;
        // A copy of the global locale (which has the comma): newlocale by name would read LOCPATH
        // again, and glibc leaks that path list.
        thread_locale_ = duplocale(LC_GLOBAL_LOCALE);
        if (thread_locale_) thread_previous_ = uselocale(thread_locale_);
    }

private:
    bool try_locale(const char* name) {
        if (std::setlocale(LC_NUMERIC, name) == nullptr) return false;
        const lconv* conv = std::localeconv();
        if (conv && std::string(conv->decimal_point) == ",") {
            name_ = name;
            return true;
        }
        std::setlocale(LC_NUMERIC, saved_.c_str());
        return false;
    }

    void build_locale() {
        std::error_code ec;
        const auto base = std::filesystem::temp_directory_path(ec);
        if (ec) return;
        char templ[] = "tamrel-locale-XXXXXX";
        std::string pattern = (base / templ).string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        folder_ = pattern;
        const std::string command =
            "localedef -c -i de_DE -f UTF-8 '" + folder_ + "/de_DE.UTF-8' >/dev/null 2>&1";
        (void)std::system(command.c_str());
        setenv("LOCPATH", folder_.c_str(), 1);
        if (!try_locale("de_DE.UTF-8")) name_.clear();
    }

    std::string saved_;
    std::string name_;
    std::string folder_;
    locale_t thread_locale_ = nullptr;
    locale_t thread_previous_ = nullptr;
};

}  // namespace test_support
