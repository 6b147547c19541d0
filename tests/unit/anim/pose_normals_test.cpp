#include "anim/pose_normals.h"

#include <gtest/gtest.h>

#include "anim_test_support.h"

using namespace animtest;

namespace {

// With no bones the posed positions are the host positions, so normals can
// be computed straight after AllocPosedVertices.
class AnimPoseNormals : public AnimSceneTest {
protected:
    int Vertex(float x, float y, float z) { return RefAddVertex(scene_, x, y, z); }
    void Compute() {
        ASSERT_TRUE(AllocPosedVertices(&pose_, Host()));
        ASSERT_TRUE(ComputeFaceNormals(&pose_, Host()));
        ASSERT_TRUE(ComputeVertexNormals(&pose_, Host()));
    }
    Vector3 FaceNormal(int face) {
        const float* n = Face(scene_, 0, face).normal;
        return {n[0], n[1], n[2]};
    }
};

TEST_F(AnimPoseNormals, FaceNormalIsFirstEdgeCrossLastEdge) {
    const int o = Vertex(0, 0, 0), x = Vertex(3, 0, 0), y = Vertex(0, 4, 0), slant = Vertex(2, 2, 1);
    const int g = RefAddGroup(scene_, "g");
    RefAddFace(scene_, g, {o, x, y});  // (3, 0, 0) x (0, 4, 0) = (0, 0, 12)
    RefAddFace(scene_, g, {o, y, x});  // the other winding
    // A quad: the second edge runs to the last corner, (0, 4, 0); the third
    // corner would give (3, 0, 0) x (2, 2, 1) = (0, -3, 6).
    RefAddFace(scene_, g, {o, x, slant, y});
    Compute();
    ExpectVectorEq(FaceNormal(0), 0, 0, 1);
    ExpectVectorEq(FaceNormal(1), 0, 0, -1);
    ExpectVectorEq(FaceNormal(2), 0, 0, 1);
}

TEST_F(AnimPoseNormals, VertexNormalsAreUnweightedAverages) {
    // Vertex o is shared by a large face towards +z and a small one towards +x.
    const int o = Vertex(0, 0, 0);
    const int g = RefAddGroup(scene_, "g");
    RefAddFace(scene_, g, {o, Vertex(10, 0, 0), Vertex(0, 10, 0)});
    RefAddFace(scene_, g, {o, Vertex(0, 0.1f, 0), Vertex(0, 0, 0.1f)});
    Compute();
    // (0, 0, 1) + (1, 0, 0), normalised; weighting by area would tip it to +z.
    ExpectVectorNear(PosedNormal(o), 0.70710678f, 0, 0.70710678f, 1e-6f);
}

TEST_F(AnimPoseNormals, DegenerateFacesAndUnusedVerticesGetZero) {
    const int a = Vertex(0, 0, 0), b = Vertex(1, 1, 1), c = Vertex(2, 2, 2);
    RefSetVertexNormal(scene_, Vertex(5, 5, 5), 0, 1, 0);    // used by no face
    RefAddFace(scene_, RefAddGroup(scene_, "g"), {a, b, c});  // collinear
    Face(scene_, 0, 0).normal[2] = 7;                         // a stale value
    Compute();
    ExpectVectorEq(FaceNormal(0), 0, 0, 0);
    for (int v = 0; v < 4; ++v) ExpectVectorEq(PosedNormal(v), 0, 0, 0);
}

TEST_F(AnimPoseNormals, BrokenFacesGiveNoNormalAndReadNothingOutside) {
    const int o = Vertex(0, 0, 0), x = Vertex(1, 0, 0), y = Vertex(0, 1, 0);
    const int lonely = Vertex(0, 0, 1);
    const int g = RefAddGroup(scene_, "g");
    RefAddFace(scene_, g, {o, x, y});            // the one good face
    RefAddFace(scene_, g, {lonely, x, 99});      // an index beyond the vertices
    RefAddFace(scene_, g, {lonely, -1, y});      // a negative index
    RefAddFace(scene_, g, {lonely, x});          // two corners
    RefAddFace(scene_, g, {lonely});             // one corner: no second index to read
    RefAddFace(scene_, g, {});                   // none
    const int noList = RefAddFace(scene_, g, {lonely, x, y});
    Face(scene_, 0, noList).vertexIndices = nullptr;
    for (int f = 1; f <= noList; ++f) Face(scene_, 0, f).normal[0] = 9;
    Compute();
    ExpectVectorEq(FaceNormal(0), 0, 0, 1);
    for (int f = 1; f <= noList; ++f) ExpectVectorEq(FaceNormal(f), 0, 0, 0);
    // Only the good face reaches its corners.
    ExpectVectorEq(PosedNormal(x), 0, 0, 1);
    ExpectVectorEq(PosedNormal(lonely), 0, 0, 0);

    // Without posed vertices nothing is computed.
    FreePosedVertices(&pose_);
    EXPECT_FALSE(ComputeFaceNormals(&pose_, Host()));
    EXPECT_FALSE(ComputeVertexNormals(&pose_, Host()));
}

}  // namespace
