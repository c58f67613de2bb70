// The settings' conversions take any text: a saved tag list splits and joins back to itself,
// and a number is either read or refused with the failure the window reports.

#include "FuzzInput.h"
#include "shell/SettingValues.h"

#include <cmath>
#include <stdexcept>

using namespace tagmill;
using namespace tagmill::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    expect(joinTags(splitTags(text)) == text, "a saved tag list joins back to itself");
    // Tags holding no "|" cannot make a separator where they meet; one empty tag is saved as the
    // empty text, which stands for no tags.
    const QStringList tags = text.split(u'\n');
    if (!text.contains(u'|') && !text.isEmpty())
        expect(splitTags(joinTags(tags)) == tags, "tags come back from their saved list");
    (void)leadingNumber(text);
    try {
        (void)wholeNumber(text);
    } catch (const std::runtime_error&) {
        // Refused: the window reports it; anything else thrown would escape the trap.
    }
    return 0;
}
