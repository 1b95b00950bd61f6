#include "handles.h"

namespace win32 {

namespace {
// Handle values: generation in the high 32 bits, slot index + 1 above the low four bits, which
// stay clear like an aligned pointer's. No handle is null or a small integer.
constexpr int kIndexShift = 4;
} // namespace

void *HandleTable::add(std::shared_ptr<Object> object)
{
    std::lock_guard lock(mutex_);
    std::size_t index;
    if (!free_.empty()) {
        index = free_.back();
        free_.pop_back();
    } else {
        index = slots_.size();
        slots_.emplace_back();
    }
    Slot &slot = slots_[index];
    slot.object = std::move(object);
    auto value = (std::uintptr_t{slot.generation} << 32) | ((index + 1) << kIndexShift);
    return reinterpret_cast<void *>(value);
}

bool HandleTable::decode(const void *handle, std::size_t &index, std::uint32_t &generation) const
{
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    auto low = value & 0xFFFFFFFFu;
    if (low == 0 || (low & ((1u << kIndexShift) - 1)) != 0)
        return false;
    index = (low >> kIndexShift) - 1;
    generation = static_cast<std::uint32_t>(value >> 32);
    return index < slots_.size() && slots_[index].generation == generation && slots_[index].object;
}

std::shared_ptr<Object> HandleTable::find(const void *handle) const
{
    std::lock_guard lock(mutex_);
    std::size_t index;
    std::uint32_t generation;
    if (!decode(handle, index, generation))
        return nullptr;
    return slots_[index].object;
}

bool HandleTable::remove(const void *handle)
{
    std::shared_ptr<Object> released;
    {
        std::lock_guard lock(mutex_);
        std::size_t index;
        std::uint32_t generation;
        if (!decode(handle, index, generation))
            return false;
        Slot &slot = slots_[index];
        released = std::move(slot.object);
        slot.object.reset();
        // Generation 0 never names a live entry; skip it when the counter wraps.
        if (++slot.generation == 0)
            slot.generation = 1;
        free_.push_back(index);
    }
    // The object dies here, outside the lock, in case its destructor needs the table.
    return true;
}

HandleTable &handles()
{
    static HandleTable table;
    return table;
}

} // namespace win32
