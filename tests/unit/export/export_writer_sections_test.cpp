// The sections WriteMd2 lays out: header, skins, texture coordinates,
// triangles, frames and the GL command terminator, read back raw and through
// the plug-in's reader.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "unit/export/export_writer_test_support.h"

namespace {

using writertest::FieldText;
using writertest::GetI16;
using writertest::SetSkinDirectory;
using writertest::WriterTest;

using Md2WriterSections = WriterTest;

// Two triangles with corners (a, b, c) and (d, e, f) of vertices 4, 0, 2 and
// 1, 5, 3; skins from two of four materials; texture coordinates that
// truncate toward zero and keep their low 16 bits.
TEST_F(Md2WriterSections, EverySectionInOrderWithFinalHeader) {
    RefAddMaterial(scene_, "plain", "");
    RefAddMaterial(scene_, "gun", "C:\\textures\\weapons\\gun.tga");
    RefAddMaterial(scene_, "decal", "C:\\textures\\decal.tga", 2);  // not an image file
    RefAddMaterial(scene_, "body", "/home/user/skins/body.pcx");
    for (int v = 0; v < 6; ++v) {
        RefAddVertex(scene_, static_cast<float>(v), static_cast<float>(v % 2), static_cast<float>(v % 3));
    }
    const float us[6] = {0.5f, 0.9999f, -0.3f, std::numeric_limits<float>::quiet_NaN(), 1e10f, 200.0f};
    const float vs[6] = {0.25f, 0.0f, 1.0f, -0.001f, -1e10f, 0.75f};
    for (int c = 0; c < 6; ++c) {
        RefAddTexCoord(scene_, us[c], vs[c]);
    }
    const int group = RefAddGroup(scene_, "body");
    RefAddFace(scene_, group, {4, 0, 2}, {0, 1, 2});
    RefAddFace(scene_, group, {1, 5, 3}, {3, 4, 5});
    CurrentExportSettings()->skinHeight = 128;
    WriteOk();

    EXPECT_EQ(FieldText(bytes_, kFieldIdent, 4), "IDP2");
    EXPECT_EQ(Field(kFieldVersion), 8);
    EXPECT_EQ(Field(kFieldSkinWidth), 256);
    EXPECT_EQ(Field(kFieldSkinHeight), 128);
    EXPECT_EQ(Field(kFieldNumSkins), 2);
    EXPECT_EQ(Field(kFieldNumXyz), 6);
    EXPECT_EQ(Field(kFieldNumSt), 6);
    EXPECT_EQ(Field(kFieldNumTris), 2);
    EXPECT_EQ(Field(kFieldNumGlcmds), 1);
    EXPECT_EQ(Field(kFieldNumFrames), 1);
    EXPECT_EQ(Field(kFieldFrameSize), 40 + 4 * 6);
    // Each section starts where the one before it ends.
    EXPECT_EQ(Field(kFieldOfsSkins), 68);
    EXPECT_EQ(Field(kFieldOfsSt), 68 + 2 * 64);
    EXPECT_EQ(Field(kFieldOfsTris), Field(kFieldOfsSt) + 6 * 4);
    EXPECT_EQ(Field(kFieldOfsFrames), Field(kFieldOfsTris) + 2 * 12);
    EXPECT_EQ(Field(kFieldOfsGlcmds), Field(kFieldOfsFrames) + 40 + 4 * 6);
    EXPECT_EQ(Field(kFieldOfsEnd), Field(kFieldOfsGlcmds) + 4);
    EXPECT_EQ(GetI32(bytes_, bytes_.size() - 4), 0);

    const std::size_t skins = 68;
    EXPECT_EQ(FieldText(bytes_, skins, 64), "models/weapons2/gun.tga");
    EXPECT_EQ(FieldText(bytes_, skins, 64).size(), 23u);
    EXPECT_EQ(FieldText(bytes_, skins + 64, 64), "models/weapons2/body.pcx");
    for (std::size_t i = 23; i < 64; ++i) {
        EXPECT_EQ(bytes_[skins + i], 0) << "skin padding byte " << i;
    }

    const std::size_t st = static_cast<std::size_t>(Field(kFieldOfsSt));
    const std::int16_t expectedS[6] = {128, 255, -76, 0, 0, -14336};  // 51200 keeps its low 16 bits
    const std::int16_t expectedT[6] = {32, 0, 128, 0, 0, 96};
    for (std::size_t c = 0; c < 6; ++c) {
        EXPECT_EQ(GetI16(bytes_, st + 4 * c), expectedS[c]) << "corner " << c;
        EXPECT_EQ(GetI16(bytes_, st + 4 * c + 2), expectedT[c]) << "corner " << c;
    }

    // (c, b, a | 2, 1, 0) and (f, e, d | 5, 4, 3).
    const std::size_t tris = static_cast<std::size_t>(Field(kFieldOfsTris));
    const std::int16_t expectedTris[12] = {2, 0, 4, 2, 1, 0, 3, 5, 1, 5, 4, 3};
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(GetI16(bytes_, tris + 2 * i), expectedTris[i]) << "triangle word " << i;
    }

    const Md2Model* model = ParseWritten();
    ASSERT_EQ(model->triangleCount, 2);
    EXPECT_EQ(model->triangles[1].vertexIndices[0], 3);
    EXPECT_EQ(model->triangles[1].texCoordIndices[2], 3);
    ASSERT_EQ(model->texCoordCount, 6);
    EXPECT_EQ(model->texCoords[0].u, 0.5f);
    EXPECT_EQ(model->texCoords[2].u, -76.0f / 256);
    EXPECT_EQ(model->texCoords[0].v, 0.25f);
    ASSERT_EQ(model->skinCount, 2);
    EXPECT_EQ(SkinNameOf(model->skins[0]), u"gun.tga");
}

// Without an image layer there are no skins; the coordinates are still
// scaled by the skin size settings.
TEST_F(Md2WriterSections, NoSkinMaterialGivesNoSkinRecords) {
    RefAddMaterial(scene_, "plain", "");
    RefAddTexCoord(scene_, 0.5f, 0.5f);
    const int group = RefAddGroup(scene_, "body");
    AddTriangle(group, 0, 0, 0, 1, 0, 0, 0, 1, 0);
    CurrentExportSettings()->skinWidth = 64;
    CurrentExportSettings()->skinHeight = 32;
    WriteOk();
    EXPECT_EQ(Field(kFieldNumSkins), 0);
    EXPECT_EQ(Field(kFieldOfsSt), 68);
    EXPECT_EQ(Field(kFieldSkinWidth), 64);
    EXPECT_EQ(GetI16(bytes_, 68), 32);
    EXPECT_EQ(GetI16(bytes_, 70), 16);
    EXPECT_EQ(ParseWritten()->skinCount, 0);
}

// Geometry without faces: no texture coordinates, no triangles, no GL word.
TEST_F(Md2WriterSections, MeshesWithoutFacesWriteNoGlCommandWord) {
    RefAddVertex(scene_, 0, 0, 0);
    RefAddVertex(scene_, 1, 2, 3);
    RefAddGroup(scene_, "empty");
    ASSERT_NE(Host()->meshes.items, nullptr);
    WriteOk();
    EXPECT_EQ(Field(kFieldNumSt), 0);
    EXPECT_EQ(Field(kFieldNumTris), 0);
    EXPECT_EQ(Field(kFieldNumGlcmds), 0);
    EXPECT_EQ(Field(kFieldOfsSt), Field(kFieldOfsTris));
    EXPECT_EQ(Field(kFieldOfsTris), Field(kFieldOfsFrames));
    EXPECT_EQ(Field(kFieldOfsGlcmds), Field(kFieldOfsEnd));
    EXPECT_EQ(Field(kFieldOfsEnd), Field(kFieldOfsFrames) + 40 + 4 * 2);
    EXPECT_EQ(Field(kFieldNumFrames), 1);
}

// The skin name rules: directory and file name together when they fit in 63
// characters (the directory alone for a path without a file name), the file
// name alone when only it fits, else the untitled name.
TEST_F(Md2WriterSections, SkinNamesFollowTheSixtyThreeCharacterRules) {
    const std::u16string dir40 = u"models/" + std::u16string(32, u'd') + u"/";  // 40 characters
    const std::string name23 = std::string(19, 'n') + ".tga";
    const std::string name24 = std::string(20, 'n') + ".tga";
    const std::string name63 = std::string(59, 'm') + ".pcx";
    const std::string name64 = std::string(60, 'm') + ".pcx";
    struct Case {
        std::u16string directory;
        std::string path;
        std::string expected;
    } cases[] = {
        {u"models/weapons2/", "C:\\textures\\weapons\\gun.tga", "models/weapons2/gun.tga"},
        {dir40, "C:\\skins\\" + name23, "models/" + std::string(32, 'd') + "/" + name23},  // 63 together
        {dir40, "C:\\skins\\" + name24, name24},                                           // 64 together
        {u"", "/skins/" + name63, name63},
        {u"x/", "/skins/" + name63, name63},
        {u"x/", "/skins/" + name64, "models/untitled.tga"},
        {u"", "D:\\art\\gun.tga", "gun.tga"},
        {u"models\\players\\/", "gun.tga", "models\\players\\/gun.tga"},
        // A directory filling all 64 units has no room in 64 bytes with a
        // terminator: it never fits with a name.
        {std::u16string(64, u'w'), "C:\\gun.tga", "gun.tga"},
        // A path without a file name gives the directory alone.
        {u"models/weapons2/", "C:\\textures\\", "models/weapons2/"},
        {u"", "/skins/", ""},
    };
    for (const Case& c : cases) {
        Use(RefSceneCreate());
        RefAddMaterial(scene_, "skin", c.path);
        const int group = RefAddGroup(scene_, "body");
        AddTriangle(group, 0, 0, 0, 1, 0, 0, 0, 1, 0);
        ResetExportSettings();
        SetSkinDirectory(c.directory);
        WriteOk();
        ASSERT_EQ(Field(kFieldNumSkins), 1);
        EXPECT_EQ(FieldText(bytes_, 68, 64), c.expected) << c.path;
        EXPECT_EQ(bytes_[68 + 63], 0) << c.path;
    }
}

}  // namespace
