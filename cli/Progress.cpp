#include "cli/Progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace tagmill::cli {

namespace {

// 1234567 as "1,234,567".
std::string grouped(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

// Decimal units, as file managers show sizes: "999 B", "1.0 kB", "56.7 MB".
std::string byteCount(std::uint64_t bytes) {
    if (bytes < 1000)
        return std::to_string(bytes) + " B";
    static const char* const units[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    double value = double(bytes) / 1000;
    std::size_t unit = 0;
    // Rounded to one decimal, 999.96 kB would read "1000.0 kB".
    while (value >= 999.95 && unit + 1 < std::size(units)) {
        value /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

// "0:07", "12:34", "1:02:03".
std::string clockTime(double seconds) {
    const auto whole = std::uint64_t(seconds);
    char text[32];
    if (whole < 3600)
        std::snprintf(text, sizeof text, "%u:%02u", unsigned(whole / 60), unsigned(whole % 60));
    else
        std::snprintf(text, sizeof text, "%llu:%02u:%02u", (unsigned long long)(whole / 3600),
                      unsigned(whole / 60 % 60), unsigned(whole % 60));
    return text;
}

// The time the rest of the files take at the pace so far; unknown before anything is done.
std::string timeLeft(const ProgressFigures& figures, double elapsed) {
    if (figures.filesDone <= 0)
        return "-- left";
    const double rest = std::max(0.0, double(figures.filesListed) - figures.filesDone);
    return "about " + clockTime(std::round(elapsed * rest / figures.filesDone)) + " left";
}

// The columns of the terminal standard error goes to; 80 when it does not say.
int terminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

std::string progressLine(const ProgressFigures& figures, int columns) {
    const double elapsed = std::chrono::duration<double>(figures.elapsed).count();
    std::string line = "tagmill-cli: " + grouped(std::uint64_t(figures.filesSearched)) + " of " +
                       grouped(std::uint64_t(figures.filesListed)) + " files, " +
                       byteCount(figures.bytesRead) + ", " + grouped(figures.rowsFound) +
                       " rows, " + clockTime(elapsed) + " elapsed, " + timeLeft(figures, elapsed);
    // A line as wide as the terminal would leave the cursor past its edge, and some terminals
    // then wrap at the next character.
    line.resize(std::min(line.size(), std::size_t(std::max(columns - 1, 0))));
    return line;
}

bool progressWanted(const CommandLine& line) {
    if (line.progress)
        return *line.progress;
    return ::isatty(STDERR_FILENO);
}

ProgressDisplay::ProgressDisplay(bool shown, qsizetype filesListed)
    : m_shown(shown), m_filesListed(filesListed), m_start(Clock::now()),
      m_nextDrawing(m_start + FirstDrawing) {}

void ProgressDisplay::draw(const ProgressFigures& figures) {
    show(progressLine(figures, terminalColumns()));
}

// Standard error is unbuffered: each drawing is one write. What fails to reach it has nowhere
// else to be reported, as the run's own messages have not.
void ProgressDisplay::show(const std::string& line) {
    std::string out = "\r" + line;
    if (m_drawn.size() > line.size())
        out.append(m_drawn.size() - line.size(), ' ');
    std::fwrite(out.data(), 1, out.size(), stderr);
    m_drawn = line;
}

void ProgressDisplay::erase() {
    if (m_drawn.empty())
        return;
    std::string out(m_drawn.size() + 2, ' ');
    out.front() = '\r';
    out.back() = '\r';
    std::fwrite(out.data(), 1, out.size(), stderr);
    m_drawn.clear();
}

} // namespace tagmill::cli
