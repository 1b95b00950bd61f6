// The input script of a headless run: "at <ms> key <name>", "at <ms> move <x> <y>",
// "at <ms> click left|right <x> <y> [menu <command>|none]", "at <ms> menu <command>|none"; '#'
// starts a comment.
#include "headless.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <sstream>

namespace headless {

namespace {

std::optional<int> virtualKey(const std::string &name)
{
    if (name == "escape")
        return VK_ESCAPE;
    if (name == "space")
        return 0x20;
    if (name == "enter" || name == "return")
        return VK_RETURN;
    if (name == "up")
        return VK_UP;
    if (name == "down")
        return VK_DOWN;
    if (name == "home")
        return VK_HOME;
    if (name == "end")
        return VK_END;
    if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0])))
        return std::toupper(static_cast<unsigned char>(name[0]));
    if (name.size() == 1 && std::isdigit(static_cast<unsigned char>(name[0])))
        return name[0];
    return std::nullopt;
}

// A word of the script as a message shows it: quoted, shortened, and with every byte that is not
// printable ASCII escaped, so that even a binary file gives one readable line.
std::string quoted(const std::string &word)
{
    constexpr std::size_t kShown = 24;
    std::string out = "'";
    for (std::size_t i = 0; i < word.size() && i < kShown; ++i) {
        unsigned char c = static_cast<unsigned char>(word[i]);
        if (c < 0x20 || c > 0x7E) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + (word.size() > kShown ? "...'" : "'");
}

bool readNumber(std::istringstream &in, long long &value, long long low, long long high)
{
    std::string word;
    if (!(in >> word))
        return false;
    std::size_t used = 0;
    try {
        value = std::stoll(word, &used);
    } catch (...) {
        return false;
    }
    return used == word.size() && value >= low && value <= high;
}

// A menu's answer: a command number or "none".
std::optional<int> readMenuChoice(std::istringstream &in)
{
    std::string choice;
    std::streampos before = in.tellg();
    in >> choice;
    if (choice == "none")
        return 0;
    in.clear();
    in.seekg(before);
    long long command;
    if (!readNumber(in, command, 1, 0xFFFF))
        return std::nullopt;
    return int(command);
}

} // namespace

std::optional<std::vector<InputEvent>> parseInputScript(const std::string &text, std::string &error)
{
    std::vector<InputEvent> events;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream in(line);
        std::string word;
        if (!(in >> word))
            continue;
        auto fail = [&](const std::string &problem) {
            error = "line " + std::to_string(number) + ": " + problem;
            return std::nullopt;
        };
        InputEvent event;
        long long at, x, y;
        if (word != "at" || !readNumber(in, at, 0, 1LL << 40))
            return fail("expected 'at' and a time in milliseconds");
        event.at = at;
        std::string action;
        in >> action;
        if (action == "key") {
            std::string name;
            in >> name;
            auto key = virtualKey(name);
            if (!key)
                return fail("unknown key " + quoted(name));
            event.type = InputEvent::Type::Key;
            event.virtualKey = *key;
        } else if (action == "move" || action == "click") {
            if (action == "click") {
                std::string button;
                in >> button;
                if (button != "left" && button != "right")
                    return fail("a click is 'left' or 'right'");
                event.rightButton = button == "right";
            }
            if (!readNumber(in, x, -32768, 32767) || !readNumber(in, y, -32768, 32767))
                return fail("expected x and y in pixels");
            event.type = action == "move" ? InputEvent::Type::Move : InputEvent::Type::Click;
            event.x = int(x);
            event.y = int(y);
            std::string menu;
            if (in >> menu) {
                if (menu != "menu" || !event.rightButton)
                    return fail("only a right click can name a menu choice");
                if (!(event.menuCommand = readMenuChoice(in)))
                    return fail("a menu choice is a command number or 'none'");
            }
        } else if (action == "menu") {
            event.type = InputEvent::Type::Menu;
            if (!(event.menuCommand = readMenuChoice(in)))
                return fail("a menu choice is a command number or 'none'");
        } else {
            return fail("unknown action " + quoted(action));
        }
        std::string rest;
        if (in >> rest)
            return fail("unexpected " + quoted(rest));
        events.push_back(event);
    }
    return events;
}

} // namespace headless
