// Where a glTF document's arrays lie in its buffer: its buffer views and
// accessors, and the places of the parts the document names.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// Every view starts on a multiple of four bytes.
inline std::uint64_t GltfPadded(std::uint64_t bytes) { return (bytes + 3) & ~std::uint64_t{3}; }

// The document's buffer views and accessors: arrays of one kind share a
// view, so that a thousand frames make a thousand accessors but no more
// views.
struct GltfView {
    std::uint64_t offset;
    std::uint64_t length;
    int target;  // 0: none
    int stride;  // 0: none
};
struct GltfAccessor {
    int view;
    std::uint64_t offset;
    int componentType;
    std::size_t count;
    int components;  // 1, 2 or 3: SCALAR, VEC2 or VEC3
    bool bounded;    // min and max below stated
    float min[3];
    float max[3];
};
struct GltfLayout {
    std::vector<GltfView> views;
    std::vector<GltfAccessor> accessors;
    std::uint64_t bytes = 0;

    // A buffer view of `length` bytes at the end; answers its index.
    int AddView(std::uint64_t length, int target, int stride = 0) {
        views.push_back({bytes, length, target, stride});
        bytes += GltfPadded(length);
        return static_cast<int>(views.size()) - 1;
    }
    // An accessor at `offset` bytes into `view`; answers its index.
    int AddAccessor(int view, std::uint64_t offset, int componentType, std::size_t count, int components) {
        accessors.push_back({view, offset, componentType, count, components, false, {}, {}});
        return static_cast<int>(accessors.size()) - 1;
    }
    // States an accessor's min and max, one value a component.
    void Bound(int accessor, const float* min, const float* max) {
        GltfAccessor& a = accessors[static_cast<std::size_t>(accessor)];
        a.bounded = true;
        std::copy(min, min + a.components, a.min);
        std::copy(max, max + a.components, a.max);
    }
};

// The accessors of the mesh's parts: the targets' positions and normals
// alternate from `firstTarget`, each animation's times and weights from
// `firstKeys`; the images' views follow one another from `firstImageView`.
struct GltfParts {
    int indices;
    int texCoords;
    int basePosition;
    int baseNormal;
    int firstTarget;
    int firstKeys;
    int firstImageView;
};
