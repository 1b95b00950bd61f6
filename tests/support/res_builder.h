// Builds a compiled resource file (.res) in memory, for tests that bring their own resources.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ResBuilder {
public:
    // A type or name: a number (an ordinal) or text.
    struct Id {
        Id(int ordinal) : ordinal(ordinal) {}
        Id(const char *text) : text(text) {}
        int ordinal = -1;
        std::string text;
    };

    ResBuilder &add(Id type, Id name, const std::vector<std::uint8_t> &data);
    const std::vector<std::uint8_t> &bytes() const { return bytes_; }

private:
    void entry(const Id &type, const Id &name, const std::vector<std::uint8_t> &data);
    std::vector<std::uint8_t> bytes_;
    bool started_ = false;
};
