#include "res_builder.h"

namespace {

void put16(std::vector<std::uint8_t> &out, unsigned value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void put32(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void putId(std::vector<std::uint8_t> &out, const ResBuilder::Id &id)
{
    if (id.ordinal >= 0) {
        put16(out, 0xFFFF);
        put16(out, unsigned(id.ordinal));
        return;
    }
    for (char c : id.text)
        put16(out, static_cast<unsigned char>(c));
    put16(out, 0);
}

} // namespace

void ResBuilder::entry(const Id &type, const Id &name, const std::vector<std::uint8_t> &data)
{
    std::vector<std::uint8_t> header;
    putId(header, type);
    putId(header, name);
    while ((header.size() + 8) % 4)
        header.push_back(0);
    put32(header, 0);      // data version
    put16(header, 0x1030); // memory flags
    put16(header, 1033);   // language
    put32(header, 0);      // version
    put32(header, 0);      // characteristics
    put32(bytes_, std::uint32_t(data.size()));
    put32(bytes_, std::uint32_t(header.size() + 8));
    bytes_.insert(bytes_.end(), header.begin(), header.end());
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    while (bytes_.size() % 4)
        bytes_.push_back(0);
}

ResBuilder &ResBuilder::add(Id type, Id name, const std::vector<std::uint8_t> &data)
{
    if (!started_) {
        // A 32-bit resource file starts with an empty entry.
        entry(Id(0), Id(0), {});
        started_ = true;
    }
    entry(type, name, data);
    return *this;
}
