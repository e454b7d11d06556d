#pragma once

// Memory for one content tree read from a file. The arena owns the tree: its nodes and
// child lists are cut from a few large blocks, and when the arena goes it destroys the
// nodes one after another, however deep the tree, and gives the blocks back at once,
// instead of a heap allocation, a reference count and a release for each node.

#include <algorithm>
#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace Vantorn {

// Under AddressSanitizer every allocation is the heap's own, so that memory used after
// its arena went is still reported.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool contentArenasPooled = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool contentArenasPooled = false;
#else
inline constexpr bool contentArenasPooled = true;
#endif
#else
inline constexpr bool contentArenasPooled = true;
#endif

// Only the thread that reads the tree adds to its arena.
class ContentArena {
public:
    ContentArena() {}  // user-provided, so that making one does not zero its first block
    ContentArena(const ContentArena&) = delete;
    ContentArena& operator=(const ContentArena&) = delete;
    ~ContentArena() {
        for (Made* made = last_; made != nullptr;) {
            Made* const before = made->before;
            made->destroy(made->object);
            release(made->object);
            release(made);
            made = before;
        }
    }

    // An object that lives as long as the arena. Its record is taken first, so that an
    // object once made is always destroyed.
    template <class T, class... Args>
    T* make(Args&&... args) {
        void* const record = allocate(sizeof(Made), alignof(Made));
        void* at = nullptr;
        T* object;
        try {
            at = allocate(sizeof(T), alignof(T));
            object = new (at) T(std::forward<Args>(args)...);
        } catch (...) {
            if (at) release(at);
            release(record);
            throw;
        }
        last_ = new (record) Made{object, [](void* p) { static_cast<T*>(p)->~T(); }, last_};
        return object;
    }

    void* allocate(std::size_t size, std::size_t alignment) {
        if (!contentArenasPooled) return ::operator new(size);
        std::size_t space = static_cast<std::size_t>(end_ - next_);
        void* at = next_;
        if (!std::align(alignment, size, at, space)) at = fromNewBlock(size, alignment);
        next_ = static_cast<std::byte*>(at) + size;
        return at;
    }
    void release(void* at) noexcept {
        if (!contentArenasPooled) ::operator delete(at);
    }

private:
    // What the arena destroys when it goes, last made first.
    struct Made {
        void* object;
        void (*destroy)(void*);
        Made* before;
    };
    // Most trees fit in the first block, which comes with the arena itself.
    static constexpr std::size_t firstBlockSize = 2048;
    static constexpr std::size_t largestBlockSize = std::size_t{1} << 20;

    void* fromNewBlock(std::size_t size, std::size_t alignment) {
        const std::size_t blockSize = std::max(nextBlockSize_, size + alignment);
        blocks_.emplace_back(new std::byte[blockSize]);  // not zeroed
        nextBlockSize_ = std::min(2 * nextBlockSize_, largestBlockSize);
        next_ = blocks_.back().get();
        end_ = next_ + blockSize;
        std::size_t space = blockSize;
        void* at = next_;
        return std::align(alignment, size, at, space);
    }

    alignas(std::max_align_t) std::byte firstBlock_[firstBlockSize];
    std::byte* next_ = firstBlock_;
    std::byte* end_ = firstBlock_ + firstBlockSize;
    std::size_t nextBlockSize_ = 4 * firstBlockSize;
    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    Made* last_ = nullptr;
};

// Takes from an arena or, where it has none, from the heap. It does not keep the arena
// alive: what holds it lives in the arena. A copy of a container takes from the heap.
template <class T>
class ArenaAllocator {
public:
    using value_type = T;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;

    ArenaAllocator() noexcept = default;
    explicit ArenaAllocator(ContentArena* arena) noexcept : arena_(arena) {}
    template <class U>
    ArenaAllocator(const ArenaAllocator<U>& other) noexcept : arena_(other.arena()) {}

    T* allocate(std::size_t count) {
        if (!arena_) return std::allocator<T>().allocate(count);
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(arena_->allocate(count * sizeof(T), alignof(T)));
    }
    void deallocate(T* at, std::size_t count) noexcept {
        if (arena_) arena_->release(at);
        else std::allocator<T>().deallocate(at, count);
    }
    ArenaAllocator select_on_container_copy_construction() const noexcept { return ArenaAllocator(); }

    ContentArena* arena() const noexcept { return arena_; }

    template <class U>
    bool operator==(const ArenaAllocator<U>& other) const noexcept {
        return arena_ == other.arena();
    }
    template <class U>
    bool operator!=(const ArenaAllocator<U>& other) const noexcept {
        return !(*this == other);
    }

private:
    ContentArena* arena_ = nullptr;
};

}  // namespace Vantorn
