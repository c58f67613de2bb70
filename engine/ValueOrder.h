#pragma once

#include "engine/FileExtractor.h"
#include "engine/HeldValues.h"

#include <functional>
#include <string>
#include <string_view>

namespace tagmill {

/// Puts what one file gives in the order of the options: stream by stream (each tag in turn, or
/// the single stream of quoted values), each stream's values in the order found. A single pass
/// finds all streams' values together, so only the first stream's go out at once; the others
/// wait for the end of the file. A value whose text depends on what the rest of the file holds
/// (non-ASCII bytes of a mark-less file, UTF-8 only if the whole file is) waits as well, with
/// everything after it in its stream.
class ValueOrder {
public:
    /// `held` is where values wait; it is cleared first. `batch` collects the values going out;
    /// a sink that formats them at once leaves it, so its memory serves the next file too.
    ValueOrder(FileSink& sink, HeldValues& held, ValueBatch& batch);
    ~ValueOrder();

    // Always inline: it is on the path of every value, and the search that calls it is large
    // enough that the compiler's own limits would take it out of line, which costs a tenth of
    // a search with many tags.
    [[gnu::always_inline]] void value(std::size_t stream, std::string_view utf8) {
        if (stream == 0 && m_held.empty(0))
            append(utf8);
        else
            m_held.add(stream, HeldValues::Kind::Value, utf8);
    }
    /// A value whose bytes are decoded only once the file's encoding is known.
    void undecided(std::size_t stream, std::string_view bytes);
    void failure(std::size_t stream, const QString& description);
    /// Hands on everything held. The undecided values are UTF-8 as they stand when
    /// undecidedAreUtf8 says so, Windows-1252 otherwise; it is asked only when there are any.
    void finish(const std::function<bool()>& undecidedAreUtf8);

private:
    void append(std::string_view utf8);
    void flush();

    FileSink& m_sink;
    ValueBatch& m_batch;
    HeldValues& m_held;
    bool m_anyUndecided = false;
};

} // namespace tagmill
