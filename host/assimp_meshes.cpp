#include "host/assimp_builder.h"

#include <cstring>
#include <string>
#include <vector>

namespace assimp_rig {
namespace {

Vec Transform(const Matrix& m, const Vec& v) { return m * v; }

// Where the mesh's vertices go so that each bone's bind transform takes
// them: false (none) for a skinned mesh whose first bone gave its node the
// offset; a mesh without bones goes to its node's rest transform.
bool VertexAdjustment(const Builder& b, const Instance& instance, Matrix* adjustment) {
    const aiMesh* mesh = b.scene->mMeshes[instance.mesh];
    if (!instance.skinned) {
        *adjustment = b.nodes[static_cast<std::size_t>(instance.node)].restGlobal;
        return true;
    }
    const double scale = b.options.scale;
    const aiBone* bone = mesh->mBones[0];
    const Bone& first = b.bones[static_cast<std::size_t>(b.boneByName.at(bone->mName.C_Str()))];
    if (std::memcmp(first.offset, &bone->mOffsetMatrix, sizeof(aiMatrix4x4)) == 0) {
        return false;
    }
    *adjustment = Inverted(ToDouble(*first.offset, scale)) * ToDouble(bone->mOffsetMatrix, scale);
    return true;
}

// The mesh's vertices and texture coordinates; a mesh without bones gets
// its node's bone with weight 1.
void AddVertices(const Builder& b, const Instance& instance, SceneDesc* desc) {
    const aiMesh* mesh = b.scene->mMeshes[instance.mesh];
    const Node& node = b.nodes[static_cast<std::size_t>(instance.node)];
    const double scale = b.options.scale;
    Matrix adjustment;
    const bool adjust = VertexAdjustment(b, instance, &adjustment);
    const aiMatrix3x3t<double> turn(adjustment);
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        Vec p(mesh->mVertices[v].x * scale, mesh->mVertices[v].y * scale, mesh->mVertices[v].z * scale);
        Vec n = mesh->mNormals != nullptr ? Vec(mesh->mNormals[v].x, mesh->mNormals[v].y, mesh->mNormals[v].z) : Vec();
        if (adjust) {
            p = Transform(adjustment, p);
            n = (turn * n).NormalizeSafe();
        }
        SceneVertex vertex;
        const double position[3] = {p.x, p.y, p.z};
        const double normal[3] = {n.x, n.y, n.z};
        for (int i = 0; i < 3; ++i) {
            vertex.position[i] = adjust ? static_cast<float>(position[i])
                                        : mesh->mVertices[v][static_cast<unsigned>(i)] * static_cast<float>(scale);
            vertex.normal[i] = static_cast<float>(normal[i]);
        }
        if (!instance.skinned) {
            vertex.weights.push_back({node.bone, 1.0f});
        }
        desc->vertices.push_back(vertex);
        HostTexCoord coord{};
        if (mesh->mTextureCoords[0] != nullptr) {
            coord.u = mesh->mTextureCoords[0][v].x;
            coord.v = 1.0f - mesh->mTextureCoords[0][v].y;  // the host counts v from the image's top
        }
        desc->texCoords.push_back(coord);
    }
}

// The bones' weights of a skinned mesh whose vertices start at `first`.
void AddSkinWeights(const Builder& b, const aiMesh* mesh, int first, SceneDesc* desc) {
    for (unsigned k = 0; k < mesh->mNumBones; ++k) {
        const aiBone* bone = mesh->mBones[k];
        const int boneIndex = b.boneByName.at(bone->mName.C_Str());
        for (unsigned w = 0; w < bone->mNumWeights; ++w) {
            const aiVertexWeight& weight = bone->mWeights[w];
            if (weight.mVertexId < mesh->mNumVertices) {
                desc->vertices[static_cast<std::size_t>(first) + weight.mVertexId].weights.push_back(
                    {boneIndex, weight.mWeight});
            }
        }
    }
    // Viewers blend by weights that sum to 1, as glTF requires; other
    // formats may hold them unnormalised (the plug-in uses them as stored).
    for (std::size_t v = static_cast<std::size_t>(first); v < desc->vertices.size(); ++v) {
        double sum = 0;
        for (const HostSkinWeight& weight : desc->vertices[v].weights) {
            sum += weight.weight;
        }
        if (sum > 0 && sum != 1) {
            for (HostSkinWeight& weight : desc->vertices[v].weights) {
                weight.weight = static_cast<float>(weight.weight / sum);
            }
        }
    }
}

// The mesh's material, named after the file's or by its index; answers its
// index in the scene.
int AddMaterial(Builder& b, const aiMesh* mesh, SceneDesc* desc) {
    SceneMaterial material;
    if (mesh->mMaterialIndex < b.scene->mNumMaterials) {
        const aiMaterial* source = b.scene->mMaterials[mesh->mMaterialIndex];
        aiString name;
        if (source->Get(AI_MATKEY_NAME, name) == AI_SUCCESS) {
            material.name = name.C_Str();
        }
        material.texture = TexturePath(b, source);
    }
    if (material.name.empty()) {
        material.name = "material" + std::to_string(desc->materials.size());
    }
    desc->materials.push_back(material);
    return static_cast<int>(desc->materials.size()) - 1;
}

// The mesh's faces as triangles of one group, each polygon a fan from its
// first corner.
void AddGroup(const Builder& b, const Instance& instance, int first, int materialIndex, SceneDesc* desc) {
    const aiMesh* mesh = b.scene->mMeshes[instance.mesh];
    const Node& node = b.nodes[static_cast<std::size_t>(instance.node)];
    SceneGroup group;
    group.name = mesh->mName.length > 0 ? mesh->mName.C_Str() : node.node->mName.C_Str();
    if (group.name.empty()) {
        group.name = "mesh" + std::to_string(instance.mesh);
    }
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        bool inRange = face.mNumIndices >= 3;
        for (unsigned c = 0; inRange && c < face.mNumIndices; ++c) {
            inRange = face.mIndices[c] < mesh->mNumVertices;
        }
        if (!inRange) {
            continue;  // points, lines and broken faces have no surface
        }
        for (unsigned c = 1; c + 1 < face.mNumIndices; ++c) {
            const std::vector<int> corners = {first + static_cast<int>(face.mIndices[0]),
                                              first + static_cast<int>(face.mIndices[c]),
                                              first + static_cast<int>(face.mIndices[c + 1])};
            group.faces.push_back({corners, corners, materialIndex});
        }
    }
    desc->groups.push_back(std::move(group));
}

}  // namespace

void AddInstance(Builder& b, const Instance& instance, SceneDesc* desc) {
    const aiMesh* mesh = b.scene->mMeshes[instance.mesh];
    const int first = static_cast<int>(desc->vertices.size());
    AddVertices(b, instance, desc);
    if (instance.skinned) {
        AddSkinWeights(b, mesh, first, desc);
    }
    const int materialIndex = AddMaterial(b, mesh, desc);
    AddGroup(b, instance, first, materialIndex, desc);
}

}  // namespace assimp_rig
