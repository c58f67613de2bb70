#pragma once

#include <QString>

class QWidget;

namespace tagmill::platform {

/// The pointers the main window shows.
enum class Pointer { Arrow, Busy, Custom };

/// Draws the window's pointer.
class PointerShapes {
public:
    virtual ~PointerShapes() = default;
    /// Takes the custom pointer's image from a cursor file. Until then the custom pointer looks
    /// like the arrow. Throws std::runtime_error when the file holds no image.
    virtual void loadCustom(const QString& path) = 0;
    /// Shows the pointer wherever the mouse is over the window.
    virtual void show(QWidget& window, Pointer pointer) = 0;
    /// Shows the image of an icon file as the pointer over one control, such as a list whose
    /// entries are being moved; the system's move pointer when the file holds no image.
    virtual void showIconOver(QWidget& control, const QString& iconFile) = 0;
    /// Gives the control the window's pointer back.
    virtual void clearOver(QWidget& control) = 0;
};

} // namespace tagmill::platform
