#pragma once

#include "platform/PointerShapes.h"

namespace tagmill {

/// The main window's pointer. The hourglass doubles as the busy flag: while it shows, a long
/// command is at work and the commands that would pull entries from under it do nothing.
class WindowPointer {
public:
    WindowPointer(platform::PointerShapes& shapes, QWidget& window)
        : m_shapes(shapes), m_window(window) {}

    platform::Pointer current() const { return m_pointer; }
    bool isBusy() const { return m_pointer == platform::Pointer::Busy; }
    void set(platform::Pointer pointer);

private:
    platform::PointerShapes& m_shapes;
    QWidget& m_window;
    platform::Pointer m_pointer = platform::Pointer::Arrow;
};

} // namespace tagmill
