#include "shell/ApplicationError.h"
#include "platform/fakes/FakeMessageBoxes.h"
#include "shell/ErrorTrap.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tagmill;
using platform::FakeMessageBoxes;
using platform::Message;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

Message errorBox(const QString& text) {
    return {"Application Error", text, MessageButtons::Ok, MessageIcon::Exclamation};
}

TEST(ApplicationError, LocationsNameProjectModuleAndProcedure) {
    EXPECT_EQ(errorLocation("Gleaner", "Form1.PushButton7_Click"),
              "in Gleaner2021/08/31.Form1.PushButton7_Click ");
    EXPECT_EQ(errorLocation("Hollowfen", "AddFolder.GetSubDirectories2016"),
              "in Hollowfen2021/08/31.AddFolder.GetSubDirectories2016 ");
}

TEST(ApplicationError, BoxSaysWhatWhereAndWhomToTell) {
    FakeMessageBoxes boxes;
    ReportApplicationError(boxes, "Type mismatch", "in Gleaner2021/08/31.Form1.PushButton19_Click ",
                           104);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], errorBox("Type mismatch\r\n"
                                       "in Gleaner2021/08/31.Form1.PushButton19_Click at line 104"
                                       "\r\r"
                                       "Please email screenshot of this message to "
                                       "support@veldcraft.example"));
}

TEST(ErrorTrap, EachFailureIsReportedAndTheProcedureGoesOn) {
    FakeMessageBoxes boxes;
    QStringList done;
    ErrorTrap trap(boxes, "Form1.Form_Load");
    trap.step(100, [&] { done << "100"; });
    trap.step(102, [&] {
        done << "102 began";
        throw std::runtime_error("first failure");
    });
    trap.step(104, [&] { done << "104"; });
    trap.step(110, [&] { throw std::runtime_error("second failure"); });
    trap.step(112, [&] { done << "112"; });

    EXPECT_EQ(done, QStringList({"100", "102 began", "104", "112"}));
    ASSERT_EQ(boxes.shown.size(), 2u);
    const QString tail = "\r\rPlease email screenshot of this message to support@veldcraft.example";
    EXPECT_EQ(boxes.shown[0],
              errorBox("first failure\r\nin Gleaner2021/08/31.Form1.Form_Load at line 102" + tail));
    EXPECT_EQ(
        boxes.shown[1],
        errorBox("second failure\r\nin Gleaner2021/08/31.Form1.Form_Load at line 110" + tail));
}

TEST(ErrorTrap, FailureInACalledOperationCarriesTheCallersPlace) {
    FakeMessageBoxes boxes;
    const auto deepOperation = [] { throw std::runtime_error("No such file or directory"); };
    ErrorTrap trap(boxes, "AddFolder.GetSubDirectories2016", "Hollowfen");
    trap.step(118, [&] { deepOperation(); });
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(
        "No such file or directory\r\nin Hollowfen2021/08/31.AddFolder.GetSubDirectories2016 at "
        "line 118\r\r"));
}

} // namespace
