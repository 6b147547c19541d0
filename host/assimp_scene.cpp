#include "host/assimp_scene.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/gltf_interpolation.h"

namespace {

using Matrix = aiMatrix4x4t<double>;
using Vec = aiVector3t<double>;
using Quat = aiQuaterniont<double>;

// Longest run of frames sampled from one animation.
constexpr int kMostSampledFrames = 1 << 16;

Matrix ToDouble(const aiMatrix4x4& m, double scale) {
    Matrix r;
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            r[i][j] = m[i][j];
        }
    }
    r.a4 *= scale;  // conjugated by the scaling: only the translation changes
    r.b4 *= scale;
    r.c4 *= scale;
    return r;
}

// The inverse; the identity for a singular matrix (the library's own
// inverse gives NaNs there).
Matrix Inverted(Matrix m) {
    const double det = m.Determinant();
    return std::isfinite(det) && std::fabs(det) > 1e-300 ? m.Inverse() : Matrix();
}

void ToFloats(const Matrix& m, float out[16]) {
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            out[4 * i + j] = static_cast<float>(m[i][j]);
        }
    }
}

struct Trs {
    Vec t;
    Quat r;
    Vec s{1, 1, 1};
};

// T(t) R(r) S(s). (The library's own constructor from these three scales
// the rows, not the columns.)
Matrix Compose(const Vec& s, const Quat& r, const Vec& t) {
    Matrix m(r.GetMatrix());
    const double scale[3] = {s.x, s.y, s.z};
    for (unsigned i = 0; i < 3; ++i) {
        for (unsigned j = 0; j < 3; ++j) {
            m[i][j] *= scale[j];
        }
    }
    m.a4 = t.x;
    m.b4 = t.y;
    m.c4 = t.z;
    return m;
}

Trs Decompose(const Matrix& m) {
    Trs trs;
    m.Decompose(trs.s, trs.r, trs.t);
    return trs;
}

double Largest(const Matrix& m) {
    double largest = 0;
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            largest = std::max(largest, std::fabs(m[i][j]));
        }
    }
    return largest;
}

bool Near(const Matrix& a, const Matrix& b, double tolerance) {
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            if (std::fabs(a[i][j] - b[i][j]) > tolerance) {
                return false;
            }
        }
    }
    return true;
}

struct Node {
    const aiNode* node = nullptr;
    int parent = -1;
    Matrix restLocal;
    Matrix restGlobal;
    const aiMatrix4x4* offset = nullptr;  // the first offset matrix a mesh's bone gives it
    bool needed = false;
    int bone = -1;
};

// A host bone. Its host pose must be its node's global transform G(t) times
// `correction` (the identity unless the bind has an uneven stretch, see
// EvenPart), so that pose x bindWorld⁻¹ is G(t) x offset, the skinning the
// file describes.
struct Bone {
    int node = -1;  // -1: a bone that names no node, held at its bind pose
    std::string name;
    const aiMatrix4x4* offset = nullptr;
    int parent = -1;      // host bone
    int parentNode = -1;  // its node: the nearest ancestor whose bone has no correction
    Matrix bindWorld;
    Matrix correction;
    bool corrected = false;
    Matrix bindLocal;
    Trs rest;
    // bindLocal is translation x rotation x a positive uniform scale and the
    // host parent is the node's parent, so that keys carry over key by key.
    bool keysCarryOver = false;
};

struct Instance {
    unsigned mesh = 0;
    int node = 0;
    bool skinned = false;
};

struct Builder {
    const aiScene* scene = nullptr;
    AssimpSceneOptions options;
    std::filesystem::path sourceFolder;
    std::string sourceStem;
    std::vector<Node> nodes;
    std::map<std::string, int> nodeByName;
    std::vector<Bone> bones;
    std::map<std::string, int> boneByName;
    std::vector<std::pair<std::string, const aiMatrix4x4*>> orphans;  // bones naming no node
    std::vector<Instance> instances;
    std::map<int, std::string> writtenTextures;
    GltfStepChannels stepChannels;
};

void WalkNodes(Builder& b, const aiNode* node, int parent) {
    Node entry;
    entry.node = node;
    entry.parent = parent;
    entry.restLocal = ToDouble(node->mTransformation, b.options.scale);
    entry.restGlobal = parent < 0 ? entry.restLocal : b.nodes[static_cast<std::size_t>(parent)].restGlobal * entry.restLocal;
    const int index = static_cast<int>(b.nodes.size());
    b.nodes.push_back(entry);
    b.nodeByName.emplace(node->mName.C_Str(), index);
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        WalkNodes(b, node->mChildren[i], index);
    }
}

bool FindInstances(Builder& b, std::string* why) {
    std::set<unsigned> skinnedSeen;
    for (std::size_t n = 0; n < b.nodes.size(); ++n) {
        const aiNode* node = b.nodes[n].node;
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            const unsigned m = node->mMeshes[i];
            if (m >= b.scene->mNumMeshes) {
                continue;
            }
            const aiMesh* mesh = b.scene->mMeshes[m];
            if (mesh->mNumBones == 0) {
                b.instances.push_back({m, static_cast<int>(n), false});
                b.nodes[n].needed = true;
                continue;
            }
            if (!skinnedSeen.insert(m).second) {
                continue;
            }
            b.instances.push_back({m, static_cast<int>(n), true});
            for (unsigned k = 0; k < mesh->mNumBones; ++k) {
                const aiBone* bone = mesh->mBones[k];
                auto found = b.nodeByName.find(bone->mName.C_Str());
                if (found == b.nodeByName.end()) {
                    b.orphans.emplace_back(bone->mName.C_Str(), &bone->mOffsetMatrix);
                    continue;
                }
                Node& target = b.nodes[static_cast<std::size_t>(found->second)];
                target.needed = true;
                if (target.offset == nullptr) {
                    target.offset = &bone->mOffsetMatrix;
                }
            }
        }
    }
    if (b.instances.empty()) {
        *why = "no mesh is placed in the scene";
        return false;
    }
    return true;
}

// True when m is translation x rotation x a positive uniform scale.
bool EvenTransform(const Matrix& m, Trs* trs) {
    *trs = Decompose(m);
    const Vec& s = trs->s;
    return s.x > 0 && std::fabs(s.x - s.y) <= 1e-6 * s.x && std::fabs(s.x - s.z) <= 1e-6 * s.x &&
           Near(Compose(trs->s, trs->r, trs->t), m, 1e-6 * (1 + Largest(m)));
}

// Eigenvectors (columns of u) and eigenvalues of a symmetric 3x3 matrix, by
// cyclic Jacobi rotations.
void SymmetricEigen(aiMatrix3x3t<double> a, aiMatrix3x3t<double>* u, double values[3]) {
    *u = aiMatrix3x3t<double>();
    for (int sweep = 0; sweep < 50; ++sweep) {
        const double off = std::fabs(a[0][1]) + std::fabs(a[0][2]) + std::fabs(a[1][2]);
        if (off < 1e-300) {
            break;
        }
        for (unsigned p = 0; p < 2; ++p) {
            for (unsigned q = p + 1; q < 3; ++q) {
                if (a[p][q] == 0) {
                    continue;
                }
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1), sn = t * c;
                aiMatrix3x3t<double> turn;  // a := turnᵀ a turn
                turn[p][p] = c;
                turn[q][q] = c;
                turn[p][q] = sn;
                turn[q][p] = -sn;
                aiMatrix3x3t<double> turnT = turn;
                turnT.Transpose();
                a = turnT * a * turn;
                *u = *u * turn;
            }
        }
    }
    for (unsigned i = 0; i < 3; ++i) {
        values[i] = a[i][i];
    }
}

// For a bind with an uneven stretch: m = T x R x (U D Uᵀ) (polar form);
// answers T x (R U) x s̄, s̄ the geometric mean of D. The host's rest
// transforms and keys hold rotations and scales along their own axes only:
// with this bind and its correction m⁻¹ x even = U D⁻¹ s̄ on the right, each
// key is a rotation times a scale along the key's axes again. False for a
// mirroring or singular bind.
bool EvenPart(const Matrix& m, Matrix* even) {
    const aiMatrix3x3t<double> a(m);
    if (!(a.Determinant() > 0)) {
        return false;
    }
    aiMatrix3x3t<double> at = a;
    at.Transpose();
    aiMatrix3x3t<double> u;
    double values[3];
    SymmetricEigen(at * a, &u, values);
    if (u.Determinant() < 0) {
        for (unsigned i = 0; i < 3; ++i) {
            u[i][2] = -u[i][2];
        }
    }
    double d[3];
    for (int i = 0; i < 3; ++i) {
        if (!(values[i] > 0)) {
            return false;
        }
        d[i] = std::sqrt(values[i]);
    }
    const double mean = std::cbrt(d[0] * d[1] * d[2]);
    // R U = A U D⁻¹.
    aiMatrix3x3t<double> frame = a * u;
    for (unsigned i = 0; i < 3; ++i) {
        for (unsigned j = 0; j < 3; ++j) {
            frame[i][j] *= mean / d[j];
        }
    }
    *even = Matrix(frame);
    even->a4 = m.a4;
    even->b4 = m.b4;
    even->c4 = m.c4;
    return true;
}

// Every needed node and its ancestors become bones, parents first (the
// nodes are in depth-first order).
void MakeBones(Builder& b) {
    for (std::size_t n = b.nodes.size(); n-- > 0;) {
        if (b.nodes[n].needed && b.nodes[n].parent >= 0) {
            b.nodes[static_cast<std::size_t>(b.nodes[n].parent)].needed = true;
        }
    }
    for (std::size_t n = 0; n < b.nodes.size(); ++n) {
        Node& node = b.nodes[n];
        if (!node.needed) {
            continue;
        }
        node.bone = static_cast<int>(b.bones.size());
        Bone bone;
        bone.node = static_cast<int>(n);
        bone.name = node.node->mName.C_Str();
        bone.offset = node.offset;
        bone.bindWorld = node.offset != nullptr ? Inverted(ToDouble(*node.offset, b.options.scale)) : node.restGlobal;
        Trs trs;
        Matrix even;
        if (node.offset != nullptr && !EvenTransform(bone.bindWorld, &trs) && EvenPart(bone.bindWorld, &even)) {
            bone.correction = Inverted(bone.bindWorld) * even;
            bone.corrected = true;
            bone.bindWorld = even;
        }
        // A corrected bone's pose is not its node's transform: its node's
        // children hang from the nearest ancestor whose pose is.
        bone.parentNode = node.parent;
        while (bone.parentNode >= 0 &&
               b.bones[static_cast<std::size_t>(b.nodes[static_cast<std::size_t>(bone.parentNode)].bone)].corrected) {
            bone.parentNode = b.nodes[static_cast<std::size_t>(bone.parentNode)].parent;
        }
        bone.parent = bone.parentNode >= 0 ? b.nodes[static_cast<std::size_t>(bone.parentNode)].bone : -1;
        bone.bindLocal = bone.parent < 0 ? bone.bindWorld
                                         : Inverted(b.bones[static_cast<std::size_t>(bone.parent)].bindWorld) * bone.bindWorld;
        bone.keysCarryOver = EvenTransform(bone.bindLocal, &bone.rest) && !bone.corrected && bone.parentNode == node.parent;
        b.boneByName.emplace(bone.name, node.bone);
        b.bones.push_back(bone);
    }
    for (const auto& orphan : b.orphans) {
        if (b.boneByName.count(orphan.first) != 0) {
            continue;
        }
        Bone bone;
        bone.name = orphan.first;
        bone.offset = orphan.second;
        bone.bindWorld = Inverted(ToDouble(*orphan.second, b.options.scale));
        bone.bindLocal = bone.bindWorld;
        bone.rest = Decompose(bone.bindLocal);
        b.boneByName.emplace(bone.name, static_cast<int>(b.bones.size()));
        b.bones.push_back(bone);
    }
}

SceneBone BoneRecord(const Bone& bone) {
    SceneBone out;
    out.name = bone.name;
    out.setup.parent = bone.parent;
    const Trs& rest = bone.rest;
    const double t[3] = {rest.t.x, rest.t.y, rest.t.z};
    const double q[4] = {rest.r.x, rest.r.y, rest.r.z, rest.r.w};
    const double s[3] = {rest.s.x, rest.s.y, rest.s.z};
    for (int i = 0; i < 3; ++i) {
        out.setup.translation[i] = static_cast<float>(t[i]);
        out.setup.scale[i] = static_cast<float>(s[i]);
    }
    for (int i = 0; i < 4; ++i) {
        out.setup.rotation[i] = static_cast<float>(q[i]);
    }
    ToFloats(bone.bindLocal, out.setup.local);
    ToFloats(bone.bindWorld, out.setup.global);
    return out;
}

// --- Textures ------------------------------------------------------------------

bool WriteBytes(const std::filesystem::path& path, const void* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

// An uncompressed embedded texture as a 32-bit TGA, rows from the top.
bool WriteTga(const std::filesystem::path& path, const aiTexture& texture) {
    std::vector<std::uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = static_cast<std::uint8_t>(texture.mWidth & 0xFF);
    bytes[13] = static_cast<std::uint8_t>((texture.mWidth >> 8) & 0xFF);
    bytes[14] = static_cast<std::uint8_t>(texture.mHeight & 0xFF);
    bytes[15] = static_cast<std::uint8_t>((texture.mHeight >> 8) & 0xFF);
    bytes[16] = 32;
    bytes[17] = 0x28;  // top-left origin, 8 alpha bits
    const std::size_t texels = static_cast<std::size_t>(texture.mWidth) * texture.mHeight;
    for (std::size_t i = 0; i < texels; ++i) {
        const aiTexel& texel = texture.pcData[i];
        bytes.insert(bytes.end(), {texel.b, texel.g, texel.r, texel.a});
    }
    return WriteBytes(path, bytes.data(), bytes.size());
}

std::string EmbeddedTexturePath(Builder& b, const aiTexture& texture, int index) {
    auto written = b.writtenTextures.find(index);
    if (written != b.writtenTextures.end()) {
        return written->second;
    }
    const bool compressed = texture.mHeight == 0;
    std::string extension = compressed ? texture.achFormatHint : "tga";
    if (extension.empty()) {
        extension = "bin";
    }
    const std::filesystem::path path = std::filesystem::path(b.options.textureFolder) /
                                       (b.sourceStem + "_texture" + std::to_string(index) + "." + extension);
    const bool ok = compressed ? WriteBytes(path, texture.pcData, texture.mWidth) : WriteTga(path, texture);
    const std::string result = ok ? path.generic_string() : std::string();
    b.writtenTextures.emplace(index, result);
    return result;
}

std::string TexturePath(Builder& b, const aiMaterial* material) {
    aiString file;
    if (material->GetTexture(aiTextureType_DIFFUSE, 0, &file) != AI_SUCCESS &&
        material->GetTexture(aiTextureType_BASE_COLOR, 0, &file) != AI_SUCCESS) {
        return std::string();
    }
    const auto embedded = b.scene->GetEmbeddedTextureAndIndex(file.C_Str());
    if (embedded.first != nullptr) {
        return EmbeddedTexturePath(b, *embedded.first, embedded.second);
    }
    std::string name = file.C_Str();
    for (char& c : name) {
        c = c == '\\' ? '/' : c;
    }
    const std::filesystem::path path(name);
    return path.is_absolute() ? name : (b.sourceFolder / path).lexically_normal().generic_string();
}

// --- Meshes --------------------------------------------------------------------

Vec Transform(const Matrix& m, const Vec& v) { return m * v; }

void AddInstance(Builder& b, const Instance& instance, SceneDesc* desc) {
    const aiMesh* mesh = b.scene->mMeshes[instance.mesh];
    const Node& node = b.nodes[static_cast<std::size_t>(instance.node)];
    const int first = static_cast<int>(desc->vertices.size());
    const double scale = b.options.scale;

    // Where the mesh's vertices go so that each bone's bind transform takes
    // them: none for a mesh whose first bone gave its node the offset.
    bool adjust = false;
    Matrix adjustment;
    if (instance.skinned) {
        const aiBone* bone = mesh->mBones[0];
        const Bone& first = b.bones[static_cast<std::size_t>(b.boneByName.at(bone->mName.C_Str()))];
        if (std::memcmp(first.offset, &bone->mOffsetMatrix, sizeof(aiMatrix4x4)) != 0) {
            adjust = true;
            adjustment = Inverted(ToDouble(*first.offset, scale)) * ToDouble(bone->mOffsetMatrix, scale);
        }
    } else {
        adjust = true;
        adjustment = node.restGlobal;
    }
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
    if (instance.skinned) {
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
    const int materialIndex = static_cast<int>(desc->materials.size());
    desc->materials.push_back(material);

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
        for (unsigned c = 1; c + 1 < face.mNumIndices; ++c) {  // a fan from the first corner
            const std::vector<int> corners = {first + static_cast<int>(face.mIndices[0]),
                                              first + static_cast<int>(face.mIndices[c]),
                                              first + static_cast<int>(face.mIndices[c + 1])};
            group.faces.push_back({corners, corners, materialIndex});
        }
    }
    desc->groups.push_back(std::move(group));
}

// --- Animations ----------------------------------------------------------------

Vec SampleVector(const aiVectorKey* keys, unsigned count, double ticks, bool step, const Vec& fallback) {
    if (count == 0) {
        return fallback;
    }
    if (ticks <= keys[0].mTime) {
        const aiVector3D& v = keys[0].mValue;
        return Vec(v.x, v.y, v.z);
    }
    unsigned i = 0;
    while (i + 1 < count && keys[i + 1].mTime <= ticks) {
        ++i;
    }
    const aiVector3D& a = keys[i].mValue;
    if (i + 1 == count || step) {
        return Vec(a.x, a.y, a.z);
    }
    const aiVector3D& c = keys[i + 1].mValue;
    const double f = (ticks - keys[i].mTime) / (keys[i + 1].mTime - keys[i].mTime);
    return Vec(a.x + (c.x - a.x) * f, a.y + (c.y - a.y) * f, a.z + (c.z - a.z) * f);
}

// Unit length: files hold rotations rounded off the unit sphere, and the
// plug-in takes a rotation's matrix without normalising.
Quat ToDouble(const aiQuaternion& q) { return Quat(q.w, q.x, q.y, q.z).Normalize(); }

Quat SampleRotation(const aiQuatKey* keys, unsigned count, double ticks, bool step, const Quat& fallback) {
    if (count == 0) {
        return fallback;
    }
    if (ticks <= keys[0].mTime) {
        return ToDouble(keys[0].mValue);
    }
    unsigned i = 0;
    while (i + 1 < count && keys[i + 1].mTime <= ticks) {
        ++i;
    }
    if (i + 1 == count || step) {
        return ToDouble(keys[i].mValue);
    }
    const double f = (ticks - keys[i].mTime) / (keys[i + 1].mTime - keys[i].mTime);
    Quat out;
    Quat::Interpolate(out, ToDouble(keys[i].mValue), ToDouble(keys[i + 1].mValue), f);
    return out.Normalize();
}

HostVectorKey VectorKey(float time, const Vec& v) {
    return {time, static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

HostRotationKey RotationKey(float time, const Quat& q) {
    return {time, static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)};
}

// The keys that make the bone's host pose local to its host parent equal
// `local` (the product of its nodes' transforms below that parent) times the
// bone's correction, at `time`.
void AppendKeys(const Bone& bone, const Matrix& local, float time, SceneTrack* track) {
    const Trs keys = Decompose(Inverted(bone.bindLocal) * local * bone.correction);
    track->positions.push_back(VectorKey(time, keys.t));
    track->rotations.push_back(RotationKey(time, Quat(keys.r).Normalize()));
    track->scales.push_back(VectorKey(time, keys.s));
}

// The frame times at which the plug-in samples an animation, computed as it
// does in single precision.
std::vector<float> FrameTimes(float frameRate, float end) {
    const float fps = frameRate == 0 ? 30.0f : frameRate;
    const float product = std::ceil(end * fps);
    int count = product >= 1 && product < static_cast<float>(kMostSampledFrames) ? static_cast<int>(product) : 1;
    const float step = 1.0f / fps;
    std::vector<float> times;
    for (int i = 0; i < count; ++i) {
        times.push_back(static_cast<float>(i) * step);
    }
    return times;
}

using Channels = std::map<std::string, const aiNodeAnim*>;

struct AnimationContext {
    int index = 0;
    double ticksPerSecond = 1;
    Channels channels;
    std::vector<float> frameTimes;
};

const aiNodeAnim* ChannelOf(const AnimationContext& animation, const Node& node) {
    auto found = animation.channels.find(node.node->mName.C_Str());
    return found == animation.channels.end() ? nullptr : found->second;
}

// A node's transform relative to its parent at `ticks`, STEP channels held.
Matrix NodeLocalAt(const Builder& b, const Node& node, const AnimationContext& animation, double ticks) {
    const aiNodeAnim* channel = ChannelOf(animation, node);
    if (channel == nullptr) {
        return node.restLocal;
    }
    const Trs rest = Decompose(node.restLocal);
    const std::string name = node.node->mName.C_Str();
    auto step = [&](char kind) { return b.stepChannels.count({animation.index, name, kind}) != 0; };
    const double scale = b.options.scale;
    const Vec p = SampleVector(channel->mPositionKeys, channel->mNumPositionKeys, ticks, step('T'), rest.t / scale) * scale;
    const Quat q = SampleRotation(channel->mRotationKeys, channel->mNumRotationKeys, ticks, step('R'), rest.r);
    const Vec s = SampleVector(channel->mScalingKeys, channel->mNumScalingKeys, ticks, step('S'), rest.s);
    return Compose(s, q, p);
}

// The nodes from the bone's node up to, not including, its host parent's.
std::vector<const Node*> NodePath(const Builder& b, const Bone& bone) {
    std::vector<const Node*> path;
    for (int n = bone.node; n >= 0 && n != bone.parentNode; n = b.nodes[static_cast<std::size_t>(n)].parent) {
        path.push_back(&b.nodes[static_cast<std::size_t>(n)]);
    }
    return path;
}

// Keys carried over one by one. bindLocal = T(t0) R(q0) s0, so
// T(p) R(q) S(s) = bindLocal x T(q0⁻¹ (p - t0) / s0) R(q0⁻¹ q) S(s / s0): each
// channel on its own, and linear and spherical interpolation commute with it.
void CarryKeysOver(const Builder& b, const Bone& bone, const aiNodeAnim* channel, const AnimationContext& animation,
                   SceneTrack* track) {
    const Trs rest = Decompose(b.nodes[static_cast<std::size_t>(bone.node)].restLocal);
    const Quat undo = Quat(bone.rest.r).Conjugate();
    const double s0 = bone.rest.s.x;
    const double scale = b.options.scale;
    auto time = [&](double ticks) { return static_cast<float>(ticks / animation.ticksPerSecond); };
    auto position = [&](float t, const Vec& p) {
        track->positions.push_back(VectorKey(t, undo.Rotate(p - bone.rest.t) / s0));
    };
    auto rotation = [&](float t, const Quat& q) { track->rotations.push_back(RotationKey(t, (undo * q).Normalize())); };
    auto scaling = [&](float t, const Vec& s) { track->scales.push_back(VectorKey(t, s / s0)); };
    for (unsigned k = 0; k < channel->mNumPositionKeys; ++k) {
        const aiVectorKey& key = channel->mPositionKeys[k];
        position(time(key.mTime), Vec(key.mValue.x, key.mValue.y, key.mValue.z) * scale);
    }
    for (unsigned k = 0; k < channel->mNumRotationKeys; ++k) {
        rotation(time(channel->mRotationKeys[k].mTime), ToDouble(channel->mRotationKeys[k].mValue));
    }
    for (unsigned k = 0; k < channel->mNumScalingKeys; ++k) {
        const aiVectorKey& key = channel->mScalingKeys[k];
        scaling(time(key.mTime), Vec(key.mValue.x, key.mValue.y, key.mValue.z));
    }
    if (channel->mNumPositionKeys == 0) {
        position(0, rest.t);
    }
    if (channel->mNumRotationKeys == 0) {
        rotation(0, rest.r);
    }
    if (channel->mNumScalingKeys == 0) {
        scaling(0, rest.s);
    }
}

SceneTrack BoneTrack(const Builder& b, const Bone& bone, const AnimationContext& animation) {
    SceneTrack track;
    track.bone = static_cast<int>(&bone - b.bones.data());
    const std::vector<const Node*> path = NodePath(b, bone);
    bool animated = false;
    bool stepped = false;
    for (const Node* node : path) {
        animated = animated || ChannelOf(animation, *node) != nullptr;
        for (char kind : {'T', 'R', 'S'}) {
            stepped = stepped || b.stepChannels.count({animation.index, node->node->mName.C_Str(), kind}) != 0;
        }
    }
    auto localAt = [&](double ticks) {
        Matrix local;
        for (auto node = path.rbegin(); node != path.rend(); ++node) {
            local = local * NodeLocalAt(b, **node, animation, ticks);
        }
        return local;
    };
    if (!animated) {
        const Matrix local = localAt(0);
        if (!Near(Inverted(bone.bindLocal) * local * bone.correction, Matrix(), 1e-9 * (1 + Largest(local)))) {
            AppendKeys(bone, local, 0, &track);
        }
    } else if (bone.keysCarryOver && path.size() == 1 && !stepped) {
        CarryKeysOver(b, bone, ChannelOf(animation, *path[0]), animation, &track);
    } else {
        // Otherwise the transform is taken at every frame time.
        for (const float time : animation.frameTimes) {
            AppendKeys(bone, localAt(static_cast<double>(time) * animation.ticksPerSecond), time, &track);
        }
    }
    return track;
}

// Names for unnamed animations: anim, anim_b, ..., anim_z, anim_aa, ... Each
// ends in a letter, since frame names are split at their trailing digits
// ("anim0" + "10" would read as "anim" + "010").
std::string UnnamedAnimationName(std::size_t k) {
    if (k == 0) {
        return "anim";
    }
    std::string letters;
    for (std::size_t n = k + 1; n > 0; n = (n - 1) / 26) {  // bijective base 26: a = 1
        letters.insert(letters.begin(), static_cast<char>('a' + (n - 1) % 26));
    }
    return "anim_" + letters;
}

bool AddAnimations(const Builder& b, SceneDesc* desc, std::string* why) {
    std::set<std::string> taken;  // unnamed ones must not meet a named one, before or after them
    for (unsigned a = 0; a < b.scene->mNumAnimations; ++a) {
        taken.insert(b.scene->mAnimations[a]->mName.C_Str());
    }
    std::size_t unnamed = 0;
    for (unsigned a = 0; a < b.scene->mNumAnimations; ++a) {
        const aiAnimation* source = b.scene->mAnimations[a];
        SceneAnimation animation;
        animation.name = source->mName.C_Str();
        if (animation.name.empty()) {
            do {
                animation.name = UnnamedAnimationName(unnamed++);
            } while (!taken.insert(animation.name).second);
        }
        AnimationContext context;
        context.index = static_cast<int>(a);
        context.ticksPerSecond = source->mTicksPerSecond > 0 ? source->mTicksPerSecond : kDefaultTicksPerSecond;
        animation.frameRate = b.options.fps;
        animation.end = static_cast<float>(source->mDuration / context.ticksPerSecond);
        if (!(animation.end >= 0) || animation.end * b.options.fps >= static_cast<float>(kMostSampledFrames)) {
            *why = "animation \"" + animation.name + "\" is longer than " + std::to_string(kMostSampledFrames) +
                   " frames";
            return false;
        }
        ApplyFrameCount(b.options.frameCounts, &animation);
        context.frameTimes = FrameTimes(animation.frameRate, animation.end);
        for (unsigned c = 0; c < source->mNumChannels; ++c) {
            context.channels.emplace(source->mChannels[c]->mNodeName.C_Str(), source->mChannels[c]);
        }
        for (const Bone& bone : b.bones) {
            if (bone.node < 0) {
                continue;
            }
            SceneTrack track = BoneTrack(b, bone, context);
            if (!track.positions.empty() || !track.rotations.empty() || !track.scales.empty()) {
                animation.tracks.push_back(std::move(track));
            }
        }
        desc->animations.push_back(std::move(animation));
    }
    return true;
}

}  // namespace

bool BuildAssimpScene(const std::string& path, const AssimpSceneOptions& options, SceneDesc* desc, std::string* why) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    std::string reason;
    if (scene == nullptr) {
        reason = importer.GetErrorString();
    } else if (scene->mRootNode == nullptr || scene->mNumMeshes == 0) {
        reason = "the file holds no mesh";
    }
    Builder b;
    if (reason.empty()) {
        b.scene = scene;
        b.options = options;
        b.sourceFolder = std::filesystem::absolute(path).parent_path();
        b.sourceStem = std::filesystem::path(path).stem().string();
        b.stepChannels = ReadGltfStepChannels(path);
        WalkNodes(b, scene->mRootNode, -1);
        if (FindInstances(b, &reason)) {
            MakeBones(b);
            *desc = SceneDesc{};
            for (const Instance& instance : b.instances) {
                AddInstance(b, instance, desc);
            }
            for (const Bone& bone : b.bones) {
                desc->bones.push_back(BoneRecord(bone));
            }
            AddAnimations(b, desc, &reason);
        }
    }
    if (!reason.empty()) {
        *why = path + ": " + reason;
        return false;
    }
    return true;
}
