#pragma once

#include <memory>

#include "motor/port.h"

namespace stepdial {

// How the Windows backend finds the port library: in the program's folder, then in
// System32, never in the current directory or on PATH. The loader can be told so
// (LOAD_LIBRARY_SEARCH_DEFAULT_DIRS) only where Windows has SetDefaultDllDirectories,
// which Windows 7 gets with update KB2533623; without it the loader refuses that flag
// with error 87, and each folder's copy is loaded by its full path instead.
enum class LibrarySearch { DefaultDirectories, FullPaths };

// The search this Windows supports.
LibrarySearch SupportedLibrarySearch();

// The port at 888 through the port library, found by `search`.
std::unique_ptr<Port> MakeWindowsPort(LibrarySearch search);

}  // namespace stepdial
