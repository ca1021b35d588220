#pragma once

namespace stepdial::win32 {

// A program of the Windows subsystem gets no console: started from a command prompt,
// standard error goes nowhere. When it has not been redirected, this sends it to the
// console of the process that started the program, if there is one, so the core's
// "stepdial: ..." line reaches the operator's prompt and scripts.
void SendErrorsToParentConsole();

}  // namespace stepdial::win32
