// A batch copies each value with loads and stores that overlap as the length needs, so every
// length must come out whole, next to values of every other length.

#include "engine/ValueBatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tagmill;

namespace {

std::vector<std::string> valuesOfEveryLength() {
    std::vector<std::string> values;
    for (std::size_t length = 0; length <= 70; ++length) {
        std::string value;
        for (std::size_t i = 0; i < length; ++i)
            value += char('a' + (length + i) % 26);
        values.push_back(value);
    }
    return values;
}

void expectHolds(const ValueBatch& batch, const std::vector<std::string>& values) {
    ASSERT_EQ(batch.count(), values.size());
    std::string all;
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(batch.value(i), values[i]) << "value " << i;
        all += values[i];
        EXPECT_EQ(batch.endOf(i), all.size()) << "value " << i;
    }
    EXPECT_EQ(batch.text(), all);
    EXPECT_EQ(batch.byteSize(), all.size() + values.size() * sizeof(std::size_t));
}

} // namespace

TEST(ValueBatch, EveryLengthComesOutWholeAfterGrowingAndClearing) {
    const std::vector<std::string> values = valuesOfEveryLength();
    ValueBatch batch;
    EXPECT_TRUE(batch.empty());
    EXPECT_EQ(batch.text(), "");
    for (int round = 0; round < 3; ++round) { // the second and third use the kept memory
        for (const std::string& value : values)
            batch.append(value);
        expectHolds(batch, values);
        // Longest first, then shortest: each value lands where the last one ended.
        ValueBatch reversed;
        for (auto value = values.rbegin(); value != values.rend(); ++value)
            reversed.append(*value);
        expectHolds(reversed, std::vector<std::string>(values.rbegin(), values.rend()));
        batch.clear();
        EXPECT_TRUE(batch.empty());
        EXPECT_EQ(batch.textSize(), 0u);
    }
}

TEST(ValueBatch, CopiesKeepTheValuesAndMovesHandThemOn) {
    const std::vector<std::string> values = valuesOfEveryLength();
    ValueBatch batch;
    for (const std::string& value : values)
        batch.append(value);

    ValueBatch copy(batch);
    expectHolds(copy, values);
    ValueBatch ofEmpty;
    ofEmpty.append("");
    expectHolds(ValueBatch(ofEmpty), {""});
    EXPECT_NE(ofEmpty.value(0).data(), nullptr) << "bytes of no value may still go to memcpy";
    const ValueBatch none;
    expectHolds(ValueBatch(none), {});
    ValueBatch assigned;
    assigned.append("replaced");
    assigned = batch;
    expectHolds(assigned, values);

    ValueBatch moved(std::move(copy));
    expectHolds(moved, values);
    EXPECT_TRUE(copy.empty()); // NOLINT(bugprone-use-after-move): a moved batch is empty
    copy.append("again");
    expectHolds(copy, {"again"});

    assigned = std::move(moved);
    expectHolds(assigned, values);
    EXPECT_TRUE(moved.empty()); // NOLINT(bugprone-use-after-move)
    expectHolds(batch, values);
}
