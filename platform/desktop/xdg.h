// The desktop conventions of freedesktop.org that live desktops share: which program opens a
// type of file (xdg-mime and .desktop files), opening addresses (xdg-open), and starting a
// program detached, always with an argument vector and never through a shell.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xdg {

// Splits command-line text into arguments as Windows programs do: blanks separate, double
// quotes group, and backslashes escape only before a quote (2n backslashes and a quote give n
// and open or close a quotation; 2n + 1 give n and a literal quote; "" inside a quotation is a
// literal quote).
std::vector<std::string> splitWindowsCommandLine(std::string_view text);

// The arguments of a .desktop file's Exec value: blanks separate, double quotes group with
// backslash escapes inside them, and the field codes %f %F %u %U (and the deprecated ones) are
// removed; %% is a percent sign.
std::vector<std::string> desktopExecArguments(std::string_view exec);

// The Exec value of the desktop's default application for a MIME type, as
// `xdg-mime query default TYPE` names it; nothing if there is none or xdg-mime is missing.
std::optional<std::string> defaultApplication(const std::string &mimeType);

// Starts argv[0] (looked up in PATH) with the arguments in `directory` (unless empty), detached
// from this process and reaped at once. Returns 0, or the errno of the failure to start it.
int spawnDetached(const std::vector<std::string> &argv, const std::string &directory);

} // namespace xdg
