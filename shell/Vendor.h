#pragma once

#include <QLatin1String>

namespace tagmill {

/// The product's name, as the window's caption shows it.
inline constexpr QLatin1String ProductName{"Tagmill"};
/// Where users send their questions and screenshots.
inline constexpr QLatin1String SupportAddress{"support@veldcraft.example"};
/// The maker's web site.
inline constexpr QLatin1String WebSite{"https://www.veldcraft.example/tagmill"};

} // namespace tagmill
