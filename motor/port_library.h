#pragma once

namespace stepdial {

// The port library of this build's bitness, as the loader looks for it and as messages
// name it.
#ifdef _WIN64
inline constexpr wchar_t kLibrary[] = L"inpoutx64.dll";
inline constexpr char kLibraryName[] = "inpoutx64.dll";
inline constexpr char kBitness[] = "64-bit";
#else
inline constexpr wchar_t kLibrary[] = L"inpout32.dll";
inline constexpr char kLibraryName[] = "inpout32.dll";
inline constexpr char kBitness[] = "32-bit";
#endif

}  // namespace stepdial
