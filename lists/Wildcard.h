#pragma once

#include <QString>

namespace tagmill {

/// True when the name matches a directory-listing pattern: "*" stands for any run of
/// characters (none too), "?" for any one character, every other character for itself
/// regardless of case. "*.*" matches every name, names without a dot included.
bool matchesWildcard(QStringView name, QStringView pattern);

} // namespace tagmill
