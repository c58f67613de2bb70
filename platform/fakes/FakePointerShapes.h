#pragma once

#include "platform/PointerShapes.h"

#include <optional>
#include <vector>

namespace tagmill::platform {

/// Records the custom pointer's file and every pointer shown.
class FakePointerShapes : public PointerShapes {
public:
    void loadCustom(const QString& path) override { customFile = path; }
    void show(QWidget&, Pointer pointer) override { shown.push_back(pointer); }

    std::optional<QString> customFile;
    std::vector<Pointer> shown;
};

} // namespace tagmill::platform
