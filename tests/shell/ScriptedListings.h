#pragma once

#include "lists/FolderScan.h"

#include <QByteArray>

#include <atomic>
#include <latch>
#include <memory>
#include <new>

namespace tagmill {

/// Folder listings as the system gives them, except for the folders whose path holds `marked`:
/// opening one throws, or waits until the test opens the gate, as a mount that does not answer.
class ScriptedListings : public detail::FolderCalls {
public:
    QByteArray marked;
    bool throws = false;
    std::atomic<int> held = 0; // listings waiting at the gate

    void openGate() { m_gate->count_down(); }

    DIR* opendir(const char* path) override {
        if (!marked.isEmpty() && QByteArray(path).contains(marked)) {
            if (throws)
                throw std::bad_alloc();
            ++held;
            m_gate->wait();
        }
        return FolderCalls::opendir(path);
    }

private:
    std::shared_ptr<std::latch> m_gate = std::make_shared<std::latch>(1);
};

} // namespace tagmill
