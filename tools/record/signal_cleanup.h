// A recording stopped by SIGINT or SIGTERM removes its temporary files, then ends as the signal
// would have ended it, so that its exit status still says what stopped it.
#pragma once

#include <string>
#include <vector>

// Names the files to remove (empty names are skipped) and installs the handlers; call it once,
// before any of the files is made. A signal that was ignored when the run began stays ignored.
void removeOnSignal(const std::vector<std::string> &paths);
