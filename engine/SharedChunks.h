#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

namespace tagmill {

/// A growing array kept in fixed-size chunks that copies share. Copying costs one pointer per
/// chunk, and a chunk that a copy still holds is never changed: the first change to it copies
/// that chunk alone. So another thread may keep reading a copy while the original grows, is
/// changed or is cleared.
template <typename T, std::size_t ChunkSize> class SharedChunks {
public:
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    const T& operator[](std::size_t i) const { return (*m_chunks[i / ChunkSize])[i % ChunkSize]; }
    const T& back() const { return (*this)[m_size - 1]; }

    /// Calls visit with each element in order from the first given, until it returns false;
    /// false then.
    template <typename Visit> bool forEach(std::size_t first, Visit&& visit) const {
        for (std::size_t chunk = first / ChunkSize; chunk < m_chunks.size(); ++chunk) {
            const Chunk& elements = *m_chunks[chunk];
            for (std::size_t i = chunk == first / ChunkSize ? first % ChunkSize : 0;
                 i < elements.size(); ++i)
                if (!visit(elements[i]))
                    return false;
        }
        return true;
    }

    T& mutableAt(std::size_t i) { return writableChunk(i / ChunkSize)[i % ChunkSize]; }

    void push_back(T value) {
        if (m_size % ChunkSize == 0) {
            m_chunks.push_back(std::make_shared<Chunk>());
            m_chunks.back()->reserve(ChunkSize);
        }
        writableChunk(m_chunks.size() - 1).push_back(std::move(value));
        ++m_size;
    }

    void clear() {
        m_chunks.clear();
        m_size = 0;
    }

private:
    using Chunk = std::vector<T>;

    Chunk& writableChunk(std::size_t chunk) {
        std::shared_ptr<Chunk>& shared = m_chunks[chunk];
        if (shared.use_count() > 1) {
            auto own = std::make_shared<Chunk>();
            own->reserve(ChunkSize);
            own->assign(shared->begin(), shared->end());
            shared = std::move(own);
        }
        // A copy released on another thread read this chunk before letting go of it.
        std::atomic_thread_fence(std::memory_order_acquire);
        return *shared;
    }

    std::vector<std::shared_ptr<Chunk>> m_chunks;
    std::size_t m_size = 0;
};

} // namespace tagmill
