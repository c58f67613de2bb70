#pragma once

#include "engine/ValueBatch.h"

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
    /// Takes a batch of values; it may move them out, or leave them to be cleared.
    using TakeValues = std::function<void(ValueBatch& values)>;

    explicit HeldValues(std::size_t streams, std::size_t memoryBudget = DefaultBudget);
    ~HeldValues();
    HeldValues(const HeldValues&) = delete;
    HeldValues& operator=(const HeldValues&) = delete;

    // Always inline: on the path of every value out of the search, which is large enough that
    // the compiler would otherwise take it out of line.
    [[gnu::always_inline]] void add(std::size_t stream, Kind kind, std::string_view bytes) {
        Stream& held = m_streams[stream];
        held.records.append(bytes);
        if (kind != Kind::Value)
            held.marks.push_back({held.records.count() - 1, kind});
        m_inMemory += bytes.size() + sizeof(std::size_t); // what the batch's byteSize() grew by
        if (m_inMemory > m_budget)
            spillLargest();
    }
    /// Forgets every record, keeping the memory for the next file.
    void clear();
    bool empty(std::size_t stream) const {
        return m_streams[stream].records.empty() && m_streams[stream].spilled.empty();
    }
    std::size_t streamCount() const { return m_streams.size(); }
    /// Hands every record of the stream on, in order, and forgets them: the records still in
    /// memory, when they are no larger than a batch and all plain values (undecided ones count
    /// as values when undecidedAreValues), go to takeValues whole, without being copied; every
    /// other record goes to visit. Memory the batch still holds afterwards is used again.
    /// Throws std::system_error when the temporary file fails.
    void drain(std::size_t stream, const Visit& visit, const TakeValues& takeValues,
               bool undecidedAreValues = false);

    static constexpr std::size_t DefaultBudget = 16 * 1024 * 1024;
    /// The most bytes of values handed on whole.
    static constexpr std::size_t LargestBatch = 1024 * 1024;

private:
    struct Segment {
        std::uint64_t offset;
        std::uint64_t length;
    };
    struct Mark {
        std::size_t index; // of the record in the stream's batch
        Kind kind;
    };
    struct Stream {
        std::vector<Segment> spilled;
        ValueBatch records;      // the bytes of every record in memory
        std::vector<Mark> marks; // the records in memory that are not plain values
    };

    void spillLargest();
    static std::string recordsOf(const Stream& stream);
    static void visitMemory(const Stream& stream, const Visit& visit);
    static void visitRecords(std::string_view records, const Visit& visit);

    std::vector<Stream> m_streams;
    std::size_t m_budget;
    std::size_t m_inMemory = 0;
    std::FILE* m_file = nullptr;
    std::uint64_t m_fileEnd = 0;
    std::string m_scratch;
};

} // namespace tagmill
