#include "cli/RowOutput.h"

#include "output/TextReport.h"

#include <mutex>
#include <vector>

namespace tagmill::cli {

namespace {

constexpr std::size_t FlushBytes = 1 << 20;

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
    m_format.appendHeader(m_buffer);
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
    if (m_buffer.size() + rows.size() < FlushBytes) {
        m_buffer.append(rows);
    } else {
        // Enough for a write: the rows go as they are, after what was gathered before them.
        m_destination.write(m_buffer);
        m_destination.write(rows);
    }
    m_spare->giveBack(std::move(event.formatted));
}

void RowOutput::flush() {
    m_destination.write(m_buffer);
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
    m_format.finish(m_buffer);
    m_destination.write(m_buffer);
}

} // namespace tagmill::cli
