#include "signal_cleanup.h"

#include <csignal>
#include <unistd.h>

namespace {

// Made before the handlers are installed and never changed after: the handler only reads them.
std::vector<std::string> removed;

void removeAndDie(int signal)
{
    for (const std::string &path : removed)
        ::unlink(path.c_str());
    // SA_RESETHAND restored the default action; it ends the process once this handler returns.
    ::raise(signal);
}

} // namespace

void removeOnSignal(const std::vector<std::string> &paths)
{
    for (const std::string &path : paths)
        if (!path.empty())
            removed.push_back(path);
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        if (::sigaction(signal, nullptr, &action) != 0 || action.sa_handler == SIG_IGN)
            continue;
        action.sa_handler = removeAndDie;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}
