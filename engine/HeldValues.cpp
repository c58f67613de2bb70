#include "engine/HeldValues.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <unistd.h>

namespace tagmill {

namespace {

[[noreturn]] void failWith(int error, const char* what) {
    throw std::system_error(error, std::generic_category(), what);
}

// A record in the temporary file: its kind, its length in 8 bytes, its bytes.
void appendRecord(std::string& out, HeldValues::Kind kind, std::string_view bytes) {
    const std::uint64_t length = bytes.size();
    out += char(kind);
    out.append(reinterpret_cast<const char*>(&length), sizeof length);
    out.append(bytes);
}

} // namespace

HeldValues::HeldValues(std::size_t streams, std::size_t memoryBudget)
    : m_streams(streams), m_budget(memoryBudget) {}

HeldValues::~HeldValues() {
    if (m_file)
        std::fclose(m_file);
}

void HeldValues::clear() {
    for (Stream& stream : m_streams) {
        stream.records.clear();
        stream.marks.clear();
        stream.spilled.clear();
    }
    m_inMemory = 0;
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
        m_fileEnd = 0;
    }
}

std::string HeldValues::recordsOf(const Stream& stream) {
    std::string records;
    visitMemory(stream,
                [&](Kind kind, std::string_view bytes) { appendRecord(records, kind, bytes); });
    return records;
}

void HeldValues::spillLargest() {
    const auto largest =
        std::max_element(m_streams.begin(), m_streams.end(), [](const Stream& a, const Stream& b) {
            return a.records.byteSize() < b.records.byteSize();
        });
    const std::string records = recordsOf(*largest);
    // tmpfile's file has no name: it goes with the process, whatever happens.
    if (!m_file && !(m_file = std::tmpfile()))
        failWith(errno, "temporary file");
    if (std::fwrite(records.data(), 1, records.size(), m_file) != records.size())
        failWith(errno, "temporary file");
    largest->spilled.push_back({m_fileEnd, records.size()});
    m_fileEnd += records.size();
    m_inMemory -= largest->records.byteSize();
    largest->records = ValueBatch();
    largest->marks.clear();
}

void HeldValues::drain(std::size_t stream, const Visit& visit, const TakeValues& takeValues,
                       bool undecidedAreValues) {
    Stream& held = m_streams[stream];
    if (!held.spilled.empty() && std::fflush(m_file) != 0)
        failWith(errno, "temporary file");
    for (const Segment& segment : held.spilled) {
        m_scratch.resize(segment.length);
        std::size_t done = 0;
        while (done < segment.length) {
            const ssize_t got = ::pread(fileno(m_file), m_scratch.data() + done,
                                        segment.length - done, off_t(segment.offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                failWith(got < 0 ? errno : EIO, "temporary file");
            done += std::size_t(got);
        }
        visitRecords(m_scratch, visit);
    }
    held.spilled.clear();
    m_inMemory -= held.records.byteSize();
    const bool allValues = std::all_of(held.marks.begin(), held.marks.end(), [&](Mark mark) {
        return undecidedAreValues && mark.kind == Kind::Undecided;
    });
    if (allValues && !held.records.empty() && held.records.textSize() <= LargestBatch)
        takeValues(held.records);
    else
        visitMemory(held, visit);
    held.records.clear();
    held.marks.clear();
}

void HeldValues::visitMemory(const Stream& stream, const Visit& visit) {
    auto mark = stream.marks.begin();
    for (std::size_t i = 0; i < stream.records.count(); ++i) {
        const bool marked = mark != stream.marks.end() && mark->index == i;
        visit(marked ? mark->kind : Kind::Value, stream.records.value(i));
        if (marked)
            ++mark;
    }
}

void HeldValues::visitRecords(std::string_view records, const Visit& visit) {
    std::size_t at = 0;
    while (at < records.size()) {
        const auto kind = Kind(records[at]);
        std::uint64_t length = 0;
        std::memcpy(&length, records.data() + at + 1, sizeof length);
        at += 1 + sizeof length;
        visit(kind, records.substr(at, length));
        at += length;
    }
}

} // namespace tagmill
