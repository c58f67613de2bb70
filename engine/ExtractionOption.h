#pragma once

namespace tagmill {

/// The five ways of pulling values out of a file; the numbers are the ones stored under "Option".
enum class ExtractionOption {
    TagAndValue = 1, ///< "Get value between tag (and include tag in results)"
    ValueOnly = 2,   ///< "Get value between tag"
    WholeLine = 3,   ///< "Get entire line containing tag"
    Quoted = 4,      ///< "Get all data between quotes"
    Nothing = 5,     ///< "Get tag and data (visible = false)": reads no file
};

} // namespace tagmill
