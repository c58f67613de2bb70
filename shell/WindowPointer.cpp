#include "shell/WindowPointer.h"

namespace tagmill {

void WindowPointer::set(platform::Pointer pointer) {
    if (pointer == m_pointer)
        return;
    m_pointer = pointer;
    m_shapes.show(m_window, pointer);
}

} // namespace tagmill
