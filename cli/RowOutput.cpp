#include "cli/RowOutput.h"

#include "output/TextReport.h"

namespace tagmill::cli {

namespace {

constexpr std::size_t FlushBytes = 1 << 20;

} // namespace

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
      m_tableWriter(tableWriter(line.format)), m_format(line.format, line.withFilename) {
    m_format.appendHeader(m_buffer);
}

void RowOutput::startFile(const QString& entry) {
    const std::string utf8 = entry.toUtf8().toStdString();
    if (m_tableWriter)
        m_rows.startFile(utf8);
    else
        m_format.setFile(utf8);
}

void RowOutput::append(const ValueBatch& values) {
    if (m_tableWriter) {
        // Every row counts as ticked: the command line has no ticks to take off.
        m_rows.append(values, true);
        return;
    }
    for (std::size_t i = 0; i < values.count(); ++i) {
        m_format.appendRow(m_buffer, values.value(i));
        if (m_buffer.size() >= FlushBytes)
            m_destination.write(m_buffer);
    }
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
