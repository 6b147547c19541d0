// NormalIndex, one normal at a time and four at a time (NormalIndices),
// against a literal search over all 162 table entries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "md2/normal_index.h"
#include "md2/md2_normals.h"
#include "support/literal_normal_index.h"
#include "support/normal_grid_build.h"
#include "support/test_env.h"

namespace {

Vector3 Entry(int i) { return {kMd2Normals[i][0], kMd2Normals[i][1], kMd2Normals[i][2]}; }

Vector3 Scaled(const Vector3& v, float s) { return {v.x * s, v.y * s, v.z * s}; }

Vector3 Normalized(const Vector3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return Scaled(v, 1.0f / length);
}

// A normal inside a larger record, as the posed vertices hold them.
struct NormalRecord {
    float before;
    Vector3 normal;
    float after;
};

// Counts agreement of NormalIndex with the literal search and reports the
// first few normals that disagree; Finish then runs every normal checked
// through NormalIndices, from a strided array, against the same answers.
struct Agreement {
    int checked = 0;
    int agreed = 0;
    std::vector<NormalRecord> records;
    std::vector<std::uint8_t> expected;
    void Check(const Vector3& n) {
        ++checked;
        const int fast = NormalIndex(n);
        const int brute = BruteForceNormalIndex(n);
        records.push_back({1.0f, n, -1.0f});
        expected.push_back(static_cast<std::uint8_t>(brute));
        if (fast == brute) {
            ++agreed;
        } else if (checked - agreed <= 5) {
            ADD_FAILURE() << "normal (" << n.x << ", " << n.y << ", " << n.z << "): " << fast << " instead of "
                          << brute;
        }
    }
    // Answers the number of normals NormalIndices got right.
    int Finish() {
        std::vector<std::uint8_t> batch(records.size() + 1, 0xEE);
        NormalIndices(&records[0].normal, sizeof(NormalRecord), static_cast<int>(records.size()), batch.data());
        EXPECT_EQ(batch.back(), 0xEE) << "wrote past the end";
        int right = 0;
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (batch[i] == expected[i]) {
                ++right;
            } else if (records.size() - right <= 5) {
                const Vector3& n = records[i].normal;
                ADD_FAILURE() << "four at a time, normal (" << n.x << ", " << n.y << ", " << n.z
                              << "): " << int{batch[i]} << " instead of " << int{expected[i]};
            }
        }
        return right;
    }
};

TEST(NormalIndex, EveryTableEntryIsItsOwnIndex) {
    Agreement agreement;
    for (int i = 0; i < kMd2NormalCount; ++i) {
        EXPECT_EQ(NormalIndex(Entry(i)), i);
        agreement.Check(Entry(i));
        // Entries nudged inside and just outside the equality tolerance, and
        // lengthened so that the dot product passes 1 and the arc cosine is
        // not a number: the equality test alone makes them qualify.
        for (float nudge : {9.0e-5f, -9.0e-5f, 1.0e-4f, 2.0e-4f}) {
            const Vector3 e = Entry(i);
            agreement.Check({e.x + nudge, e.y - nudge, e.z + nudge});
        }
        for (float s : {1.00005f, 1.0001f, 0.99995f}) {
            agreement.Check(Scaled(Entry(i), s));
        }
    }
    EXPECT_EQ(agreement.agreed, agreement.checked);
    EXPECT_EQ(agreement.Finish(), agreement.checked);
}

TEST(NormalIndex, MidpointsOfEveryPairAgreeWithBruteForce) {
    Agreement agreement;
    for (int i = 0; i < kMd2NormalCount; ++i) {
        for (int j = i + 1; j < kMd2NormalCount; ++j) {
            const Vector3 a = Entry(i);
            const Vector3 b = Entry(j);
            const Vector3 mid = {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
            agreement.Check(mid);
            if (mid.x != 0 || mid.y != 0 || mid.z != 0) {
                agreement.Check(Normalized(mid));
            }
        }
    }
    // Every pair once, and once more normalised unless the pair is opposite.
    EXPECT_GT(agreement.checked, kMd2NormalCount * (kMd2NormalCount - 1) / 2);
    EXPECT_EQ(agreement.agreed, agreement.checked);
    EXPECT_EQ(agreement.Finish(), agreement.checked);
}

TEST(NormalIndex, AxesZeroAndNonFiniteNormals) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    // No entry lies within 1 radian of a zero normal or of anything not finite.
    const std::vector<Vector3> none = {{0, 0, 0},   {-0.0f, 0, -0.0f}, {kNaN, 0, 1},      {0, kNaN, 0},
                                       {kInf, 0, 0}, {0, 0, -kInf},    {kNaN, kNaN, kNaN}, {3e38f, 3e38f, -3e38f}};
    Agreement agreement;
    for (const Vector3& n : none) {
        EXPECT_EQ(NormalIndex(n), 0) << n.x << " " << n.y << " " << n.z;
        EXPECT_EQ(BruteForceNormalIndex(n), 0);
        agreement.Check(n);
        // Each among ordinary normals in a batch of four.
        agreement.Check({0, 1, 0});
        agreement.Check({0.6f, 0, 0.8f});
        agreement.Check({-0.48f, -0.6f, 0.64f});
    }
    EXPECT_EQ(agreement.Finish(), agreement.checked);
    // Each axis is a table entry of its own.
    const Vector3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const Vector3& axis : axes) {
        const int index = NormalIndex(axis);
        EXPECT_EQ(index, BruteForceNormalIndex(axis));
        EXPECT_EQ(kMd2Normals[index][0], axis.x);
        EXPECT_EQ(kMd2Normals[index][1], axis.y);
        EXPECT_EQ(kMd2Normals[index][2], axis.z);
    }
    EXPECT_EQ(NormalIndex({0, 0, 1}), 5);
}

// Ten million seeded random unit normals, in ten runs of a million each with
// a seed of its own (the runs go in parallel). The Windows program checks
// the first million; the native and sanitizer builds check all ten.
class RandomNormals : public ::testing::TestWithParam<int> {};

TEST_P(RandomNormals, AMillionAgreeWithBruteForce) {
    if (TestOnWindows() && GetParam() > 0) {
        GTEST_SKIP() << "the Windows run checks the first million";
    }
    std::mt19937 random(20240611u + static_cast<unsigned>(GetParam()));
    Agreement agreement;
    for (int k = 0; k < 1000000; ++k) {
        agreement.Check(RandomUnitNormal(random));
    }
    EXPECT_EQ(agreement.agreed, 1000000);
    EXPECT_EQ(agreement.Finish(), 1000000);
}

INSTANTIATE_TEST_SUITE_P(TenMillion, RandomNormals, ::testing::Range(0, 10));

// Normals that are not unit length (a scene without bones passes its host
// normals as they are) go through the whole rule; lengths around 1 and above
// make the dot product pass 1 for some entries and fall below 1 radian for
// others.
TEST(NormalIndex, NormalsOfOtherLengthsAgreeWithBruteForce) {
    std::mt19937 random(77u);
    const float lengths[] = {1e-30f, 1e-3f, 0.3f, 0.55f, 0.9f, 1.0001f, 1.2f, 1.9f, 3.0f, 1e3f, 1e30f};
    Agreement agreement;
    for (int k = 0; k < 10000; ++k) {
        const Vector3 direction = RandomUnitNormal(random);
        for (float length : lengths) {
            agreement.Check(Scaled(direction, length));
        }
    }
    // Subnormal and tiny components, beside zeros: the grid's cell lookup
    // must not divide by them.
    for (const Vector3& tiny : {Vector3{1e-40f, 0, 0}, Vector3{0, -1e-45f, 0}, Vector3{0, 0, 2e-39f},
                                Vector3{1e-45f, -3e-45f, 2e-45f}, Vector3{3e-38f, 0, 1e-45f}}) {
        agreement.Check(tiny);
    }
    EXPECT_EQ(agreement.agreed, agreement.checked);
    EXPECT_EQ(agreement.Finish(), agreement.checked);
}

}  // namespace

namespace {

// The grid the plug-in carries as a table is the one its derivation builds
// (corvane_normal_grid_table writes the rows again after a change).
TEST(NormalGridTable, MatchesItsDerivation) {
    static NormalGrid built{};
    BuildNormalGrid(&built);
    ASSERT_TRUE(built.usable);
    const NormalGrid& carried = TheNormalGrid();
    ASSERT_TRUE(carried.usable);
    for (int cell = 0; cell < kGridCells; ++cell) {
        for (int slot = 0; slot < kCandidateSlots; ++slot) {
            ASSERT_EQ(carried.candidates[cell][slot], built.candidates[cell][slot]) << "cell " << cell;
        }
    }
}

}  // namespace
