#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace stepdial::testing {

// Switches the C library to a locale whose decimal separator is a comma for as long as
// it lives: an installed one, or else one built for the test from the system's locale
// sources (the locales package). Active() tells whether one could be had.
class CommaLocale {
public:
    CommaLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de-DE", "German_Germany.1252"}) {
            if (std::setlocale(LC_ALL, name)) {
                Check();
                return;
            }
        }
#ifndef _WIN32
        scratch_ = std::filesystem::temp_directory_path() / ("stepdial-locale-" + std::to_string(::getpid()));
        std::filesystem::create_directories(scratch_);
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + (scratch_ / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return;
        ::setenv("LOCPATH", scratch_.c_str(), 1);
        if (std::setlocale(LC_ALL, "de_DE.UTF-8")) Check();
#endif
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, saved_.c_str());
#ifndef _WIN32
        if (!scratch_.empty()) {
            ::unsetenv("LOCPATH");
            std::filesystem::remove_all(scratch_);
        }
#endif
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool Active() const { return active_; }

private:
    void Check() { active_ = std::string(std::localeconv()->decimal_point) == ","; }

    std::string saved_;
    std::filesystem::path scratch_;
    bool active_ = false;
};

}  // namespace stepdial::testing
