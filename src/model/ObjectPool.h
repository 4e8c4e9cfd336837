#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace ortolan {

// Makes objects of one type side by side in blocks, so that a list of a hundred thousand
// tasks is a few hundred allocations instead of a hundred thousand, and a pass over them reads
// memory in order. The owner destroys every object it made before reset() or the pool's end.
template <typename T, size_t BlockSize = 256> class ObjectPool {
public:
    template <typename... Args> T* create(Args&&... args) {
        void* slot;
        if (!free_.empty()) {
            slot = free_.back();
            free_.pop_back();
        } else {
            if (blocks_.empty() || used_ == BlockSize) {
                blocks_.push_back(std::make_unique<Slot[]>(BlockSize));
                used_ = 0;
            }
            slot = &blocks_.back()[used_++];
        }
        return ::new (slot) T(std::forward<Args>(args)...);
    }

    void destroy(T* object) {
        object->~T();
        free_.push_back(object);
    }

    // Gives all memory back; every object must have been destroyed.
    void reset() {
        blocks_.clear();
        free_.clear();
        used_ = 0;
    }

private:
    struct alignas(T) Slot {
        std::byte bytes[sizeof(T)];
    };
    std::vector<std::unique_ptr<Slot[]>> blocks_;
    std::vector<void*> free_;
    size_t used_ = 0;
};

} // namespace ortolan
