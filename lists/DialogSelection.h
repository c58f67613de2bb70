#pragma once

#include <QStringList>

namespace tagmill {

/// The characters an open dialog's result may take, its closing NUL included.
inline constexpr qsizetype OpenDialogResultLimit = 260;

/// True when the files chosen in an open dialog fit its result as the dialog counts it: one
/// path and a NUL; or the folder, a NUL, each name followed by a NUL, and one more NUL.
bool fitsOpenDialogResult(const QStringList& chosen);

/// The paths that the chosen files are added as: one file's path unchanged; several files
/// each as its folder joined to its name and collapsed.
QStringList chosenPaths(const QStringList& chosen);

} // namespace tagmill
