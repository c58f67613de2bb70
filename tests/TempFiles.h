#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"

namespace tagmill::test {

/// A temporary folder that tests fill with files of given bytes; removed with the fixture.
class TempFiles : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }
    QString pathOf(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

} // namespace tagmill::test
