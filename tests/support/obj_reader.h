// Reading the triangles of a Wavefront OBJ file written by another program.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

struct ObjCorner {
    int position;  // 0-based
    int texCoord;
};

struct ObjMesh {
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> texCoords;
    std::vector<std::array<ObjCorner, 3>> faces;
};

// Reads the v, vt and f lines; every face must be a triangle of
// position/texture[/normal] corners. Numbers are read to the nearest float.
bool ReadObj(const std::filesystem::path& path, ObjMesh* mesh);

// Frame 0 of an MD2 file as the independent converter writes it (assimp
// export FILE OUT.obj); false when the tool is missing or fails.
bool ExportWithAssimp(const std::filesystem::path& model, const std::filesystem::path& obj);
