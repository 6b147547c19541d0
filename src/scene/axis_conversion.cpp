#include "scene/axis_conversion.h"

#include <cstring>

#include "geom/affine_decomposition.h"
#include "geom/model_axes.h"
#include "host_api/host_ops.h"

namespace {

void ConvertMatrix(const Matrix4& m, bool toHost, Matrix4* out) {
    if (toHost) {
        ModelToHostMatrix(m, out);
    } else {
        HostToModelMatrix(m, out);
    }
}

void ConvertPoint(float position[3], bool toHost) {
    Vector3 p = {position[0], position[1], position[2]};
    if (toHost) {
        ModelToHostPoint(p, &p);
    } else {
        HostToModelPoint(p, &p);
    }
    position[0] = p.x;
    position[1] = p.y;
    position[2] = p.z;
}

void ConvertMatrixInPlace(float values[16], bool toHost) {
    Matrix4 m;
    MatrixFromFloats(values, &m);
    ConvertMatrix(m, toHost, &m);
    MatrixToFloats(m, values);
}

// Local matrix of bone `index` from the (converted) global matrices: relative
// to the parent's global matrix for any parent index in the bone array, the
// bone's own included; a negative index or one at or past the count makes it
// a root.
void DeriveLocalMatrix(HostBone* bones, int count, int index) {
    HostBone& bone = bones[index];
    const int parent = bone.parentIndex;
    if (parent < 0 || parent >= count) {
        std::memcpy(bone.localMatrix, bone.globalMatrix, sizeof bone.localMatrix);
        return;
    }
    Matrix4 parentGlobal, global, local;
    MatrixFromFloats(bones[parent].globalMatrix, &parentGlobal);
    MatrixFromFloats(bone.globalMatrix, &global);
    MatrixInverse(parentGlobal, &parentGlobal);
    MatrixMultiply(parentGlobal, global, &local);
    MatrixToFloats(local, bone.localMatrix);
}

// Local translation, rotation and scale from the local matrix taken as affine;
// a mirroring matrix gets all three scales negative.
void DeriveLocalParts(HostBone* bone) {
    Matrix4 a;
    MatrixFromFloats(bone->localMatrix, &a);
    At(a, 3, 0) = 0.0f;
    At(a, 3, 1) = 0.0f;
    At(a, 3, 2) = 0.0f;
    At(a, 3, 3) = 1.0f;
    AffineDecomposition parts{};
    DecomposeAffine(a, &parts);
    bone->localTranslation[0] = parts.t.x;
    bone->localTranslation[1] = parts.t.y;
    bone->localTranslation[2] = parts.t.z;
    bone->localScale[0] = parts.k.x;
    bone->localScale[1] = parts.k.y;
    bone->localScale[2] = parts.k.z;
    bone->localRotation[0] = parts.q.x;
    bone->localRotation[1] = parts.q.y;
    bone->localRotation[2] = parts.q.z;
    bone->localRotation[3] = parts.q.w;
    if (parts.f < 0.0f) {
        for (float& scale : bone->localScale) scale *= parts.f;
    }
}

void ConvertBones(HostScene* scene, bool toHost) {
    // The host is told first, even when the array holds no bones.
    PreBoneConversion(scene, kHostNotify);
    HostBone* bones = scene->bones.items;
    const int count = scene->bones.count;
    for (int i = 0; i < count; ++i) ConvertMatrixInPlace(bones[i].globalMatrix, toHost);
    // Every global matrix is converted before any local one is derived.
    for (int i = 0; i < count; ++i) {
        DeriveLocalMatrix(bones, count, i);
        DeriveLocalParts(&bones[i]);
    }
}

template <typename PlacedItem>
void ConvertPlacedItems(const HostList<PlacedItem>& items, bool toHost) {
    if (items.items == nullptr) return;
    for (int i = 0; i < items.count; ++i) {
        ConvertPoint(items.items[i].position, toHost);
        ConvertMatrixInPlace(items.items[i].transform, toHost);
    }
}

}  // namespace

void ConvertSceneAxes(HostScene* scene, AxisTarget target) {
    if (scene == nullptr) return;
    const bool modelToHost = target != kToModelAxes;
    if (scene->bones.items != nullptr) ConvertBones(scene, modelToHost);
    if (scene->vertices.items != nullptr) {
        for (int i = 0; i < scene->vertices.count; ++i) ConvertPoint(scene->vertices.items[i].position, modelToHost);
    }
    ConvertPlacedItems(scene->placedItemsA, modelToHost);
    ConvertPlacedItems(scene->placedItemsB, modelToHost);
}
