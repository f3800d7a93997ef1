#pragma once
#include <functional>

namespace bench {

// Runs a benchmark that drives the program's windows: headless, message
// boxes answered by script, settings and trash in a throw-away home.
int runWithWindows(int argc, char **argv, const std::function<int()> &run);

} // namespace bench
