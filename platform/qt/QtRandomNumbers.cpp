#include "platform/qt/QtRandomNumbers.h"

#include <QRandomGenerator>

namespace tagmill::platform {

double QtRandomNumbers::fraction() {
    return QRandomGenerator::global()->generateDouble();
}

} // namespace tagmill::platform
