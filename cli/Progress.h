#pragma once

#include "cli/CommandLine.h"

#include <QtGlobal>

#include <chrono>
#include <cstdint>
#include <string>

namespace tagmill::cli {

/// What the progress line tells about a run.
struct ProgressFigures {
    qsizetype filesSearched = 0;
    qsizetype filesListed = 0;
    std::uint64_t bytesRead = 0;
    std::uint64_t rowsFound = 0;
    /// Files searched plus the share read of each file being read now; the time left is
    /// reckoned from it.
    double filesDone = 0;
    std::chrono::steady_clock::duration elapsed{};
};

/// The line, cut to fewer columns than the terminal has, so that it never wraps:
/// "tagmill-cli: 1,234 of 10,000 files, 56.7 MB, 8,901 rows, 0:12 elapsed, about 1:27 left".
std::string progressLine(const ProgressFigures& figures, int columns);

/// Whether the line is drawn: as --progress or --no-progress says, else when standard error is
/// a terminal.
bool progressWanted(const CommandLine& line);

/// The progress line of a run on standard error, drawn once the run has taken half a second,
/// redrawn at most ten times a second, and erased when the run ends. Each drawing starts with
/// a carriage return and covers the line before it with spaces, so it works on any terminal
/// and reads the same in a file.
class ProgressDisplay {
public:
    using Clock = std::chrono::steady_clock;

    ProgressDisplay(bool shown, qsizetype filesListed);
    ~ProgressDisplay() { erase(); }
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    /// Draws the line when its time has come; otherwise costs a reading of the clock.
    /// figuresOf gives the run's ExtractionRun::Progress.
    template <typename FiguresOf> void update(FiguresOf figuresOf) {
        if (!m_shown)
            return;
        const Clock::time_point now = Clock::now();
        if (now < m_nextDrawing)
            return;
        m_nextDrawing = now + Redrawing;
        const auto progress = figuresOf();
        draw({progress.filesSearched, m_filesListed, progress.bytesRead, progress.rowsFound,
              double(progress.filesSearched) + progress.openFilesDone, now - m_start});
    }
    /// Takes the line away for a message, which write puts on standard error, and draws it
    /// again below the message.
    template <typename Write> void around(Write write) {
        const std::string line = m_drawn;
        erase();
        write();
        if (!line.empty())
            show(line);
    }
    /// Leaves the line blank, the cursor at its start.
    void erase();

private:
    static constexpr auto FirstDrawing = std::chrono::milliseconds(500);
    static constexpr auto Redrawing = std::chrono::milliseconds(100);

    void draw(const ProgressFigures& figures);
    void show(const std::string& line);

    bool m_shown;
    qsizetype m_filesListed;
    Clock::time_point m_start;
    Clock::time_point m_nextDrawing;
    std::string m_drawn; // the line on the screen now; empty when none is
};

} // namespace tagmill::cli
