// The fringel-cli commands. Each reads its options from the arguments after its name and
// returns the exit code; bad usage raises UsageError, processing failures raise errors.
#pragma once

#include "cli_support.h"

namespace fringel::cli {

int connectCommand(Arguments& args);
int medianCommand(Arguments& args);
int measureCommand(Arguments& args);
int simulateCommand(Arguments& args);
int infoCommand(Arguments& args);
int lineCommand(Arguments& args);
int synthCommand(Arguments& args);

// Maps --channel names to the "Connecting" tab's colour order (red 0, green 1, blue 2, rgb 3).
int colorOrderOption(std::string_view text, bool allowRgb);

} // namespace fringel::cli
