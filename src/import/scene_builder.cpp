#include "import/scene_builder.h"

#include <cstddef>

#include "scene/axis_conversion.h"
#include "md2/md2_frame_positions.h"
#include "md2/md2_model.h"
#include "platform/platform.h"
#include "host_api/host_ops.h"
#include "import/skin_names.h"
#include "util/path.h"
#include "util/text.h"

namespace {

// The material index of faces when the model has no skin.
constexpr int kNoMaterial = -1;
// A material's 8-bit name is cut to this many bytes, terminator included.
constexpr int kMaterialNameBytes = 256;

// One material per skin, each with its image as texture layer 0.
bool AddSkinMaterials(HostScene* scene, const Md2Model& model, const char16_t* sourcePath) {
    char16_t skinDirectory[kTextPairUnits];
    DirectoryOfPath(sourcePath, skinDirectory);
    // Skin images are named relative to the model; the host resolves them
    // from the current directory.
    PlatformSetCurrentDirectory(skinDirectory);
    std::size_t directoryLength = U16Length(skinDirectory, kTextPairUnits);

    for (int i = 0; i < model.skinCount; ++i) {
        char16_t skin[kTextPairUnits];
        SkinFileName(model.skins[i], skin);
        TextPair name{};
        ToNarrow(skin, name.narrow, kMaterialNameBytes);
        CrtNarrowToWide(name.narrow, name.wide, kTextPairUnits);
        HostMaterial* material = AddMaterial(scene, &name);
        if (material == nullptr) {
            return false;
        }
        // A path that does not fit a host text would name another file: such
        // a material keeps no texture.
        std::size_t skinLength = U16Length(skin, kTextPairUnits);
        if (directoryLength + skinLength > kTextPairUnits - 1) {
            continue;
        }
        char16_t imagePath[kTextPairUnits];
        U16Copy(imagePath, kTextPairUnits, skinDirectory);
        U16Copy(imagePath + directoryLength, kTextPairUnits - directoryLength, skin);
        HostTextureLayer* layer = OpenTextureLayer(material, kFirstTextureLayer, kOpenLayerCreate);
        if (layer != nullptr && imagePath[0] != 0) {
            TextPairFromWide(&layer->path, imagePath);
            layer->flags |= kTextureLayerImported;
        }
    }
    return true;
}

// The frame's positions, decoded straight into the host's vertices: the only
// frame of the file whose positions are ever decoded.
bool CopyVertices(HostScene* scene, const Md2Frame& frame) {
    if (frame.vertexCount <= 0) {
        return true;
    }
    if (!AllocVertices(scene, frame.vertexCount) || scene->vertices.items == nullptr ||
        scene->vertices.count < frame.vertexCount) {
        return false;
    }
    Md2AxisValues table;
    TabulateMd2Frame(frame, &table);
    for (int i = 0; i < frame.vertexCount; ++i) {
        const Md2Position position =
            Md2VertexPosition(table, frame.vertices + std::size_t{kMd2VertexBytes} * static_cast<std::size_t>(i));
        HostVertex& vertex = scene->vertices.items[i];
        vertex.position[0] = position.x;
        vertex.position[1] = position.y;
        vertex.position[2] = position.z;
    }
    return true;
}

// Face i from triangle i, corners reversed (face corner j is the triangle's
// corner 2 - j); false when an index lies outside the model or the host's
// face lacks its arrays.
bool FillFace(HostScene* scene, HostFace& face, const Md2Triangle& triangle, const Md2Frame& frame,
              const Md2Model& model, int materialIndex) {
    if (scene->groups.items != nullptr && scene->groups.count < 1) {
        return false;
    }
    if (scene->materials.items != nullptr && materialIndex >= scene->materials.count) {
        return false;
    }
    face.groupIndex = 0;
    face.materialIndex = materialIndex;
    if (face.vertexIndices == nullptr || face.cornerCount < 3 || face.uv == nullptr ||
        face.uv->cornerUVs == nullptr) {
        return false;
    }
    for (int j = 0; j < 3; ++j) {
        const int vertex = triangle.vertexIndices[2 - j];
        if (vertex < 0 || vertex >= frame.vertexCount) {
            return false;
        }
        face.vertexIndices[j] = vertex;
        const int coord = triangle.texCoordIndices[2 - j];
        if (coord < 0 || coord >= model.texCoordCount) {
            return false;
        }
        face.uv->cornerUVs[j].u = model.texCoords[coord].u;
        face.uv->cornerUVs[j].v = model.texCoords[coord].v;
    }
    return true;
}

}  // namespace

int BuildImportedFrame(HostScene* scene, const ImportRecord* record) {
    if (record == nullptr) {
        return 0;
    }
    const Md2Model& model = record->model;
    const int chosen = record->selectedFrame;
    if (scene == nullptr || model.frameCount <= 0 || chosen < 0 || chosen >= model.frameCount) {
        return 0;
    }
    // The vertices lie in the file's view: a file cut short since the read
    // no longer holds them, and nothing is built.
    if (!PlatformFileViewWhole(&record->file)) {
        return 0;
    }
    if (model.skinCount > 0 && !AddSkinMaterials(scene, model, record->sourcePath)) {
        return 0;
    }
    const Md2Frame& frame = model.frames[chosen];
    if (!CopyVertices(scene, frame)) {
        return 0;
    }

    TextPair groupName;
    TextPairFromNarrow(&groupName, frame.name);
    if (AddGroup(scene, &groupName, kNewGroupNoParent) == nullptr) {
        return 0;
    }
    HostMesh* mesh = NewestMesh(scene);
    if (mesh == nullptr || !AllocFaces(mesh, model.triangleCount) || mesh->faces == nullptr ||
        mesh->faceCount < model.triangleCount) {
        return 0;
    }
    const int materialIndex = model.skinCount > 0 ? 0 : kNoMaterial;
    for (int i = 0; i < model.triangleCount; ++i) {
        if (!FillFace(scene, mesh->faces[i], model.triangles[i], frame, model, materialIndex)) {
            return 0;
        }
    }
    PostImport(scene, kHostNotify);
    ConvertSceneAxes(scene, kToHostAxes);
    return 1;
}
