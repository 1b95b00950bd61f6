// Every Win32 handle the layer gives out names an entry in one table. A handle carries the
// entry's generation, so a handle kept after its object was deleted is refused instead of
// reaching a reused entry, and each lookup names the kind it expects, so a pen passed where a
// bitmap belongs is refused as well.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace win32 {

enum class Kind : std::uint8_t { Window, DeviceContext, Bitmap, Brush, Pen, Cursor, Icon, Menu, Thread };

struct Object {
    explicit Object(Kind kind) : kind(kind) {}
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;
    virtual ~Object() = default;

    const Kind kind;
    // Stock objects live for the whole process: deleting one does nothing.
    bool stock = false;
};

class HandleTable {
public:
    void *add(std::shared_ptr<Object> object);
    std::shared_ptr<Object> find(const void *handle) const;
    bool remove(const void *handle);

    // The number of live objects that `counted` accepts.
    template <class Predicate>
    std::size_t count(Predicate counted) const
    {
        std::lock_guard lock(mutex_);
        std::size_t n = 0;
        for (const Slot &slot : slots_)
            n += slot.object && counted(*slot.object);
        return n;
    }

    template <class T>
    std::shared_ptr<T> find(const void *handle) const
    {
        auto object = find(handle);
        if (!object || object->kind != T::kKind)
            return nullptr;
        return std::static_pointer_cast<T>(object);
    }

private:
    struct Slot {
        std::shared_ptr<Object> object;
        std::uint32_t generation = 1;
    };
    bool decode(const void *handle, std::size_t &index, std::uint32_t &generation) const;

    mutable std::mutex mutex_;
    std::vector<Slot> slots_;
    std::vector<std::size_t> free_;
};

HandleTable &handles();

// Adds a new object and returns its handle typed as the caller's handle type.
template <class Handle, class T>
Handle addHandle(std::shared_ptr<T> object)
{
    return static_cast<Handle>(handles().add(std::move(object)));
}

} // namespace win32
