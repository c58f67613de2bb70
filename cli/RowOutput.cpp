#include "cli/RowOutput.h"

#include "output/TextReport.h"

#include <mutex>
#include <vector>

namespace tagmill::cli {

namespace {

constexpr std::size_t FlushBytes = 1 << 20;
// Rows of fewer bytes are copied together; larger ones wait in the workers' buffers.
constexpr std::size_t SmallRows = 16 << 10;

} // namespace

// Buffers of rows, handed back once written for the workers to fill again. A fresh buffer for
// every batch of rows would have the system map fresh pages for every few kilobytes of output,
// which costs more than making the rows.
class RowOutput::SpareBuffers {
public:
    std::string take() {
        std::lock_guard lock(m_mutex);
        if (m_buffers.empty())
            return {};
        std::string buffer = std::move(m_buffers.back());
        m_buffers.pop_back();
        m_bytes -= buffer.capacity();
        return buffer;
    }
    // A buffer keeps its length, and the rows made in it next are written over its bytes.
    void giveBack(std::string&& buffer) {
        std::lock_guard lock(m_mutex);
        if (m_bytes + buffer.capacity() > KeptBytes)
            return;
        m_bytes += buffer.capacity();
        m_buffers.push_back(std::move(buffer));
    }

private:
    // A few batches' worth: as many as are written at once and a little more.
    static constexpr std::size_t KeptBytes = 32 << 20;

    std::mutex m_mutex;
    std::vector<std::string> m_buffers;
    std::size_t m_bytes = 0; // the capacity of the kept buffers
};

TableWriter tableWriter(OutputFormat format) {
    switch (format) {
    case OutputFormat::Report:
        return SaveListviewProperlySpaced;
    case OutputFormat::Jsonl:
    case OutputFormat::Csv:
    case OutputFormat::Comma:
    case OutputFormat::Tab:
    case OutputFormat::Xlsx: // a workbook is written by name, not through a device
        break;
    }
    return nullptr;
}

RowOutput::RowOutput(const CommandLine& line, Destination& destination)
    : m_destination(destination), m_withFilename(line.withFilename),
      m_tableWriter(tableWriter(line.format)), m_format(line.format, line.withFilename),
      m_spare(std::make_shared<SpareBuffers>()) {
    std::string header;
    m_format.appendHeader(header);
    gatherCopy(header);
}

ExtractionRun::Formatter RowOutput::formatter(const QStringList& entries) const {
    if (m_tableWriter)
        return {};
    // Copies, read only from then on, so every worker may use them at once.
    return [format = m_format, entries, spare = m_spare](qsizetype file, const ValueBatch& values) {
        const QByteArray entry = entries[file].toUtf8();
        std::string rows = spare->take();
        format.writeRows(rows, std::string_view(entry.constData(), std::size_t(entry.size())),
                         values);
        return rows;
    };
}

void RowOutput::startFile(const QString& entry) {
    if (m_tableWriter)
        m_rows.startFile(entry.toUtf8().toStdString());
}

void RowOutput::append(RunEvent& event) {
    if (m_tableWriter) {
        // Every row counts as ticked: the command line has no ticks to take off.
        m_rows.append(event.values, true);
        return;
    }
    const std::string_view rows = m_format.joinRows(event.formatted);
    if (rows.size() < SmallRows) {
        gatherCopy(rows);
        m_spare->giveBack(std::move(event.formatted));
    } else {
        const auto from = std::size_t(rows.data() - event.formatted.data());
        m_gathered.push_back({std::move(event.formatted), from, rows.size(), true});
        m_gatheredBytes += rows.size();
    }
    if (m_gatheredBytes >= FlushBytes)
        writeGathered();
}

void RowOutput::gatherCopy(std::string_view rows) {
    if (rows.empty())
        return;
    if (m_gathered.empty() || m_gathered.back().fromWorkers)
        m_gathered.push_back({{}, 0, 0, false});
    Gathered& last = m_gathered.back();
    last.bytes.append(rows);
    last.size += rows.size();
    m_gatheredBytes += rows.size();
}

void RowOutput::writeGathered() {
    std::vector<std::string_view> pieces;
    for (const Gathered& gathered : m_gathered)
        pieces.push_back(std::string_view(gathered.bytes).substr(gathered.from, gathered.size));
    m_destination.write(pieces);
    for (Gathered& gathered : m_gathered)
        if (gathered.fromWorkers)
            m_spare->giveBack(std::move(gathered.bytes));
    m_gathered.clear();
    m_gatheredBytes = 0;
}

void RowOutput::flush() {
    writeGathered();
    m_destination.flush();
}

void RowOutput::handOn() {
    if (m_destination.streams())
        flush();
}

void RowOutput::finish() {
    if (m_tableWriter) {
        const ResultsSnapshot table(m_withFilename, std::move(m_rows));
        if (!m_tableWriter(table, m_destination.device(), {}))
            m_destination.fail(m_destination.device().errorString());
        return;
    }
    std::string tail;
    m_format.finish(tail);
    gatherCopy(tail);
    writeGathered();
}

} // namespace tagmill::cli
