#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "motor/port.h"
#include "motor/port_error.h"
#include "motor/port_windows.h"

namespace stepdial {
// Names the cases run under each search after it.
inline void PrintTo(LibrarySearch search, std::ostream* os) {
    *os << (search == LibrarySearch::DefaultDirectories ? "DefaultDirectories" : "FullPaths");
}
}  // namespace stepdial

namespace stepdial::testing {

// Every search finds the library in the same places; FullPaths is the one of Windows 7
// without update KB2533623.
inline const auto kEverySearch = ::testing::Values(LibrarySearch::DefaultDirectories, LibrarySearch::FullPaths);

// The port library of this build's bitness, and the words its messages use for it.
#ifdef _WIN64
inline constexpr wchar_t kPortLibrary[] = L"inpoutx64.dll";
inline const std::string kPortLibraryName = "inpoutx64.dll";
inline const std::string kBitness = "64-bit";
#else
inline constexpr wchar_t kPortLibrary[] = L"inpout32.dll";
inline const std::string kPortLibraryName = "inpout32.dll";
inline const std::string kBitness = "32-bit";
#endif

// True when the port library is mapped into this process.
inline bool PortLibraryLoaded() { return ::GetModuleHandleW(kPortLibrary) != nullptr; }

// The folder this test program was started from, where the loader looks first.
inline std::filesystem::path ProgramFolder() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return std::filesystem::path(path).parent_path();
}

// Where the stand-in port library writes what it receives. The stand-in reads the path
// from this process's environment at every call.
class PortRecord {
public:
    explicit PortRecord(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                (name + "-" + std::to_string(::GetCurrentProcessId()) + ".txt")) {
        std::filesystem::remove(path_);
        ::SetEnvironmentVariableW(L"STEPDIAL_TEST_PORT_RECORD", path_.wstring().c_str());
    }
    ~PortRecord() {
        ::SetEnvironmentVariableW(L"STEPDIAL_TEST_PORT_RECORD", nullptr);
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }

    bool Exists() const { return std::filesystem::exists(path_); }

    // Every Out32 call as (first argument, second argument), in the order of the calls.
    std::vector<std::pair<int, int>> Calls() const {
        std::vector<std::pair<int, int>> calls;
        std::ifstream in(path_);
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            int first, second;
            if (fields >> first >> second) calls.emplace_back(first, second);
        }
        return calls;
    }

private:
    std::filesystem::path path_;
};

// The PortError that the port's first write throws, or a failed test if none comes.
inline PortError FirstWriteError(Port& port) {
    try {
        port.Write(888, 0);
    } catch (const PortError& e) {
        return e;
    }
    ADD_FAILURE() << "the first write did not throw PortError";
    return PortError({}, 888, "", "", "");
}

inline void ExpectMentions(const std::string& message, std::initializer_list<std::string> parts) {
    for (const auto& part : parts)
        EXPECT_NE(message.find(part), std::string::npos) << "missing \"" << part << "\" in: " << message;
}

inline std::string Utf8(const std::filesystem::path& path) {
    const auto text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace stepdial::testing
