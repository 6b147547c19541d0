// Decoding of MD2 bytes into the model: every section and the format's edge
// cases.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "md2/read_cursor.h"
#include "support/md2_builder.h"
#include "unit/md2/md2_test_support.h"
#include "support/decoded_frame.h"
#include "support/md2_decode.h"

namespace {

float Decoded(std::uint8_t byte, float scale, float translate) { return DecodeMd2Coordinate(byte, scale, translate); }

void ExpectFrameMatches(const Md2Frame& frame, const Md2BuilderFrame& source, int vertexCount) {
    ASSERT_EQ(frame.vertexCount, vertexCount);
    const std::vector<Md2Position> positions = DecodedFrame(frame);
    for (int i = 0; i < vertexCount; ++i) {
        const auto& bytes = source.vertices[static_cast<std::size_t>(i)];
        const Md2Position& position = positions[static_cast<std::size_t>(i)];
        EXPECT_EQ(position.x, Decoded(bytes[0], source.scale[0], source.translate[0])) << i;
        EXPECT_EQ(position.y, Decoded(bytes[1], source.scale[1], source.translate[1])) << i;
        EXPECT_EQ(position.z, Decoded(bytes[2], source.scale[2], source.translate[2])) << i;
    }
}

using Md2Parse = Md2ReaderTest;

TEST_F(Md2Parse, DecodesEverySectionOfAValidFile) {
    Md2BuilderModel source = MakeSampleMd2Model(3, 7, 5, 4);
    auto scene = NewScene();
    ASSERT_EQ(ParseBytes(BuildMd2File(source), scene.get()), 1);
    EXPECT_TRUE(ErrorTextIsEmpty(*scene));

    const Md2Model* model = TestModel();
    ASSERT_EQ(model->skinCount, 3);
    EXPECT_EQ(SkinNameOf(model->skins[0]), u"skin0.pcx");
    EXPECT_EQ(SkinNameOf(model->skins[2]), u"skin2.pcx");

    ASSERT_EQ(model->texCoordCount, 15);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(model->texCoords[i].u, static_cast<float>(source.texCoords[i][0]) * (1.0f / 128.0f)) << i;
        EXPECT_EQ(model->texCoords[i].v, static_cast<float>(source.texCoords[i][1]) * (1.0f / 64.0f)) << i;
    }

    ASSERT_EQ(model->triangleCount, 5);
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(model->triangles[n].cornerCount, 3);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(model->triangles[n].vertexIndices[k], source.triangles[n][k]);
            EXPECT_EQ(model->triangles[n].texCoordIndices[k], source.triangles[n][3 + k]);
        }
    }

    ASSERT_EQ(model->frameCount, 4);
    for (int f = 0; f < 4; ++f) {
        EXPECT_STREQ(model->frames[f].name, source.frames[f].name.c_str());
        ExpectFrameMatches(model->frames[f], source.frames[f], 7);
    }
    EXPECT_EQ(TestRecord()->selectedFrame, 0);
}

TEST_F(Md2Parse, MagicInReverseOrderIsNotAnMd2File) {
    std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(1, 3, 1, 1));
    file[0] = 0x32;
    file[1] = 0x50;
    file[2] = 0x44;
    file[3] = 0x49;
    auto scene = NewScene();
    EXPECT_EQ(ParseBytes(file, scene.get()), 3);
    EXPECT_TRUE(ErrorTextIsEmpty(*scene));
    ExpectModelEmpty();
}

TEST_F(Md2Parse, AnyVersionReadsLikeVersion8) {
    Md2BuilderModel source = MakeSampleMd2Model(1, 4, 2, 2);
    for (std::int32_t version : {7, 0, -1, 9}) {
        source.version = version;
        ASSERT_EQ(ParseBytes(BuildMd2File(source)), 1) << version;
        EXPECT_EQ(TestModel()->frameCount, 2);
        ExpectFrameMatches(TestModel()->frames[1], source.frames[1], 4);
    }
}

TEST_F(Md2Parse, FramesAreSteppedByVertexCountWhateverFramesizeSays) {
    Md2BuilderModel source = MakeSampleMd2Model(0, 5, 2, 3);
    std::vector<std::uint8_t> file = BuildMd2File(source);
    for (std::int32_t framesize : {0, 40 + 4 * 5 + 8, 40 + 4 * 5 - 4, -1}) {
        PutI32(file, kFieldFrameSize, framesize);
        ASSERT_EQ(ParseBytes(file), 1) << framesize;
        for (int f = 0; f < 3; ++f) {
            EXPECT_STREQ(TestModel()->frames[f].name, source.frames[f].name.c_str());
            ExpectFrameMatches(TestModel()->frames[f], source.frames[f], 5);
        }
    }
}

TEST_F(Md2Parse, FrameNamesUpToSixteenCharactersWithoutTerminator) {
    Md2BuilderModel source = MakeSampleMd2Model(0, 2, 1, 3);
    source.frames[0].name = "abcdefghijklmnop";  // all 16 bytes, no NUL
    source.frames[1].name = "";
    source.frames[2].name = std::string("run") + '\0' + "junk";
    ASSERT_EQ(ParseBytes(BuildMd2File(source)), 1);
    EXPECT_STREQ(TestModel()->frames[0].name, "abcdefghijklmnop");
    EXPECT_STREQ(TestModel()->frames[1].name, "");
    EXPECT_STREQ(TestModel()->frames[2].name, "run");
}

TEST_F(Md2Parse, SkinsKeepOnlyFileNameAndExtension) {
    Md2BuilderModel source = MakeSampleMd2Model(0, 3, 1, 1);
    const std::string sixtyFour(64, 'k');
    source.skins = {
        sixtyFour,                                          // 64 characters, no NUL
        "players/" + std::string(52, 'n') + ".pcx",         // 64 characters with a directory
        "",                                                 // empty
        "C:\\quake2\\baseq2\\models\\tris.pcx",             // drive and directories
        "models/weapons2/",                                 // ends in a separator
        "plain.pcx",
    };
    ASSERT_EQ(ParseBytes(BuildMd2File(source)), 1);
    const Md2Model* model = TestModel();
    ASSERT_EQ(model->skinCount, 6);
    EXPECT_EQ(SkinNameOf(model->skins[0]), std::u16string(64, u'k'));
    EXPECT_EQ(SkinNameOf(model->skins[1]), std::u16string(52, u'n') + u".pcx");
    EXPECT_EQ(SkinNameOf(model->skins[2]), u"blank");
    EXPECT_EQ(SkinNameOf(model->skins[3]), u"tris.pcx");
    EXPECT_EQ(SkinNameOf(model->skins[4]), u"blank");
    EXPECT_EQ(SkinNameOf(model->skins[5]), u"plain.pcx");
}

TEST_F(Md2Parse, TexCoordsAreSignedAndScaledByTheReciprocal) {
    Md2BuilderModel source = MakeSampleMd2Model(0, 3, 1, 1);
    source.skinWidth = 256;
    source.skinHeight = 3;
    source.texCoords = {{-16, 5}, {256, -3}, {32767, 7}};
    ASSERT_EQ(ParseBytes(BuildMd2File(source)), 1);
    const Md2TexCoord* st = TestModel()->texCoords;
    EXPECT_EQ(st[0].u, -0.0625f);
    EXPECT_EQ(st[1].u, 1.0f);
    EXPECT_EQ(st[2].u, 32767.0f / 256.0f);
    // 1 / 3 rounded to single precision first, then the product: 5 / 3 and
    // 7 / 3 round differently from it.
    const float third = 1.0f / 3.0f;
    EXPECT_EQ(st[0].v, 5.0f * third);
    EXPECT_NE(st[0].v, 5.0f / 3.0f);
    EXPECT_EQ(st[1].v, -3.0f * third);
    EXPECT_EQ(st[2].v, 7.0f * third);
}

TEST_F(Md2Parse, TriangleIndicesAreSignExtended) {
    Md2BuilderModel source = MakeSampleMd2Model(0, 3, 1, 1);
    source.triangles = {{-1, 0, 32767, -32768, 2, -1}};
    ASSERT_EQ(ParseBytes(BuildMd2File(source)), 1);
    const Md2Triangle& triangle = TestModel()->triangles[0];
    EXPECT_EQ(triangle.vertexIndices[0], -1);
    EXPECT_EQ(triangle.vertexIndices[2], 32767);
    EXPECT_EQ(triangle.texCoordIndices[0], -32768);
    EXPECT_EQ(triangle.texCoordIndices[2], -1);
}

TEST_F(Md2Parse, FramesWithoutVerticesRead) {
    ASSERT_EQ(ParseBytes(BuildMd2File(MakeSampleMd2Model(1, 0, 2, 3))), 1);
    ASSERT_EQ(TestModel()->frameCount, 3);
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(TestModel()->frames[f].vertexCount, 0);
        EXPECT_EQ(TestModel()->frames[f].vertices, nullptr);
    }
    EXPECT_STREQ(TestModel()->frames[2].name, "pose2");
}

TEST_F(Md2Parse, MissingGeometryFailsWithItsText) {
    for (std::size_t field : {kFieldNumFrames, kFieldNumTris, kFieldNumSt}) {
        std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(1, 3, 2, 2));
        PutI32(file, field, 0);
        auto scene = NewScene();
        EXPECT_EQ(ParseBytes(file, scene.get()), 0) << field;
        EXPECT_EQ(WideOf(scene->errorText), u"No geometry found.");
        EXPECT_EQ(NarrowOf(scene->errorText), "No geometry found.");
        ExpectModelEmpty();
    }
}

// Failures after the header that leave no text. Every section is measured
// against the file before anything is allocated, so a small file cannot make
// the read take gigabytes (or terabytes) of memory.
TEST_F(Md2Parse, BadSectionsFailWithoutText) {
    Md2Layout layout;
    const std::vector<std::uint8_t> valid = BuildMd2File(MakeSampleMd2Model(2, 3, 2, 2), &layout);
    const std::int32_t length = static_cast<std::int32_t>(valid.size());
    struct Case {
        std::size_t field;
        std::int32_t value;
    };
    const Case cases[] = {
        {kFieldSkinWidth, 0},         {kFieldSkinHeight, 0},
        {kFieldOfsSkins, length},     {kFieldOfsSt, length},
        {kFieldOfsTris, length},      {kFieldOfsFrames, length},
        {kFieldOfsFrames, -40},       {kFieldOfsSkins, length - 64},  // the second skin runs past the end
        {kFieldNumSkins, 1000},       {kFieldNumSt, 0x7FFFFFFF},
        {kFieldNumTris, 0x40000000},  {kFieldNumFrames, 3},
        {kFieldNumFrames, 100000000}, {kFieldNumXyz, 0x3FFFFFFF},
        {kFieldNumXyz, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> file = valid;
        PutI32(file, c.field, c.value);
        auto scene = NewScene();
        EXPECT_EQ(ParseBytes(file, scene.get()), 0) << c.field << " = " << c.value;
        EXPECT_TRUE(ErrorTextIsEmpty(*scene));
        ExpectModelEmpty();
    }
}

TEST_F(Md2Parse, NoSkinsStillNeedTheirOffsetInsideTheFile) {
    std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(0, 3, 1, 1));
    PutI32(file, kFieldOfsSkins, static_cast<std::int32_t>(file.size()) - 1);
    EXPECT_EQ(ParseBytes(file), 1);
    PutI32(file, kFieldOfsSkins, static_cast<std::int32_t>(file.size()));
    EXPECT_EQ(ParseBytes(file), 0);
    ExpectModelEmpty();
}

// Counts are checked as signed values before anything is allocated or
// decoded; unsigned loops over them would write into arrays never allocated.
TEST_F(Md2Parse, NegativeCountsFail) {
    for (std::size_t field : {kFieldNumSkins, kFieldNumXyz, kFieldNumSt, kFieldNumTris, kFieldNumFrames}) {
        for (std::int32_t value : {-1, -2, static_cast<std::int32_t>(0x80000000u)}) {
            std::vector<std::uint8_t> file = BuildMd2File(MakeSampleMd2Model(2, 3, 2, 2));
            PutI32(file, field, value);
            auto scene = NewScene();
            EXPECT_EQ(ParseBytes(file, scene.get()), 0) << field << " = " << value;
            EXPECT_TRUE(ErrorTextIsEmpty(*scene));
            ExpectModelEmpty();
        }
    }
}

TEST(Md2ReadCursor, ReadsStayInsideTheBuffer) {
    const std::uint8_t bytes[20] = {};
    ReadCursor cursor{bytes, 0, 20};
    EXPECT_FALSE(CursorSeek(&cursor, 20));
    ASSERT_TRUE(CursorSeek(&cursor, 10));
    // A count that would wrap a 32-bit sum back inside the buffer.
    EXPECT_EQ(CursorRead(&cursor, 0xFFFFFFFCu), nullptr);
    EXPECT_EQ(CursorRead(&cursor, 11), nullptr);
    EXPECT_EQ(cursor.position, 10u);
    EXPECT_EQ(CursorRead(&cursor, 10), bytes + 10);
    EXPECT_EQ(cursor.position, 20u);
    EXPECT_EQ(CursorRead(&cursor, 1), nullptr);
    EXPECT_EQ(CursorRead(&cursor, 0), bytes + 20);
}

}  // namespace

// Each refusal names its cause; the read request answers 3 only for another
// format and 0 for the rest.
TEST_F(Md2Parse, RefusalsSayWhichBoundOrSection) {
    const std::vector<std::uint8_t> good = BuildMd2File(MakeSampleMd2Model(2, 4, 3, 2));
    const auto size = static_cast<std::int32_t>(good.size());
    struct Case {
        const char* what;
        std::vector<std::pair<Md2HeaderField, std::int32_t>> fields;
        std::size_t length;  // 0: the whole file
        Md2ParseResult result;
        int answer;
    };
    const Case cases[] = {
        {"whole", {}, 0, Md2ParseResult::kLoaded, 1},
        {"short", {}, 67, Md2ParseResult::kTooShort, 0},
        {"magic", {{kFieldIdent, 0x1234}}, 0, Md2ParseResult::kNotMd2, 3},
        {"no frames", {{kFieldNumFrames, 0}}, 0, Md2ParseResult::kNoGeometry, 0},
        {"negative", {{kFieldNumSkins, -1}}, 0, Md2ParseResult::kNegativeCount, 0},
        {"skins at end", {{kFieldNumSkins, 0}, {kFieldOfsSkins, size}}, 0, Md2ParseResult::kSkinsOutside, 0},
        {"texcoords", {{kFieldOfsSt, size - 2}}, 0, Md2ParseResult::kTexCoordsOutside, 0},
        {"triangles", {{kFieldNumTris, 1 << 20}}, 0, Md2ParseResult::kTrianglesOutside, 0},
        {"frames", {{kFieldOfsFrames, -4}}, 0, Md2ParseResult::kFramesOutside, 0},
        {"flat skin", {{kFieldSkinHeight, 0}}, 0, Md2ParseResult::kFlatSkin, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes = good;
        for (const auto& [field, value] : c.fields) {
            PutI32(bytes, field, value);
        }
        bytes.resize(c.length > 0 ? c.length : bytes.size());
        ReadCursor cursor{bytes.data(), 0, static_cast<std::uint32_t>(bytes.size())};
        EXPECT_EQ(ParseMd2(&cursor, TestModel()), c.result);
        if (c.result != Md2ParseResult::kLoaded) {
            ExpectModelEmpty();
        }
        EXPECT_EQ(ParseBytes(bytes), c.answer);
        ReleaseImportRecord(TestRecord());
    }
}

// One section check for the reader and the tool: they differ only where a
// section may start at the file's end.
TEST(Md2SectionFits, RecordsLieWhollyInsideTheFile) {
    struct Case {
        std::uint32_t length;
        std::int32_t offset;
        std::int32_t count;
        std::uint64_t recordBytes;
        bool reader;
        bool tool;
    };
    const Case cases[] = {
        {100, 68, 8, 4, true, true},         // ends at the file's end
        {100, 68, 9, 4, false, false},       // one record past it
        {100, 100, 0, 4, false, true},       // no records at the end
        {100, 101, 0, 4, false, false},      // past the end
        {100, -1, 0, 4, false, false},       // negative offset
        {100, 0, -1, 4, false, false},       // negative count
        {0x7FFFFFFF, 0, 0x7FFFFFFF, 0x200000000ull, false, false},  // a product beyond 64 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.offset) + " " + std::to_string(c.count));
        EXPECT_EQ(Md2SectionFits(c.length, c.offset, c.count, c.recordBytes, Md2SectionRule::kReader), c.reader);
        EXPECT_EQ(Md2SectionFits(c.length, c.offset, c.count, c.recordBytes, Md2SectionRule::kTool), c.tool);
    }
}
