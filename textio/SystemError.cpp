#include "textio/SystemError.h"

#include <cstring>

namespace tagmill {

namespace {

// strerror_r comes in two kinds: glibc's returns the text, POSIX's fills the buffer.
[[maybe_unused]] const char* errorText(const char* text, const char*) {
    return text;
}
[[maybe_unused]] const char* errorText(int, const char* buffer) {
    return buffer;
}

} // namespace

QString systemErrorText(int error) {
    char buffer[256] = {};
    return QString::fromLocal8Bit(errorText(strerror_r(error, buffer, sizeof buffer), buffer));
}

} // namespace tagmill
