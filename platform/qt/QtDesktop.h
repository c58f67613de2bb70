#pragma once

#include "platform/Desktop.h"
#include "platform/qt/IniSettings.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtFileDialogs.h"
#include "platform/qt/QtInputBoxes.h"
#include "platform/qt/QtLauncher.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/qt/QtPointerShapes.h"
#include "platform/qt/QtRandomNumbers.h"
#include "platform/qt/QtSpreadsheetProgram.h"

namespace tagmill::platform {

/// The real desktop: every service through Qt. Needs a QApplication.
class QtDesktop {
public:
    Desktop desktop() {
        return {m_messages, m_inputs,   m_files,  m_clipboard,  m_settings,
                m_launcher, m_pointers, m_random, m_spreadsheet};
    }

private:
    QtMessageBoxes m_messages;
    QtInputBoxes m_inputs;
    QtFileDialogs m_files;
    QtClipboard m_clipboard;
    IniSettings m_settings;
    QtLauncher m_launcher;
    QtPointerShapes m_pointers;
    QtRandomNumbers m_random;
    QtSpreadsheetProgram m_spreadsheet;
};

} // namespace tagmill::platform
