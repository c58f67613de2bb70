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

// A record: its kind, its length in 8 bytes, its bytes.
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

void HeldValues::add(std::size_t stream, Kind kind, std::string_view bytes) {
    std::string& memory = m_streams[stream].memory;
    const std::size_t before = memory.size();
    appendRecord(memory, kind, bytes);
    m_inMemory += memory.size() - before;
    if (m_inMemory > m_budget)
        spillLargest();
}

void HeldValues::clear() {
    for (Stream& stream : m_streams) {
        stream.memory.clear();
        stream.spilled.clear();
    }
    m_inMemory = 0;
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
        m_fileEnd = 0;
    }
}

bool HeldValues::empty(std::size_t stream) const {
    return m_streams[stream].memory.empty() && m_streams[stream].spilled.empty();
}

void HeldValues::spillLargest() {
    const auto largest =
        std::max_element(m_streams.begin(), m_streams.end(), [](const Stream& a, const Stream& b) {
            return a.memory.size() < b.memory.size();
        });
    std::string& memory = largest->memory;
    // tmpfile's file has no name: it goes with the process, whatever happens.
    if (!m_file && !(m_file = std::tmpfile()))
        failWith(errno, "temporary file");
    if (std::fwrite(memory.data(), 1, memory.size(), m_file) != memory.size())
        failWith(errno, "temporary file");
    largest->spilled.push_back({m_fileEnd, memory.size()});
    m_fileEnd += memory.size();
    m_inMemory -= memory.size();
    memory.clear();
    memory.shrink_to_fit();
}

void HeldValues::drain(std::size_t stream, const Visit& visit) {
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
    visitRecords(held.memory, visit);
    m_inMemory -= held.memory.size();
    held.memory.clear();
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
