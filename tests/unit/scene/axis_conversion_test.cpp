#include "scene/axis_conversion.h"
#include "geom/model_axes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "unit/geom/geom_test_support.h"
#include "host/call_log.h"
#include "host/ref_scene.h"

using namespace geomtest;

namespace {

struct SceneDeleter {
    void operator()(RefScene* scene) const { RefSceneDestroy(scene); }
};
using ScenePtr = std::unique_ptr<RefScene, SceneDeleter>;

ScenePtr NewScene() {
    ClearHostCallLog();
    return ScenePtr(RefSceneCreate());
}

HostScene* Host(const ScenePtr& scene) { return RefSceneHost(scene.get()); }

bool SameBits(const void* a, const void* b, std::size_t size) { return std::memcmp(a, b, size) == 0; }

void ExpectPosition(const float* position, float x, float y, float z) {
    EXPECT_EQ(x, position[0]);
    EXPECT_EQ(y, position[1]);
    EXPECT_EQ(z, position[2]);
}

RefBoneSetup BoneWithGlobal(const Matrix4& global, int parent = -1) {
    RefBoneSetup setup;
    setup.parent = parent;
    std::memcpy(setup.global, global.m, sizeof setup.global);
    return setup;
}

Matrix4 Local(const HostBone& bone) {
    Matrix4 m;
    MatrixFromFloats(bone.localMatrix, &m);
    return m;
}

// A rotation, translation and scale placing a bone in the scene.
Matrix4 Placement(Random& random, float sx, float sy, float sz) {
    Matrix4 m;
    MatrixMultiply(random.Rotation(), Diagonal(sx, sy, sz), &m);
    m.m[3] = random.Uniform(-5, 5);
    m.m[7] = random.Uniform(-5, 5);
    m.m[11] = random.Uniform(-5, 5);
    return m;
}

// The matrix mapping written out on its own: rows 1 and 2 exchanged, one of
// them negated (model to host: y' = z, z' = -y; host to model: y' = -z, z' = y).
Matrix4 Turned(const Matrix4& m, bool toHost) {
    Matrix4 out = m;
    for (int c = 0; c < 4; ++c) {
        out.m[4 + c] = toHost ? m.m[8 + c] : -m.m[8 + c];
        out.m[8 + c] = toHost ? -m.m[4 + c] : m.m[4 + c];
    }
    return out;
}

double Length(const float* q) {
    return std::sqrt(static_cast<double>(q[0]) * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
}

// The bone's local rotation, translation and scale rebuild its local matrix.
void ExpectLocalPartsRebuildLocalMatrix(const HostBone& bone) {
    const Quaternion q = {bone.localRotation[0], bone.localRotation[1], bone.localRotation[2], bone.localRotation[3]};
    EXPECT_NEAR(1.0, Length(bone.localRotation), 1e-5);
    Matrix4 rebuilt;
    MatrixMultiply(RotationOf(q), Diagonal(bone.localScale[0], bone.localScale[1], bone.localScale[2]), &rebuilt);
    rebuilt.m[3] = bone.localTranslation[0];
    rebuilt.m[7] = bone.localTranslation[1];
    rebuilt.m[11] = bone.localTranslation[2];
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(bone.localMatrix[i], rebuilt.m[i], 1e-4) << "element " << i;
}

TEST(GeomAxisPoints, MapBetweenModelAndHostAxes) {
    Vector3 p;
    ModelToHostPoint({1, 2, 3}, &p);
    EXPECT_EQ(1.0f, p.x);
    EXPECT_EQ(3.0f, p.y);
    EXPECT_EQ(-2.0f, p.z);
    HostToModelPoint({1, 2, 3}, &p);
    EXPECT_EQ(1.0f, p.x);
    EXPECT_EQ(-3.0f, p.y);
    EXPECT_EQ(2.0f, p.z);

    p = {0, 0, 0};
    ModelToHostPoint(p, &p);  // in place; -0.0 from negating 0.0
    EXPECT_FALSE(std::signbit(p.y));
    EXPECT_TRUE(std::signbit(p.z));
}

TEST(GeomAxisPoints, RoundTripsKeepEveryBit) {
    Random random(17);
    for (int n = 0; n < 1000; ++n) {
        const Vector3 start = {random.Uniform(-1e6f, 1e6f), n % 7 == 0 ? 0.0f : random.Uniform(-1, 1),
                               n % 5 == 0 ? std::numeric_limits<float>::quiet_NaN() : random.Uniform(-1e-30f, 1e-30f)};
        Vector3 p = start;
        ModelToHostPoint(p, &p);
        HostToModelPoint(p, &p);
        ASSERT_TRUE(SameBits(&start, &p, sizeof p)) << n;
        HostToModelPoint(p, &p);
        ModelToHostPoint(p, &p);
        ASSERT_TRUE(SameBits(&start, &p, sizeof p)) << n;
    }
}

TEST(GeomAxisMatrices, ConvertTheOutputSideOnly) {
    Random random(23);
    for (int n = 0; n < 200; ++n) {
        const Matrix4 m = Placement(random, random.Uniform(0.5f, 2), random.Uniform(0.5f, 2), random.Uniform(0.5f, 2));
        Matrix4 toHost, toModel;
        ModelToHostMatrix(m, &toHost);
        HostToModelMatrix(m, &toModel);
        // Placing a point with the converted matrix is placing it with the
        // original and converting the result.
        const Vector3 p = {random.Uniform(-3, 3), random.Uniform(-3, 3), random.Uniform(-3, 3)};
        Vector3 placed, expected, actual;
        TransformPoint(p, m, &placed);
        expected = {placed.x, placed.z, -placed.y};
        TransformPoint(p, toHost, &actual);
        ASSERT_TRUE(SameBits(&expected, &actual, sizeof actual)) << n;
        expected = {placed.x, -placed.z, placed.y};
        TransformPoint(p, toModel, &actual);
        ASSERT_TRUE(SameBits(&expected, &actual, sizeof actual)) << n;

        Matrix4 back;
        HostToModelMatrix(toHost, &back);
        ASSERT_TRUE(SameBits(&m, &back, sizeof back)) << n;
    }
    const Matrix4 m = Rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    Matrix4 out;
    ModelToHostMatrix(m, &out);
    const Matrix4 expected = Rows({1, 2, 3, 4, 9, 10, 11, 12, -5, -6, -7, -8, 13, 14, 15, 16});
    EXPECT_TRUE(SameBits(&expected, &out, sizeof out));
}

TEST(GeomConvertSceneAxes, VerticesTurnAndNormalsStay) {
    ScenePtr scene = NewScene();
    RefAddVertex(scene.get(), 1, 2, 3);
    RefSetVertexNormal(scene.get(), 0, 0.6f, 0.8f, 0);
    RefAddVertex(scene.get(), 0, 0, 0);
    HostScene* host = Host(scene);
    const HostVertex before = host->vertices.items[0];

    ConvertSceneAxes(host, kToHostAxes);
    const HostVertex& v = host->vertices.items[0];
    ExpectPosition(v.position, 1, 3, -2);
    ExpectPosition(v.normal, 0.6f, 0.8f, 0);
    // Everything but the position is as it was.
    EXPECT_TRUE(SameBits(&before, &v, offsetof(HostVertex, position)));
    EXPECT_TRUE(SameBits(&before.normal, &v.normal, sizeof before - offsetof(HostVertex, normal)));
    EXPECT_TRUE(std::signbit(host->vertices.items[1].position[2]));

    ConvertSceneAxes(host, kToModelAxes);
    ConvertSceneAxes(host, kToModelAxes);
    ExpectPosition(v.position, 1, -3, 2);

    ConvertSceneAxes(host, static_cast<AxisTarget>(-5));  // any non-zero value is model to host
    ExpectPosition(v.position, 1, 2, 3);
    EXPECT_EQ(0, CountHostCalls("PreBoneConversion"));
}

TEST(GeomConvertSceneAxes, OneWayAndBackIsBitExact) {
    Random random(61);
    ScenePtr scene = NewScene();
    for (int i = 0; i < 50; ++i) RefAddVertex(scene.get(), random.Uniform(-9, 9), random.Uniform(-9, 9), random.Uniform(-9, 9));
    for (int i = 0; i < 5; ++i) {
        const float position[3] = {random.Uniform(-9, 9), random.Uniform(-9, 9), random.Uniform(-9, 9)};
        const Matrix4 transform = Placement(random, 1, 2, 3);
        RefAddPlacedItemA(scene.get(), position, transform.m);
        RefAddPlacedItemB(scene.get(), position, transform.m);
    }
    HostScene* host = Host(scene);
    const std::vector<HostVertex> vertices(host->vertices.items, host->vertices.items + host->vertices.count);
    const std::vector<HostPlacedItemA> itemsA(host->placedItemsA.items, host->placedItemsA.items + host->placedItemsA.count);
    const std::vector<HostPlacedItemB> itemsB(host->placedItemsB.items, host->placedItemsB.items + host->placedItemsB.count);

    for (int toHost : {1, 0}) {
        ConvertSceneAxes(host, static_cast<AxisTarget>(toHost));
        ConvertSceneAxes(host, static_cast<AxisTarget>(1 - toHost));
        EXPECT_TRUE(SameBits(vertices.data(), host->vertices.items, vertices.size() * sizeof(HostVertex)));
        EXPECT_TRUE(SameBits(itemsA.data(), host->placedItemsA.items, itemsA.size() * sizeof(HostPlacedItemA)));
        EXPECT_TRUE(SameBits(itemsB.data(), host->placedItemsB.items, itemsB.size() * sizeof(HostPlacedItemB)));
    }
}

TEST(GeomConvertSceneAxes, PlacedItemsConvertPositionAndTransform) {
    ScenePtr scene = NewScene();
    const float position[3] = {1, 2, 3};
    const Matrix4 transform = Rows({1, 0, 0, 4, 0, 1, 0, 5, 0, 0, 1, 6, 0, 0, 0, 1});
    RefAddPlacedItemA(scene.get(), position, transform.m);
    RefAddPlacedItemB(scene.get(), position, transform.m);
    HostScene* host = Host(scene);
    const HostPlacedItemA beforeA = host->placedItemsA.items[0];
    const HostPlacedItemB beforeB = host->placedItemsB.items[0];

    ConvertSceneAxes(host, kToModelAxes);
    const Matrix4 expected = Rows({1, 0, 0, 4, -0.0f, -0.0f, -1, -6, 0, 1, 0, 5, 0, 0, 0, 1});
    const HostPlacedItemA& a = host->placedItemsA.items[0];
    const HostPlacedItemB& b = host->placedItemsB.items[0];
    ExpectPosition(a.position, 1, -3, 2);
    ExpectPosition(b.position, 1, -3, 2);
    EXPECT_TRUE(SameBits(expected.m, a.transform, sizeof a.transform));
    EXPECT_TRUE(SameBits(expected.m, b.transform, sizeof b.transform));
    EXPECT_EQ(-6.0f, a.transform[7]);  // the translation turns with the rows
    EXPECT_TRUE(SameBits(beforeA.hostReserved0, a.hostReserved0, sizeof a.hostReserved0));
    EXPECT_TRUE(SameBits(beforeA.hostReserved2, a.hostReserved2, sizeof a.hostReserved2));
    EXPECT_TRUE(SameBits(beforeB.hostReserved2, b.hostReserved2, sizeof b.hostReserved2));
}

TEST(GeomConvertSceneAxes, NullSceneAndAbsentArraysAreSkipped) {
    ConvertSceneAxes(nullptr, kToHostAxes);
    ConvertSceneAxes(nullptr, kToModelAxes);

    ScenePtr scene = NewScene();
    RefAddVertex(scene.get(), 1, 2, 3);
    HostScene* host = Host(scene);
    const int count = host->vertices.count;
    host->vertices.count = -1;  // a negative count converts nothing
    ConvertSceneAxes(host, kToHostAxes);
    host->vertices.count = count;
    ExpectPosition(host->vertices.items[0].position, 1, 2, 3);
    EXPECT_EQ(0, CountHostCalls("PreBoneConversion"));
}

TEST(GeomConvertSceneAxes, PreBoneConversionCalledWheneverBoneArrayIsPresent) {
    ScenePtr scene = NewScene();
    RefSetPresence(scene.get(), RefList::Bones, RefPresence::Present);
    ASSERT_NE(nullptr, Host(scene)->bones.items);
    ASSERT_EQ(0, Host(scene)->bones.count);
    ConvertSceneAxes(Host(scene), kToHostAxes);
    ConvertSceneAxes(Host(scene), kToModelAxes);
    ASSERT_EQ(2, CountHostCalls("PreBoneConversion"));
    for (const HostCall& call : HostCallLog()) EXPECT_EQ(1, call.argument);

    ScenePtr withBones = NewScene();
    RefAddBone(withBones.get(), RefBoneSetup{});
    RefAddVertex(withBones.get(), 1, 2, 3);
    ConvertSceneAxes(Host(withBones), kToModelAxes);
    EXPECT_EQ(1, CountHostCalls("PreBoneConversion"));
    EXPECT_TRUE(HostTrapCalls().empty());

    ScenePtr absent = NewScene();
    RefAddBone(absent.get(), RefBoneSetup{});
    RefSetPresence(absent.get(), RefList::Bones, RefPresence::Absent);
    RefAddVertex(absent.get(), 1, 2, 3);
    ConvertSceneAxes(Host(absent), kToHostAxes);
    EXPECT_EQ(0, CountHostCalls("PreBoneConversion"));
    ExpectPosition(Host(absent)->vertices.items[0].position, 1, 3, -2);
}

TEST(GeomConvertSceneAxes, RootBonesTakeUpTheQuarterTurn) {
    ScenePtr scene = NewScene();
    RefAddBone(scene.get(), BoneWithGlobal(kIdentityMatrix));
    RefAddBone(scene.get(), BoneWithGlobal(Translation(1, 2, 3)));
    HostScene* host = Host(scene);
    ConvertSceneAxes(host, kToHostAxes);

    const HostBone& root = host->bones.items[0];
    EXPECT_EQ(-0.70710677f, root.localRotation[0]);
    EXPECT_EQ(0.0f, root.localRotation[1]);
    EXPECT_EQ(0.0f, root.localRotation[2]);
    EXPECT_EQ(0.70710677f, root.localRotation[3]);
    ExpectPosition(root.localScale, 1, 1, 1);
    ExpectPosition(root.localTranslation, 0, 0, 0);
    const Matrix4 turned = Rows({1, 0, 0, 0, 0, 0, 1, 0, -0.0f, -1, -0.0f, -0.0f, 0, 0, 0, 1});
    EXPECT_TRUE(SameBits(turned.m, root.globalMatrix, sizeof turned.m));
    EXPECT_TRUE(SameBits(turned.m, root.localMatrix, sizeof turned.m));
    EXPECT_EQ(-1, root.parentIndex);

    ExpectPosition(host->bones.items[1].localTranslation, 1, 3, -2);
}

TEST(GeomConvertSceneAxes, ChildBonesKeepTheirLocalMatrices) {
    Random random(71);
    for (int toHost : {1, 0}) {
        ScenePtr scene = NewScene();
        // A chain of three bones and a second child of the root.
        Matrix4 locals[4] = {Placement(random, 1, 1, 1), Placement(random, 1, 2, 0.5f), Placement(random, 1, 1, 1),
                             Placement(random, 3, 3, 3)};
        const int parents[4] = {-1, 0, 1, 0};
        Matrix4 globals[4];
        for (int i = 0; i < 4; ++i) {
            if (parents[i] < 0) {
                globals[i] = locals[i];
            } else {
                MatrixMultiply(globals[parents[i]], locals[i], &globals[i]);
            }
            RefAddBone(scene.get(), BoneWithGlobal(globals[i], parents[i]));
        }
        HostScene* host = Host(scene);
        const HostBone before = host->bones.items[2];
        ConvertSceneAxes(host, static_cast<AxisTarget>(toHost));
        for (int i = 1; i < 4; ++i) {
            const HostBone& bone = host->bones.items[i];
            EXPECT_LT(Difference3(locals[i], Local(bone)), 1e-4) << i;
            for (int e : {3, 7, 11}) EXPECT_NEAR(locals[i].m[e], bone.localMatrix[e], 1e-4) << i;
            const Matrix4 expectedGlobal = Turned(globals[i], toHost != 0);
            EXPECT_TRUE(SameBits(expectedGlobal.m, bone.globalMatrix, sizeof expectedGlobal.m)) << i;
            ExpectLocalPartsRebuildLocalMatrix(bone);
        }
        // Bone 1 is stretched along its own axes: the scale comes back in axis order.
        EXPECT_NEAR(1.0, host->bones.items[1].localScale[0], 1e-5);
        EXPECT_NEAR(2.0, host->bones.items[1].localScale[1], 1e-5);
        EXPECT_NEAR(0.5, host->bones.items[1].localScale[2], 1e-5);
        // Fields outside the converted ones are untouched.
        const HostBone& after = host->bones.items[2];
        EXPECT_EQ(before.parentIndex, after.parentIndex);
        EXPECT_TRUE(SameBits(before.hostReserved0, after.hostReserved0, sizeof after.hostReserved0));
        EXPECT_TRUE(SameBits(before.hostReserved2, after.hostReserved2, sizeof after.hostReserved2));
        EXPECT_TRUE(SameBits(before.hostReserved4, after.hostReserved4, sizeof after.hostReserved4));
    }
}

TEST(GeomConvertSceneAxes, MirroredBonesGetNegativeScalesAndProperRotations) {
    Random random(83);
    ScenePtr scene = NewScene();
    const Matrix4 parent = Placement(random, 1, 1, 1);
    Matrix4 mirrorLocal = Placement(random, 1, 2, 3);
    for (int r = 0; r < 3; ++r) mirrorLocal.m[4 * r + 1] = -mirrorLocal.m[4 * r + 1];  // mirror the y axis
    Matrix4 childGlobal;
    MatrixMultiply(parent, mirrorLocal, &childGlobal);
    RefAddBone(scene.get(), BoneWithGlobal(Placement(random, -1, 2, 2)));  // mirrored root
    RefAddBone(scene.get(), BoneWithGlobal(parent));
    RefAddBone(scene.get(), BoneWithGlobal(childGlobal, 1));  // mirrored child of an unmirrored parent
    HostScene* host = Host(scene);
    ConvertSceneAxes(host, kToHostAxes);
    for (int i : {0, 2}) {
        const HostBone& bone = host->bones.items[i];
        for (float scale : bone.localScale) EXPECT_LT(scale, 0.0f) << i;
        ExpectLocalPartsRebuildLocalMatrix(bone);
    }
    for (float scale : host->bones.items[1].localScale) EXPECT_GT(scale, 0.0f);
    EXPECT_NEAR(-1.0, host->bones.items[2].localScale[0], 1e-5);
    EXPECT_NEAR(-2.0, host->bones.items[2].localScale[1], 1e-5);
    EXPECT_NEAR(-3.0, host->bones.items[2].localScale[2], 1e-5);
}

TEST(GeomConvertSceneAxes, ParentsOutsideTheArrayAreRoots) {
    Random random(97);
    ScenePtr scene = NewScene();
    RefAddBone(scene.get(), BoneWithGlobal(Placement(random, 1, 1, 1)));
    RefAddBone(scene.get(), BoneWithGlobal(Placement(random, 1, 1, 1), 3));        // the bone count
    RefAddBone(scene.get(), BoneWithGlobal(Placement(random, 1, 1, 1), INT_MAX));  // far beyond
    HostScene* host = Host(scene);
    ASSERT_EQ(3, host->bones.count);
    ConvertSceneAxes(host, kToHostAxes);
    for (int i = 1; i < 3; ++i) {
        const HostBone& bone = host->bones.items[i];
        EXPECT_TRUE(SameBits(bone.globalMatrix, bone.localMatrix, sizeof bone.localMatrix)) << i;
        ExpectLocalPartsRebuildLocalMatrix(bone);
    }
    EXPECT_EQ(INT_MAX, host->bones.items[2].parentIndex);
}

// Any parent index inside the array is a parent: a bone that names itself
// is at rest relative to itself, and a parent later in the array is used
// as it stands.
TEST(GeomConvertSceneAxes, ParentsInsideTheArrayGiveRelativeLocals) {
    Random random(98);
    for (int toHost : {1, 0}) {
        ScenePtr scene = NewScene();
        const Matrix4 parentGlobal = Placement(random, 1, 2, 1);
        const Matrix4 local = Placement(random, 1, 1, 0.5f);
        Matrix4 childGlobal;
        MatrixMultiply(parentGlobal, local, &childGlobal);
        RefAddBone(scene.get(), BoneWithGlobal(childGlobal, 2));               // parent later in the array
        RefAddBone(scene.get(), BoneWithGlobal(Placement(random, 2, 1, 1), 1));  // itself
        RefAddBone(scene.get(), BoneWithGlobal(parentGlobal));
        HostScene* host = Host(scene);
        ConvertSceneAxes(host, static_cast<AxisTarget>(toHost));
        EXPECT_LT(Difference3(local, Local(host->bones.items[0])), 1e-4);
        for (int e : {3, 7, 11}) EXPECT_NEAR(local.m[e], host->bones.items[0].localMatrix[e], 1e-4);
        EXPECT_LT(Difference3(kIdentityMatrix, Local(host->bones.items[1])), 1e-5);
        for (int e : {3, 7, 11}) EXPECT_NEAR(0.0f, host->bones.items[1].localMatrix[e], 1e-5);
        ExpectLocalPartsRebuildLocalMatrix(host->bones.items[1]);
        EXPECT_EQ(1, host->bones.items[1].parentIndex);
    }
}

TEST(GeomConvertSceneAxes, SingularParentGivesChildItsGlobalMatrix) {
    Random random(101);
    ScenePtr scene = NewScene();
    RefAddBone(scene.get(), BoneWithGlobal(Diagonal(1, 0, 1)));  // flattened: determinant 0
    RefAddBone(scene.get(), BoneWithGlobal(Placement(random, 1, 1, 1), 0));
    HostScene* host = Host(scene);
    ConvertSceneAxes(host, kToModelAxes);
    const HostBone& child = host->bones.items[1];
    EXPECT_TRUE(SameBits(child.globalMatrix, child.localMatrix, sizeof child.localMatrix));
    // The flattened root still decomposes: one zero scale.
    const HostBone& root = host->bones.items[0];
    EXPECT_NEAR(1.0, Length(root.localRotation), 1e-5);
    ExpectLocalPartsRebuildLocalMatrix(root);
}

}  // namespace
