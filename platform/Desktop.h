#pragma once

#include "platform/Clipboard.h"
#include "platform/FileDialogs.h"
#include "platform/InputBoxes.h"
#include "platform/Launcher.h"
#include "platform/MessageBoxes.h"
#include "platform/PointerShapes.h"
#include "platform/RandomNumbers.h"
#include "platform/SettingsBackend.h"
#include "platform/SpreadsheetProgram.h"

namespace tagmill::platform {

/// Everything the program asks of the desktop, handed to the window when it is made. The
/// services outlive the window.
struct Desktop {
    MessageBoxes& messages;
    InputBoxes& inputs;
    FileDialogs& files;
    Clipboard& clipboard;
    SettingsBackend& settings;
    Launcher& launcher;
    PointerShapes& pointers;
    RandomNumbers& random;
    SpreadsheetProgram& spreadsheet;
};

} // namespace tagmill::platform
