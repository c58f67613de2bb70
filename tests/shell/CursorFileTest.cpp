#include "platform/qt/CursorFile.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tagmill::platform;

namespace {

QByteArray shipped(const QString& name) {
    QFile file(QStringLiteral(TAGMILL_SOURCE_DIR "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

TEST(CursorFile, ShippedHandPointsWithItsFingertip) {
    const QCursor hand = cursorFromFile(shipped("HAND-M.CUR"));
    EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
    EXPECT_EQ(hand.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(hand.hotSpot(), QPoint(11, 1));
}

TEST(CursorFile, ShippedDragIconIsAnImage) {
    EXPECT_EQ(cursorFromFile(shipped("drag.ico")).pixmap().size(), QSize(32, 32));
}

TEST(CursorFile, OtherImagesPointWithTheirCentre) {
    QImage image(20, 10, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&png, "PNG"));
    EXPECT_EQ(cursorFromFile(png.data()).hotSpot(), QPoint(10, 5));
}

TEST(CursorFile, BytesThatAreNoImageFail) {
    EXPECT_THROW(cursorFromFile("not an image"), std::runtime_error);
    EXPECT_THROW(cursorFromFile({}), std::runtime_error);
}

} // namespace
