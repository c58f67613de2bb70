#pragma once

#include <QString>

namespace tagmill {

/// The title of message boxes: the product name cut word by word, at least once, until it is
/// at most 40 characters long. A name without a blank stays whole.
QString applicationTitle(const QString& productName);

/// Names the running program for the desktop: task lists and menus show "Tagmill", and find its
/// desktop entry example.veldcraft.tagmill.desktop. Window captions stay as they are.
void nameApplication();

} // namespace tagmill
