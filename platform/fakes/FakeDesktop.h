#pragma once

#include "platform/Desktop.h"
#include "platform/fakes/FakeClipboard.h"
#include "platform/fakes/FakeFileDialogs.h"
#include "platform/fakes/FakeInputBoxes.h"
#include "platform/fakes/FakeLauncher.h"
#include "platform/fakes/FakeMessageBoxes.h"
#include "platform/fakes/FakePointerShapes.h"
#include "platform/fakes/FakeRandomNumbers.h"
#include "platform/fakes/FakeSpreadsheetProgram.h"
#include "platform/fakes/MemorySettings.h"

namespace tagmill::platform {

/// A scripted desktop for tests. The settings backend can be swapped for a real one, so that a
/// test reaches the settings file while every dialog stays scripted.
class FakeDesktop {
public:
    Desktop desktop() {
        return {messages, inputs,   files,  clipboard,  *settingsBackend,
                launcher, pointers, random, spreadsheet};
    }

    FakeMessageBoxes messages;
    FakeInputBoxes inputs;
    FakeFileDialogs files;
    FakeClipboard clipboard;
    MemorySettings settings;
    SettingsBackend* settingsBackend = &settings;
    FakeLauncher launcher;
    FakePointerShapes pointers;
    FakeRandomNumbers random;
    FakeSpreadsheetProgram spreadsheet;
};

} // namespace tagmill::platform
