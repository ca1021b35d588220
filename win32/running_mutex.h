#pragma once

namespace stepdial::win32 {

// Held by a running stepdial so that its installer and uninstaller can tell and ask for
// it to be closed first: Windows lets them replace the file of a running program's
// folder only in part. In the global namespace, so a stepdial of another user's session
// counts too. The installer's build reads the name from here.
inline constexpr wchar_t kRunningMutex[] = L"Global\\stepdial.running";

}  // namespace stepdial::win32
