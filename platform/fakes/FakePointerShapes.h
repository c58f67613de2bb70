#pragma once

#include "platform/PointerShapes.h"

#include <optional>
#include <vector>

namespace tagmill::platform {

/// Records the custom pointer's file, every pointer shown and the icon shown over a control.
class FakePointerShapes : public PointerShapes {
public:
    void loadCustom(const QString& path) override { customFile = path; }
    void show(QWidget&, Pointer pointer) override { shown.push_back(pointer); }
    void showIconOver(QWidget&, const QString& iconFile) override { iconOver = iconFile; }
    void clearOver(QWidget&) override { iconOver.reset(); }

    std::optional<QString> customFile;
    std::vector<Pointer> shown;
    std::optional<QString> iconOver; // the icon file shown over a control, if any
};

} // namespace tagmill::platform
