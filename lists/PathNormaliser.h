#pragma once

#include <QString>

namespace tagmill {

/// Collapses doubled separators in a path built by joining a folder and a name.
/// A path holding "/" collapses every "//" to "/", in one pass from the left ("///" becomes
/// "//"); backslashes in it are part of names and stay. A path without "/" is a Windows path:
/// every "\\" becomes "\" in one pass, and any run of leading backslashes becomes exactly two
/// (a network path).
QString CollapseDoubleBackslashes(const QString& path);

/// folder + "/" + name, collapsed: the path of a name chosen or found in a folder.
QString joinFolderAndName(const QString& folder, const QString& name);

} // namespace tagmill
