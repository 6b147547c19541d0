// Every truncation of a valid file and single-byte changes of its header and
// first records: each must answer 0, 1 or 3 without a crash, a leak or a
// sanitizer report, and leave the model empty after a failure.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/md2_builder.h"
#include "unit/md2/md2_test_support.h"

namespace {

using Md2Sweep = Md2ReaderTest;

// Whatever the answer, the model must be consistent with it.
void ExpectModelMatchesAnswer(int answer, const std::vector<std::uint8_t>& file) {
    if (answer != 1) {
        ExpectModelEmpty();
        return;
    }
    const Md2Model* model = TestModel();
    EXPECT_EQ(model->frameCount, GetI32(file, kFieldNumFrames));
    EXPECT_EQ(model->skinCount, GetI32(file, kFieldNumSkins));
    EXPECT_EQ(model->texCoordCount, GetI32(file, kFieldNumSt));
    EXPECT_EQ(model->triangleCount, GetI32(file, kFieldNumTris));
    for (int f = 0; f < model->frameCount; ++f) {
        EXPECT_EQ(model->frames[f].vertexCount, GetI32(file, kFieldNumXyz));
    }
}

TEST_F(Md2Sweep, EveryTruncationOfAValidFile) {
    Md2Layout layout;
    const std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(3, 5, 4, 3), &layout);
    const std::size_t framesEnd = layout.ofsGlcmds;
    for (std::size_t length = 0; length <= file.size(); ++length) {
        std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        auto scene = NewScene();
        int answer = ParseBytes(cut, scene.get());
        // The GL commands are never read: only they may be cut away.
        EXPECT_EQ(answer, length >= framesEnd ? 1 : 0) << "length " << length;
        EXPECT_TRUE(ErrorTextIsEmpty(*scene)) << "length " << length;
        if (length >= kMd2BuilderHeaderBytes) {
            ExpectModelMatchesAnswer(answer, cut);
        } else {
            ExpectModelEmpty();
        }
    }
}

TEST_F(Md2Sweep, EveryByteOfTheHeaderAndFirstRecordsChanged) {
    Md2Layout layout;
    const Md2BuilderModel source = MakeSampleMd2Model(2, 4, 3, 2);
    const std::vector<std::uint8_t> file = BuildMd2File(source, &layout);
    int answers[4] = {};
    for (std::size_t position : Md2MutationPositions(layout, source)) {
        for (int kind = 0; kind < kMd2MutationKinds; ++kind) {
            std::vector<std::uint8_t> changed = MutateByte(file, position, kind);
            int answer = ParseBytes(changed);
            ASSERT_TRUE(answer == 0 || answer == 1 || answer == 3) << position << "/" << kind;
            if (position < 4 && changed[position] != file[position]) {
                EXPECT_EQ(answer, 3) << position << "/" << kind;
            }
            ExpectModelMatchesAnswer(answer, changed);
            ++answers[answer];
        }
    }
    // The sweep reaches both the accepting and the refusing paths.
    EXPECT_GT(answers[0], 0);
    EXPECT_GT(answers[1], 0);
    EXPECT_GT(answers[3], 0);
}

}  // namespace
