#pragma once

#include "cli/CommandLine.h"
#include "cli/Destination.h"
#include "cli/RowFormat.h"
#include "engine/ExtractionRun.h"
#include "engine/ResultsSnapshot.h"

#include <QIODevice>

#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tagmill::cli {

/// Writes a whole table to a device; false when a write failed.
using TableWriter = bool (*)(const ResultsSnapshot& table, QIODevice& device, std::stop_token stop);

/// The writer of a format that needs every row before its first byte, or nullptr for a format
/// whose rows stream as they come.
TableWriter tableWriter(OutputFormat format);

/// Takes the rows of a run, file by file in order, and writes them in the chosen format: the
/// rows of a streaming format as they come, a whole table once the run is over. The run's
/// workers make the rows of a streaming format (formatter()); here they are only put in place
/// and written.
class RowOutput {
public:
    RowOutput(const CommandLine& line, Destination& destination);

    /// What the run's workers make of each batch of values of the file with the entry of that
    /// index: the rows of a streaming format; none for a table, which takes the values.
    ExtractionRun::Formatter formatter(const QStringList& entries) const;
    /// The rows appended from now on come from the file with this entry.
    void startFile(const QString& entry);
    /// The values of the file, or for a streaming format the rows the formatter made of them;
    /// their buffer is taken back for the workers to fill again.
    void append(RunEvent& event);
    /// Writes the rows so far, so that a message written next comes after them.
    void flush();
    /// Writes the rows so far when a reader may be waiting for them; a file gathers them.
    void handOn();
    /// Writes what is left; the destination then tells whether all of it was written.
    void finish();

private:
    class SpareBuffers;

    Destination& m_destination;
    bool m_withFilename;
    TableWriter m_tableWriter;
    RowFormat m_format;
    // Rows not yet written, in order: the workers' buffers as they came, with small rows
    // copied together, so that one write takes them all without copying the large ones first.
    struct Gathered {
        std::string bytes;
        std::size_t from;
        std::size_t size;
        bool fromWorkers; // a worker's buffer, handed back once written
    };
    void gatherCopy(std::string_view rows);
    void writeGathered();

    std::vector<Gathered> m_gathered;
    std::size_t m_gatheredBytes = 0;
    RowStore m_rows;                       // the whole table, all ticked, for a table writer
    std::shared_ptr<SpareBuffers> m_spare; // shared with the formatter the workers call
};

} // namespace tagmill::cli
