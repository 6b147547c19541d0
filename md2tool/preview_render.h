// Contact sheets of an MD2 model's frames, drawn with fixed-function OpenGL
// off screen through OSMesa: one cell per frame, the frame's name in a
// label strip at the top of its cell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "md2/md2_model.h"
#include "md2tool/gl_commands.h"
#include "md2tool/rgba_image.h"

struct PreviewFrame {
    std::string name;
    std::vector<Md2Position> positions;  // vertexCount entries
    std::vector<std::uint8_t> normals;   // normal table indices, vertexCount entries
};

// Everything the renderer draws, with every index already checked.
struct PreviewGeometry {
    int vertexCount = 0;
    std::vector<std::int32_t> glCommands;      // a checked list; empty: draw `triangles`
    std::vector<GlDrawnTriangle> triangles;    // the triangle list in file corner order
    std::vector<PreviewFrame> frames;
};

struct PreviewLayout {
    int cellWidth = 192;
    int cellHeight = 192;
    int columns = 0;  // 0: as close to a square sheet as the frame count allows
};

inline constexpr int kPreviewLabelHeight = 14;

// Where the camera looks: the model turned 30 degrees about its up axis,
// seen orthographically, fitted to every frame's positions.
struct PreviewCamera {
    float right[3];
    float up[3];
    float toward[3];
    float left;
    float rightEdge;
    float bottom;
    float top;
    float nearest;
    float farthest;
};
PreviewCamera FitPreviewCamera(const PreviewGeometry& geometry, const PreviewLayout& layout);
// The pixel of a cell (from the cell's top-left corner) a model point lands on.
void ProjectToCell(const PreviewCamera& camera, const PreviewLayout& layout, const Md2Position& point, float* x,
                   float* y);

// The background and label colours of the sheet.
inline constexpr std::uint8_t kPreviewBackground[3] = {40, 44, 52};
inline constexpr std::uint8_t kPreviewLabelBackground[3] = {20, 22, 26};
inline constexpr std::uint8_t kPreviewLabelText[3] = {255, 255, 255};

bool RenderContactSheet(const PreviewGeometry& geometry, const RgbaImage& skin, const PreviewLayout& layout,
                        RgbaImage* sheet, std::string* error);
