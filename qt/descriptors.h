#pragma once

namespace stepdial::qt {

// Descriptors 0, 1 and 2 open, each closed one on /dev/null. A program started with one
// closed (2>&-, as some launchers and service managers do) hands that number to the next
// file it opens, the display's connection among them: its failure line and Qt's warnings
// would go into the X protocol stream, and the program would wait for ever on an answer.
void OpenStandardDescriptors();

// How many descriptors this process could still open under its limit, counted up to
// `wanted`: the numbers below the limit that no file holds.
int FreeDescriptors(int wanted);

}  // namespace stepdial::qt
