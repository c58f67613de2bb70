#include "engine/TagPatterns.h"

namespace tagmill::detail {

namespace {

template <typename Char> TagPatterns<Char> patternsFrom(const std::basic_string<Char>& foldedTag) {
    const std::basic_string<Char> lt(1, Char('<'));
    return {lt + foldedTag, lt + Char('/') + foldedTag + Char('>')};
}

} // namespace

TagPatterns<char16_t> wideTagPatterns(const QString& tag) {
    return patternsFrom(
        foldText({reinterpret_cast<const char16_t*>(tag.utf16()), std::size_t(tag.size())}));
}

std::optional<TagPatterns<char>> bytePatterns(const QString& tag) {
    std::string folded;
    for (QChar c : tag) {
        if (c.unicode() >= 128)
            return std::nullopt;
        folded += foldUnit(char(c.unicode()));
    }
    return patternsFrom(folded);
}

} // namespace tagmill::detail
