#include "md2tool/preview_render.h"

#include <GL/osmesa.h>
#include <stb_easy_font.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "md2/md2_normals.h"

namespace {

constexpr float kYawRadians = 0.5235988f;  // 30 degrees

float Dot(const float a[3], const Md2Position& p) { return a[0] * p.x + a[1] * p.y + a[2] * p.z; }

int ColumnsOf(const PreviewLayout& layout, int frames) {
    if (layout.columns > 0) {
        return std::min(layout.columns, std::max(frames, 1));
    }
    int columns = 1;
    while (columns * columns < frames) {
        ++columns;
    }
    return columns;
}

// Lambert shading of a vertex by its normal index, from a fixed light above
// and in front of the camera's side of the model, as a level 0 to 255.
int ShadeOf(const PreviewCamera& camera, std::uint8_t normalIndex) {
    float light[3];
    for (int i = 0; i < 3; ++i) {
        light[i] = camera.toward[i] + 0.8f * camera.up[i] + 0.3f * camera.right[i];
    }
    const float length = std::sqrt(light[0] * light[0] + light[1] * light[1] + light[2] * light[2]);
    const float* n = kMd2Normals[normalIndex < kMd2NormalCount ? normalIndex : 0];
    const float lambert = (n[0] * light[0] + n[1] * light[1] + n[2] * light[2]) / length;
    return static_cast<int>(std::lround(255.0f * (0.35f + 0.65f * std::max(lambert, 0.0f))));
}

// Each triangle is shaded flat with the mean of its corners' levels: GL
// takes a flat triangle's colour from its last vertex, which in strips and
// fans is the one that completes it. A triangle then looks the same drawn
// from a strip, a fan or the triangle list, whatever corner GL starts from.
void ShadeTriangle(const PreviewCamera& camera, const PreviewFrame& frame, const GlDrawnCorner& a,
                   const GlDrawnCorner& b, const GlDrawnCorner& c) {
    const int level = (ShadeOf(camera, frame.normals[static_cast<std::size_t>(a.vertex)]) +
                       ShadeOf(camera, frame.normals[static_cast<std::size_t>(b.vertex)]) +
                       ShadeOf(camera, frame.normals[static_cast<std::size_t>(c.vertex)]) + 1) / 3;
    glColor3ub(static_cast<GLubyte>(level), static_cast<GLubyte>(level), static_cast<GLubyte>(level));
}

void EmitCorner(const PreviewFrame& frame, const GlDrawnCorner& corner) {
    const std::size_t v = static_cast<std::size_t>(corner.vertex);
    glTexCoord2f(corner.s, corner.t);
    glVertex3f(frame.positions[v].x, frame.positions[v].y, frame.positions[v].z);
}

// The list as the renderer reads it: strips and fans straight to GL.
void DrawGlCommands(const PreviewCamera& camera, const PreviewGeometry& geometry, const PreviewFrame& frame) {
    const std::vector<std::int32_t>& words = geometry.glCommands;
    std::vector<GlDrawnCorner> run;
    std::size_t at = 0;
    while (at < words.size() && words[at] != 0) {
        const std::int32_t head = words[at++];
        const bool fan = head < 0;
        const std::size_t count = static_cast<std::size_t>(fan ? -static_cast<std::int64_t>(head) : head);
        run.resize(count);
        for (std::size_t i = 0; i < count; ++i, at += 3) {
            std::memcpy(&run[i].s, &words[at], sizeof(float));
            std::memcpy(&run[i].t, &words[at + 1], sizeof(float));
            run[i].vertex = words[at + 2];
        }
        glBegin(fan ? GL_TRIANGLE_FAN : GL_TRIANGLE_STRIP);
        for (std::size_t i = 0; i < count; ++i) {
            if (i >= 2) {
                ShadeTriangle(camera, frame, fan ? run[0] : run[i - 2], run[i - 1], run[i]);
            }
            EmitCorner(frame, run[i]);
        }
        glEnd();
    }
}

void DrawTriangles(const PreviewCamera& camera, const PreviewGeometry& geometry, const PreviewFrame& frame) {
    glBegin(GL_TRIANGLES);
    for (const GlDrawnTriangle& triangle : geometry.triangles) {
        EmitCorner(frame, triangle.corners[0]);
        EmitCorner(frame, triangle.corners[1]);
        ShadeTriangle(camera, frame, triangle.corners[0], triangle.corners[1], triangle.corners[2]);
        EmitCorner(frame, triangle.corners[2]);
    }
    glEnd();
}

void DrawLabel(const PreviewLayout& layout, const std::string& name) {
    const int drawHeight = layout.cellHeight - kPreviewLabelHeight;
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, drawHeight, layout.cellWidth, kPreviewLabelHeight);
    glClearColor(kPreviewLabelBackground[0] / 255.0f, kPreviewLabelBackground[1] / 255.0f,
                 kPreviewLabelBackground[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, layout.cellWidth, layout.cellHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, layout.cellWidth, layout.cellHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    static char quads[64 * 1024];
    std::string text = name;
    const int quadCount = stb_easy_font_print(3.0f, 3.0f, text.data(), nullptr, quads, sizeof quads);
    glColor3ub(kPreviewLabelText[0], kPreviewLabelText[1], kPreviewLabelText[2]);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 16, quads);
    glDrawArrays(GL_QUADS, 0, quadCount * 4);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DrawFrame(const PreviewCamera& camera, const PreviewGeometry& geometry, const PreviewLayout& layout,
               const PreviewFrame& frame, GLuint texture) {
    glViewport(0, 0, layout.cellWidth, layout.cellHeight - kPreviewLabelHeight);
    glClearColor(kPreviewBackground[0] / 255.0f, kPreviewBackground[1] / 255.0f, kPreviewBackground[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(camera.left, camera.rightEdge, camera.bottom, camera.top, camera.nearest, camera.farthest);
    glMatrixMode(GL_MODELVIEW);
    const GLfloat view[16] = {camera.right[0], camera.up[0], camera.toward[0], 0,
                              camera.right[1], camera.up[1], camera.toward[1], 0,
                              camera.right[2], camera.up[2], camera.toward[2], 0,
                              0,               0,            0,                1};
    glLoadMatrixf(view);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_FLAT);
    // The file's triangles face the viewer when their corners run clockwise.
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (geometry.glCommands.empty()) {
        DrawTriangles(camera, geometry, frame);
    } else {
        DrawGlCommands(camera, geometry, frame);
    }
    DrawLabel(layout, frame.name);
}

}  // namespace

PreviewCamera FitPreviewCamera(const PreviewGeometry& geometry, const PreviewLayout& layout) {
    PreviewCamera camera{};
    const float c = std::cos(kYawRadians);
    const float s = std::sin(kYawRadians);
    const float right[3] = {-s, c, 0};
    const float up[3] = {0, 0, 1};
    const float toward[3] = {c, s, 0};
    std::copy(right, right + 3, camera.right);
    std::copy(up, up + 3, camera.up);
    std::copy(toward, toward + 3, camera.toward);
    float lo[3] = {0, 0, 0};
    float hi[3] = {0, 0, 0};
    bool first = true;
    for (const PreviewFrame& frame : geometry.frames) {
        for (int v = 0; v < geometry.vertexCount; ++v) {
            const float e[3] = {Dot(right, frame.positions[v]), Dot(up, frame.positions[v]),
                                Dot(toward, frame.positions[v])};
            for (int i = 0; i < 3; ++i) {
                lo[i] = first ? e[i] : std::min(lo[i], e[i]);
                hi[i] = first ? e[i] : std::max(hi[i], e[i]);
            }
            first = false;
        }
    }
    // Equal scale on both axes, with a margin of a twentieth each side.
    const float aspect = static_cast<float>(layout.cellWidth) /
                         static_cast<float>(std::max(layout.cellHeight - kPreviewLabelHeight, 1));
    float halfWidth = std::max((hi[0] - lo[0]) * 0.5f, 1e-3f);
    float halfHeight = std::max((hi[1] - lo[1]) * 0.5f, 1e-3f);
    if (halfWidth < halfHeight * aspect) {
        halfWidth = halfHeight * aspect;
    } else {
        halfHeight = halfWidth / aspect;
    }
    halfWidth *= 1.1f;
    halfHeight *= 1.1f;
    const float cx = (lo[0] + hi[0]) * 0.5f;
    const float cy = (lo[1] + hi[1]) * 0.5f;
    camera.left = cx - halfWidth;
    camera.rightEdge = cx + halfWidth;
    camera.bottom = cy - halfHeight;
    camera.top = cy + halfHeight;
    const float depthPad = 1.0f + 0.1f * (hi[2] - lo[2]);
    camera.nearest = -hi[2] - depthPad;
    camera.farthest = -lo[2] + depthPad;
    return camera;
}

void ProjectToCell(const PreviewCamera& camera, const PreviewLayout& layout, const Md2Position& point, float* x,
                   float* y) {
    const float drawHeight = static_cast<float>(layout.cellHeight - kPreviewLabelHeight);
    *x = (Dot(camera.right, point) - camera.left) / (camera.rightEdge - camera.left) * static_cast<float>(layout.cellWidth);
    *y = static_cast<float>(kPreviewLabelHeight) +
         (camera.top - Dot(camera.up, point)) / (camera.top - camera.bottom) * drawHeight;
}

bool RenderContactSheet(const PreviewGeometry& geometry, const RgbaImage& skin, const PreviewLayout& layout,
                        RgbaImage* sheet, std::string* error) {
    const int frames = static_cast<int>(geometry.frames.size());
    if (frames == 0 || layout.cellWidth < 16 || layout.cellHeight <= kPreviewLabelHeight + 8 ||
        layout.cellWidth > 4096 || layout.cellHeight > 4096) {
        *error = "nothing to draw, or a cell size outside 16x23 to 4096x4096";
        return false;
    }
    const int columns = ColumnsOf(layout, frames);
    const int rows = (frames + columns - 1) / columns;
    const std::uint64_t sheetPixels = std::uint64_t{static_cast<unsigned>(columns * layout.cellWidth)} *
                                      static_cast<unsigned>(rows) * static_cast<unsigned>(layout.cellHeight);
    if (sheetPixels > (1u << 28)) {
        *error = "the contact sheet would exceed 268 million pixels";
        return false;
    }
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (context == nullptr) {
        *error = "OSMesa could not create a context";
        return false;
    }
    const std::size_t cellBytes = static_cast<std::size_t>(layout.cellWidth) * static_cast<std::size_t>(layout.cellHeight) * 4;
    std::vector<std::uint8_t> cell(cellBytes);
    if (!OSMesaMakeCurrent(context, cell.data(), GL_UNSIGNED_BYTE, layout.cellWidth, layout.cellHeight)) {
        OSMesaDestroyContext(context);
        *error = "OSMesa could not draw into the cell buffer";
        return false;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, skin.width, skin.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, skin.pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    sheet->width = columns * layout.cellWidth;
    sheet->height = rows * layout.cellHeight;
    sheet->pixels.assign(static_cast<std::size_t>(sheetPixels) * 4, 0);
    for (std::size_t i = 0; i < sheet->pixels.size(); i += 4) {
        std::copy(kPreviewBackground, kPreviewBackground + 3, &sheet->pixels[i]);
        sheet->pixels[i + 3] = 255;
    }
    const PreviewCamera camera = FitPreviewCamera(geometry, layout);
    const std::size_t rowBytes = static_cast<std::size_t>(layout.cellWidth) * 4;
    for (int f = 0; f < frames; ++f) {
        DrawFrame(camera, geometry, layout, geometry.frames[static_cast<std::size_t>(f)], texture);
        glFinish();
        const std::size_t x0 = static_cast<std::size_t>(f % columns) * rowBytes;
        const std::size_t y0 = static_cast<std::size_t>(f / columns) * static_cast<std::size_t>(layout.cellHeight);
        // OSMesa's rows run from the bottom; the sheet's from the top.
        for (int y = 0; y < layout.cellHeight; ++y) {
            const std::uint8_t* from = cell.data() + static_cast<std::size_t>(layout.cellHeight - 1 - y) * rowBytes;
            std::copy(from, from + rowBytes,
                      sheet->pixels.data() + (y0 + static_cast<std::size_t>(y)) * static_cast<std::size_t>(sheet->width) * 4 + x0);
        }
    }
    glDeleteTextures(1, &texture);
    OSMesaDestroyContext(context);
    return true;
}
