// The shared box, the coordinate and name encoding, and the frames that the
// frame writers produce for static and animated scenes.
#include <gtest/gtest.h>

#include <cmath>
#include <clocale>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "anim/frame_sampling.h"
#include "anim/pose_evaluation.h"
#include "md2/normal_index.h"
#include "export/frame_encoding.h"
#include "export/frame_plan.h"
#include "md2/md2_normals.h"
#include "support/decoded_frame.h"
#include "unit/export/export_writer_test_support.h"

namespace {

using writertest::FieldText;
using writertest::GetF32;
using writertest::WriterTest;

TEST(FrameEncoding, CoordinateIsTruncatedLowByteWithoutRoundingOrClamping) {
    EXPECT_EQ(EncodeCoordinate(254.99f, 0, 1), 254);
    EXPECT_EQ(EncodeCoordinate(255.0f, 0, 1), 255);
    EXPECT_EQ(EncodeCoordinate(0.999f, 0, 1), 0);
    // Outside the box: the low 8 bits of the truncated value.
    EXPECT_EQ(EncodeCoordinate(256.5f, 0, 1), 0);
    EXPECT_EQ(EncodeCoordinate(300.0f, 0, 1), 44);
    EXPECT_EQ(EncodeCoordinate(-1.5f, 0, 1), 255);
    EXPECT_EQ(EncodeCoordinate(-0.5f, 0, 1), 0);
    // Position minus translate, divided by the scale.
    EXPECT_EQ(EncodeCoordinate(7.0f, -3.0f, 0.5f), 20);
    EXPECT_EQ(EncodeCoordinate(-3.0f, -3.0f, 0.5f), 0);
    EXPECT_EQ(EncodeCoordinate(2.0f, 1.0f, 0.25f), 4);
    // A scale of 0 is not divided by.
    EXPECT_EQ(EncodeCoordinate(5.0f, 2.0f, 0.0f), 3);
    // Values without an integer give 0.
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(EncodeCoordinate(kNaN, 0, 1), 0);
    EXPECT_EQ(EncodeCoordinate(1.0f, 0, kNaN), 0);
    EXPECT_EQ(EncodeCoordinate(kInf, 0, 1), 0);
    EXPECT_EQ(EncodeCoordinate(1e30f, 0, 1), 0);
    EXPECT_EQ(EncodeCoordinate(-1e30f, 0, 1), 0);
    EXPECT_EQ(EncodeCoordinate(1.0f, 0, 1e-40f), 0);  // 1e40 has no int64
}

// The multibyte text of the current C runtime locale for the name tests:
// UTF-8 natively; under Windows the Japanese code page 932 (Shift-JIS), set
// for the test's length. Empty when the locale cannot be had.
struct MultibyteLocale {
    const char* twoByteCharacter = "";  // one character of two bytes
    MultibyteLocale() {
#ifdef _WIN32
        if (std::setlocale(LC_CTYPE, ".932") != nullptr) {
            twoByteCharacter = "\x82\xa0";  // HIRAGANA LETTER A
        }
#else
        twoByteCharacter = "\xc3\xa9";  // LATIN SMALL LETTER E WITH ACUTE
#endif
    }
    ~MultibyteLocale() { std::setlocale(LC_CTYPE, "C"); }
};

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// Stem, number and terminator always fit: a long stem is shortened at a
// whole character and the number stays.
TEST(FrameEncoding, FrameNameKeepsItsNumberAndTerminator) {
    MultibyteLocale locale;
    const std::string wide = locale.twoByteCharacter;
    struct Case {
        std::string stem;
        int number;
        std::string expected;  // the text before the zero padding
    };
    std::vector<Case> cases = {
        {"run", 2, "run2"},
        {"Frame", 0, "Frame0"},
        {"walkingcycl", 9999, "walkingcycl9999"},     // 15 characters and a terminator
        {"abcdefghijklmn", 12, "abcdefghijklm12"},    // the stem gives way to the number
        {"abcdefghijklmno", 10, "abcdefghijklm10"},
        {"walk", 16777215, "walk16777215"},
        {std::string(400, 'q'), 1, std::string(14, 'q') + "1"},  // read no further than a TextPair half
        {"", -5, "-5"},
    };
    if (!wide.empty()) {
        // Eleven two-byte characters (22 bytes): whole characters only.
        cases.push_back({Repeat(wide, 11), 3, Repeat(wide, 7) + "3"});
        cases.push_back({Repeat(wide, 11), 10, Repeat(wide, 6) + "10"});
        cases.push_back({"a" + Repeat(wide, 10), 10, "a" + Repeat(wide, 6) + "10"});
    }
    for (const Case& c : cases) {
        unsigned char field[kMd2FrameNameChars + 8];
        std::memset(field, 0xAB, sizeof(field));
        ComposeFrameName(reinterpret_cast<char*>(field), c.stem.c_str(), c.number);
        ASSERT_LT(c.expected.size(), kMd2FrameNameChars);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(field), c.expected.size()), c.expected) << c.number;
        for (std::size_t i = c.expected.size(); i < kMd2FrameNameChars; ++i) {
            EXPECT_EQ(field[i], 0) << c.expected << " byte " << i;
        }
        for (std::size_t i = kMd2FrameNameChars; i < sizeof(field); ++i) {
            EXPECT_EQ(field[i], 0xAB) << c.expected << ": byte " << i << " past the field was written";
        }
    }
    if (wide.empty()) {
        GTEST_SKIP() << "multibyte stems not tried: the C runtime takes no multibyte code page (setlocale .932)";
    }
}

using FrameWriting = WriterTest;

// Bounds of size 10 on x give scale 1 / (255 / 10) and translate min.x; a
// flat z axis keeps scale 1, and its bytes are 0. On y the size is one for
// which the reciprocal of 255 / size differs in the last bit from size / 255.
TEST_F(FrameWriting, SharedBoxFromTheBoundsAndFlatAxis) {
    float sizeY = 0;
    for (int k = 1; k < 1000 && sizeY == 0; ++k) {
        const float candidate = 0.37f * static_cast<float>(k);
        if (1.0f / (255.0f / candidate) != candidate / 255.0f) {
            sizeY = candidate;
        }
    }
    ASSERT_NE(sizeY, 0.0f);
    const int group = RefAddGroup(scene_, "body");
    AddTriangle(group, -3, 0, 2, 7, 0, 2, 0, sizeY, 2);
    WriteOk();
    const std::size_t frame = static_cast<std::size_t>(Field(kFieldOfsFrames));
    EXPECT_EQ(GetF32(bytes_, frame), 1.0f / (255.0f / 10.0f));
    EXPECT_EQ(GetF32(bytes_, frame + 4), 1.0f / (255.0f / sizeY));
    EXPECT_NE(GetF32(bytes_, frame + 4), sizeY / 255.0f);
    EXPECT_EQ(GetF32(bytes_, frame + 8), 1.0f);
    EXPECT_EQ(GetF32(bytes_, frame + 12), -3.0f);
    EXPECT_EQ(GetF32(bytes_, frame + 16), 0.0f);
    EXPECT_EQ(GetF32(bytes_, frame + 20), 2.0f);
    const std::size_t vertices = frame + kMd2FrameHeaderBytes;
    EXPECT_EQ(bytes_[vertices + 0], 0);  // x at min.x
    EXPECT_EQ(bytes_[vertices + 1], 0);  // y at min.y
    // x at max.x: 10 / (1 / 25.5) is 254.99998 in single precision, truncated.
    EXPECT_EQ(bytes_[vertices + 4 + 0], 254);
    for (int v = 0; v < 3; ++v) {
        EXPECT_EQ(bytes_[vertices + 4 * v + 2], 0) << v;  // the flat axis
    }
}

TEST_F(FrameWriting, StaticSceneWritesOneRestFrameNamedFrame0) {
    const int group = RefAddGroup(scene_, "body");
    AddTriangle(group, 0, 0, 0, 4, 0, 0, 0, 2, 1);
    RefSetVertexNormal(scene_, 0, 0, 0, 1);
    RefSetVertexNormal(scene_, 1, 1, 0, 0);
    RefSetVertexNormal(scene_, 2, 0, 0, 0);
    WriteOk();
    EXPECT_EQ(Field(kFieldNumFrames), 1);
    EXPECT_EQ(Field(kFieldFrameSize), 40 + 4 * 3);
    EXPECT_EQ(Field(kFieldOfsGlcmds) - Field(kFieldOfsFrames), 40 + 4 * 3);
    const std::size_t frame = static_cast<std::size_t>(Field(kFieldOfsFrames));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes_[frame + 24]), 16), std::string("Frame0") + std::string(10, '\0'));
    // Without bones the rest pose keeps the normals the working array took
    // from the host: two table directions and a zero normal.
    for (int v = 0; v < 3; ++v) {
        const Vector3& normal = pose_.posedVertices.items[v].normal;
        const int index = bytes_[frame + 40 + 4 * v + 3];
        if (v < 2) {
            EXPECT_EQ(kMd2Normals[index][0], normal.x) << v;
            EXPECT_EQ(kMd2Normals[index][1], normal.y) << v;
            EXPECT_EQ(kMd2Normals[index][2], normal.z) << v;
        } else {
            EXPECT_EQ(index, 0);
        }
    }
    const Md2Model* model = ParseWritten();
    ASSERT_EQ(model->frameCount, 1);
    EXPECT_STREQ(model->frames[0].name, "Frame0");
    const std::vector<Md2Position> positions = DecodedFrame(model->frames[0]);
    ASSERT_EQ(positions.size(), 3u);
    EXPECT_NEAR(positions[1].x, 4.0f, 4.0f / 255);
    EXPECT_NEAR(positions[2].y, 2.0f, 2.0f / 255);
    EXPECT_NEAR(positions[2].z, 1.0f, 1.0f / 255);
}

// One bone moved along x by its position keys; every vertex follows it.
class AnimatedFrames : public WriterTest {
protected:
    void BuildSlidingScene() {
        RefAddBone(scene_, RefBoneSetup{});
        const int group = RefAddGroup(scene_, "body");
        AddTriangle(group, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f);
        for (int v = 0; v < 3; ++v) {
            RefSetVertexWeights(scene_, v, {{0, 1.0f}});
        }
        const int run = RefAddAnimation(scene_, "run", 3, 0, 1);   // 3 frames: t = 0, 1/3, 2/3
        const int walk = RefAddAnimation(scene_, "walk", 2, 0, 1);  // 2 frames: t = 0, 1/2
        RefSetTrack(scene_, run, 0, {{0, 0, 0, 0}, {1, 3, 0, 0}}, {}, {});
        RefSetTrack(scene_, walk, 0, {{0, 0, 0, 0}, {1, 0, 2, 0}}, {}, {});
    }
};

TEST_F(AnimatedFrames, FramesPerAnimationNumberedFromZeroWithSharedBox) {
    BuildSlidingScene();
    WriteOk();
    ASSERT_EQ(Field(kFieldNumFrames), 5);
    const int frameSize = Field(kFieldFrameSize);
    ASSERT_EQ(frameSize, 40 + 4 * 3);
    EXPECT_EQ(Field(kFieldOfsGlcmds), Field(kFieldOfsFrames) + 5 * frameSize);
    const char* names[] = {"run0", "run1", "run2", "walk0", "walk1"};
    const std::size_t first = static_cast<std::size_t>(Field(kFieldOfsFrames));
    for (int f = 0; f < 5; ++f) {
        const std::size_t frame = first + static_cast<std::size_t>(f * frameSize);
        EXPECT_EQ(FieldText(bytes_, frame + 24, 16), names[f]);
        EXPECT_EQ(std::memcmp(&bytes_[frame], &bytes_[first], 24), 0) << "frame " << f << " has its own box";
    }

    // Every frame holds the pose at its sample time, to within one step of
    // the shared box per axis.
    const Md2Model* model = ParseWritten();
    ASSERT_EQ(model->frameCount, 5);
    const float step[3] = {GetF32(bytes_, first), GetF32(bytes_, first + 4), GetF32(bytes_, first + 8)};
    int f = 0;
    for (int a = 0; a < 2; ++a) {
        HostAnimation* animation = &Host()->animations.items[a];
        for (int i = 0; i < AnimationFrameCount(animation); ++i, ++f) {
            EvaluatePose(&pose_, Host(), animation, AnimationSampleTime(AnimationSampleStep(animation), i));
            const std::vector<Md2Position> positions = DecodedFrame(model->frames[f]);
            ASSERT_EQ(positions.size(), 3u);
            for (int v = 0; v < 3; ++v) {
                const Md2Position& decoded = positions[static_cast<std::size_t>(v)];
                const Vector3& posed = pose_.posedVertices.items[v].position;
                EXPECT_NEAR(decoded.x, posed.x, step[0] + 1e-5f) << names[f] << " vertex " << v;
                EXPECT_NEAR(decoded.y, posed.y, step[1] + 1e-5f) << names[f] << " vertex " << v;
                EXPECT_NEAR(decoded.z, posed.z, step[2] + 1e-5f) << names[f] << " vertex " << v;
            }
        }
    }
    // run2 has the bone at x = 2, walk1 at y = 1.
    EXPECT_NEAR(DecodedFrame(model->frames[2])[1].x, 3.0f, step[0] + 1e-5f);
    EXPECT_NEAR(DecodedFrame(model->frames[4])[2].y, 2.0f, step[1] + 1e-5f);
}

TEST_F(AnimatedFrames, PosedNormalsAreEncoded) {
    BuildSlidingScene();
    WriteOk();
    // Posing recomputes the normal from the positions: (1, 0, 0) x (0, 1, 0.5), normalised.
    const Vector3 expected = {0, -0.4472136f, 0.8944272f};
    const std::size_t vertices = static_cast<std::size_t>(Field(kFieldOfsFrames)) + 40;
    for (int v = 0; v < 3; ++v) {
        EXPECT_EQ(bytes_[vertices + 4 * v + 3], NormalIndex(expected)) << v;
    }
}

// A list that is present but holds no animation is no list: one rest frame.
TEST_F(AnimatedFrames, AnAnimationListWithoutAnimationsWritesTheRestFrame) {
    const int group = RefAddGroup(scene_, "body");
    AddTriangle(group, 0, 0, 0, 1, 0, 0, 0, 1, 0);
    RefSetPresence(scene_, RefList::Animations, RefPresence::Present);
    ASSERT_NE(Host()->animations.items, nullptr);
    EXPECT_EQ(ExportFrameTotal(Host()), 1);
    WriteOk();
    EXPECT_EQ(Field(kFieldNumFrames), 1);
    EXPECT_EQ(Field(kFieldFrameSize), 40 + 4 * 3);
    EXPECT_EQ(Field(kFieldOfsGlcmds), Field(kFieldOfsFrames) + 40 + 4 * 3);
    EXPECT_EQ(FieldText(bytes_, static_cast<std::size_t>(Field(kFieldOfsFrames)) + 24, 16), "Frame0");
}

// Eleven frames of an animation named with 15 characters: the stem gives
// way to the number, so frames 9 and 10 keep distinct names, each with its
// terminator, and the vertices after the name are untouched.
TEST_F(AnimatedFrames, LongComposedNamesStayInTheirField) {
    const int group = RefAddGroup(scene_, "body");
    AddTriangle(group, 0, 0, 0, 1, 0, 0, 0, 1, 0);
    RefAddAnimation(scene_, "abcdefghijklmno", 11, 0, 1);
    WriteOk();
    ASSERT_EQ(Field(kFieldNumFrames), 11);
    const int frameSize = Field(kFieldFrameSize);
    const std::size_t first = static_cast<std::size_t>(Field(kFieldOfsFrames));
    const std::size_t tenth = first + static_cast<std::size_t>(10 * frameSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes_[tenth + 24]), 16), std::string("abcdefghijklm10\0", 16));
    EXPECT_EQ(FieldText(bytes_, first + 24, 16), "abcdefghijklmn0");
    // No bones: every frame holds the same vertices.
    EXPECT_EQ(std::memcmp(&bytes_[tenth + 40], &bytes_[first + 40], 12), 0);
    const Md2Model* model = ParseWritten();
    ASSERT_EQ(model->frameCount, 11);
    EXPECT_STREQ(model->frames[10].name, "abcdefghijklm10");
    EXPECT_STREQ(model->frames[9].name, "abcdefghijklmn9");
}

}  // namespace
