#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tagmill {

/// Records held back until their turn, kept apart by stream (a tag), each stream's in the order
/// they came. They stay in memory up to a budget shared by all streams; beyond it the largest
/// stream's records move to a temporary file, so a file holding more values than memory can is
/// still put in order.
class HeldValues {
public:
    enum class Kind : std::uint8_t { Value, Undecided, Failure };
    using Visit = std::function<void(Kind kind, std::string_view bytes)>;

    explicit HeldValues(std::size_t streams, std::size_t memoryBudget = DefaultBudget);
    ~HeldValues();
    HeldValues(const HeldValues&) = delete;
    HeldValues& operator=(const HeldValues&) = delete;

    void add(std::size_t stream, Kind kind, std::string_view bytes);
    /// Forgets every record, keeping the memory for the next file.
    void clear();
    bool empty(std::size_t stream) const;
    std::size_t streamCount() const { return m_streams.size(); }
    /// Hands every record of the stream to `visit`, in order, and forgets them. Throws
    /// std::system_error when the temporary file fails.
    void drain(std::size_t stream, const Visit& visit);

    static constexpr std::size_t DefaultBudget = 16 * 1024 * 1024;

private:
    struct Segment {
        std::uint64_t offset;
        std::uint64_t length;
    };
    struct Stream {
        std::vector<Segment> spilled;
        std::string memory;
    };

    void spillLargest();
    static void visitRecords(std::string_view records, const Visit& visit);

    std::vector<Stream> m_streams;
    std::size_t m_budget;
    std::size_t m_inMemory = 0;
    std::FILE* m_file = nullptr;
    std::uint64_t m_fileEnd = 0;
    std::string m_scratch;
};

} // namespace tagmill
