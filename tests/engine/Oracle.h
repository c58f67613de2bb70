#pragma once

// A deliberately literal second implementation of the extraction rules, with 1-based positions
// and the arithmetic written step by step, so the fast searches can be checked against it.

#include "engine/ExtractionOption.h"

#include <QString>
#include <QStringList>

namespace tagmill::test {

struct OracleResult {
    QStringList values;
    int failures = 0;
};

/// Values of one file whose whole text is `text`, in delivery order.
OracleResult oracleExtract(tagmill::ExtractionOption option, const QString& text,
                           const QStringList& tags);

} // namespace tagmill::test
