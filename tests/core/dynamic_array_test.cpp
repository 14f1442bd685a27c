#include "base/dynamic_array.h"
#include "base/errors.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace fringel {
namespace {

// Runs `access` and returns the DynArrayOutOfRange it must raise.
template <typename F> DynArrayOutOfRange outOfRange(F access) {
    try {
        access();
    } catch (const DynArrayOutOfRange& e) {
        return e;
    }
    ADD_FAILURE() << "no DynArrayOutOfRange raised";
    return DynArrayOutOfRange(-999, -999);
}

struct BadIndexCase {
    std::int64_t length;
    std::int64_t index;
};

class DynamicArrayBadIndex : public ::testing::TestWithParam<BadIndexCase> {};

TEST_P(DynamicArrayBadIndex, RaisesWithIndexAndLength) {
    const std::int64_t length = GetParam().length;
    const std::int64_t index = GetParam().index;
    DynamicArray<int> a(length);
    const DynamicArray<int>& ca = a;

    const DynArrayOutOfRange e = outOfRange([&] { a[index] = 1; });
    EXPECT_EQ(e.index(), index);
    EXPECT_EQ(e.length(), length);
    const std::string what = e.what();
    EXPECT_NE(what.find(std::to_string(index)), std::string::npos) << what;
    EXPECT_NE(what.find("length " + std::to_string(length)), std::string::npos) << what;

    const DynArrayOutOfRange ce = outOfRange([&] { (void)ca[index]; });
    EXPECT_EQ(ce.index(), index);
    EXPECT_EQ(ce.length(), length);
    EXPECT_EQ(a.length(), length);
}

INSTANTIATE_TEST_SUITE_P(Indices, DynamicArrayBadIndex,
                         ::testing::Values(BadIndexCase{5, -1}, BadIndexCase{5, 5},
                                           BadIndexCase{5, 6}, BadIndexCase{0, 0},
                                           BadIndexCase{0, -1}, BadIndexCase{1, 1},
                                           BadIndexCase{3, INT64_MIN}));

TEST(DynamicArray, DefaultIsEmptyAndFirstAndLastIndicesWork) {
    DynamicArray<int> empty;
    EXPECT_EQ(empty.length(), 0);
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.begin(), empty.end());

    DynamicArray<int> a(4);
    a[0] = 10;
    a[3] = 13;
    EXPECT_EQ(a[0], 10);
    EXPECT_EQ(a[3], 13);
}

TEST(DynamicArray, NewElementsAreZero) {
    DynamicArray<double> a(6);
    for (double v : a)
        EXPECT_EQ(v, 0.0);
}

TEST(DynamicArray, CopiesShareTheirElements) {
    DynamicArray<int> a(3);
    DynamicArray<int> b = a;
    b[1] = 42;
    EXPECT_EQ(a[1], 42);
    EXPECT_TRUE(a.sharesWith(b));

    DynamicArray<int> c;
    c = a;
    a[2] = 7;
    EXPECT_EQ(c[2], 7);
}

TEST(DynamicArray, SetLengthKeepsTheFittingPrefixAndZeroFillsTheRest) {
    DynamicArray<int> a(4);
    for (int i = 0; i < 4; ++i)
        a[i] = i + 1;

    a.setLength(2);
    ASSERT_EQ(a.length(), 2);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 2);

    // Growing again must not bring back the values cut off before.
    a.setLength(5);
    ASSERT_EQ(a.length(), 5);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 2);
    for (int i = 2; i < 5; ++i)
        EXPECT_EQ(a[i], 0) << "element " << i;

    a.setLength(0);
    EXPECT_TRUE(a.empty());
    EXPECT_THROW(a[0], DynArrayOutOfRange);
}

TEST(DynamicArray, NegativeLengthIsRefusedAndChangesNothing) {
    DynamicArray<int> a(2);
    a[1] = 9;
    EXPECT_THROW(a.setLength(-1), DynArrayOutOfRange);
    ASSERT_EQ(a.length(), 2);
    EXPECT_EQ(a[1], 9);
    EXPECT_THROW(DynamicArray<int>(-3), DynArrayOutOfRange);
}

// Resizing one copy gives it storage of its own; the other copy keeps its length and values.
class SharedCopies : public ::testing::Test {
protected:
    void SetUp() override {
        original.setLength(4);
        for (int i = 0; i < 4; ++i)
            original[i] = 10 * (i + 1);
        copy = original;
    }
    void expectOriginalUntouched() {
        ASSERT_EQ(original.length(), 4);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(original[i], 10 * (i + 1));
    }
    DynamicArray<int> original;
    DynamicArray<int> copy;
};

TEST_F(SharedCopies, GrowingACopyDetachesIt) {
    copy.setLength(6);
    ASSERT_EQ(copy.length(), 6);
    EXPECT_EQ(copy[3], 40);
    EXPECT_EQ(copy[4], 0);
    EXPECT_EQ(copy[5], 0);
    copy[0] = -1;
    expectOriginalUntouched();
    EXPECT_FALSE(copy.sharesWith(original));
}

TEST_F(SharedCopies, ShrinkingACopyDetachesIt) {
    copy.setLength(2);
    copy[0] = -1;
    EXPECT_EQ(copy[1], 20);
    expectOriginalUntouched();
}

TEST_F(SharedCopies, SameLengthDetachesToo) {
    copy.setLength(4);
    copy[2] = -1;
    expectOriginalUntouched();
}

TEST_F(SharedCopies, EmptyingACopyLeavesTheOther) {
    copy.setLength(0);
    EXPECT_TRUE(copy.empty());
    expectOriginalUntouched();
}

TEST_F(SharedCopies, ResizingTheOriginalLeavesTheCopy) {
    original.setLength(1);
    ASSERT_EQ(copy.length(), 4);
    EXPECT_EQ(copy[3], 40);
}

TEST(DynamicArrayNested, NewInnerArraysAreEmptyAndCheckedByTheirOwnLength) {
    DynamicArray<DynamicArray<float>> outer(3);
    for (const auto& inner : outer)
        EXPECT_TRUE(inner.empty());

    outer[1].setLength(2);
    outer[1][1] = 2.5f;
    EXPECT_EQ(outer[1][1], 2.5f);

    const DynArrayOutOfRange e = outOfRange([&] { (void)outer[1][2]; });
    EXPECT_EQ(e.index(), 2);
    EXPECT_EQ(e.length(), 2);
    const DynArrayOutOfRange emptyInner = outOfRange([&] { (void)outer[0][0]; });
    EXPECT_EQ(emptyInner.length(), 0);
    const DynArrayOutOfRange outerMiss = outOfRange([&] { (void)outer[3]; });
    EXPECT_EQ(outerMiss.index(), 3);
    EXPECT_EQ(outerMiss.length(), 3);
}

TEST(DynamicArrayNested, GrowingTheOuterArrayKeepsTheInnerArrays) {
    DynamicArray<DynamicArray<int>> outer(1);
    outer[0].setLength(3);
    outer[0][2] = 5;
    outer.setLength(3);
    ASSERT_EQ(outer[0].length(), 3);
    EXPECT_EQ(outer[0][2], 5);
    EXPECT_TRUE(outer[1].empty());
    EXPECT_TRUE(outer[2].empty());
}

TEST(DynamicArrayNested, ACopyOfTheOuterArraySharesTheInnerArrays) {
    DynamicArray<DynamicArray<int>> a(2);
    a[0].setLength(2);
    DynamicArray<DynamicArray<int>> b = a;
    b.setLength(3); // b now has an outer array of its own
    b[0][1] = 8;    // but its first inner array is still the one a holds
    EXPECT_EQ(a[0][1], 8);
    EXPECT_EQ(a.length(), 2);
}

} // namespace
} // namespace fringel
