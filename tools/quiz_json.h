// The quiz a set of stored packages gives, as zorbe-tool prints it.
#pragma once

#include <cstdint>
#include <string>

// Runs the content loader on the link block (70 bytes) and on the
// resources installed in the table, with message boxes recorded instead of
// shown, and returns the loaded state as one JSON object (texts in UTF-8).
std::string loadedQuizJson(const uint8_t* linkBlock);
