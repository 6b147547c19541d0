#include "md2tool/preview_command.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "md2/md2_frame_positions.h"
#include "md2tool/frame_choice.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/md2_tool_cli.h"
#include "md2tool/preview_module.h"
#include "md2tool/skin_lookup.h"
#include "md2tool/tool_files.h"
#include "md2tool/tool_model.h"

namespace {

struct PreviewArgs {
    std::string input;
    std::string output;
    std::string frames = "all";
    std::string skin;
    PreviewLayout layout;
    bool triangles = false;
};

bool ParsePositive(const std::string& text, int* value) {
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || parsed <= 0 || parsed > 100000) {
        return false;
    }
    *value = static_cast<int>(parsed);
    return true;
}

bool ParseArgs(const std::vector<std::string>& args, PreviewArgs* parsed) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "-o" && hasValue) {
            parsed->output = args[++i];
        } else if (args[i] == "--frames" && hasValue) {
            parsed->frames = args[++i];
        } else if (args[i] == "--skin" && hasValue) {
            parsed->skin = args[++i];
        } else if (args[i] == "--size" && hasValue) {
            const std::string size = args[++i];
            const std::size_t x = size.find('x');
            if (x == std::string::npos || !ParsePositive(size.substr(0, x), &parsed->layout.cellWidth) ||
                !ParsePositive(size.substr(x + 1), &parsed->layout.cellHeight)) {
                return false;
            }
        } else if (args[i] == "--columns" && hasValue) {
            if (!ParsePositive(args[++i], &parsed->layout.columns)) {
                return false;
            }
        } else if (args[i] == "--triangles") {
            parsed->triangles = true;
        } else if (parsed->input.empty() && !args[i].empty() && args[i][0] != '-') {
            parsed->input = args[i];
        } else {
            return false;
        }
    }
    return !parsed->input.empty() && !parsed->output.empty();
}


// Triangles and GL commands checked against the counts; GL commands that do
// not decode are passed over for the triangle list.
bool BuildGeometry(const Md2FileView& view, const Md2Model& model, const std::vector<int>& frames, bool triangles,
                   PreviewGeometry* geometry, ToolOutput* output) {
    const Md2Header& h = view.header;
    if (h.num_xyz <= 0 || !TriangleIndicesInRange(view)) {
        output->err += "corvane-md2: the triangles name vertices or texture coordinates the file does not have\n";
        return false;
    }
    geometry->vertexCount = h.num_xyz;
    const float width = static_cast<float>(h.skinwidth);
    const float height = static_cast<float>(h.skinheight);
    for (int i = 0; i < h.num_tris; ++i) {
        const Md2TriangleRecord t = TriangleAt(view, i);
        GlDrawnTriangle drawn;
        for (int k = 0; k < 3; ++k) {
            const Md2TexCoordRecord st = TexCoordAt(view, t.index_st[k]);
            drawn.corners[k] = {t.index_xyz[k], GlTexCoord(st.s, width), GlTexCoord(st.t, height)};
        }
        geometry->triangles.push_back(drawn);
    }
    if (!triangles && GlCommandsInFile(view) && h.num_glcmds > 0) {
        std::vector<std::int32_t> words(static_cast<std::size_t>(h.num_glcmds));
        for (std::size_t i = 0; i < words.size(); ++i) {
            words[i] = GlCommandWordAt(view, static_cast<int>(i));
        }
        std::vector<GlDrawnTriangle> drawn;
        std::string why;
        if (words[0] != 0 && DecodeGlCommandList(words.data(), words.size(), h.num_xyz, &drawn, &why)) {
            geometry->glCommands = std::move(words);
        } else if (words[0] != 0) {
            output->err += "corvane-md2: " + why + "; drawing the triangle list\n";
        }
    }
    for (int f : frames) {
        PreviewFrame frame{model.frames[f].name, std::vector<Md2Position>(static_cast<std::size_t>(h.num_xyz)), {}};
        DecodeMd2FramePositions(model.frames[f], frame.positions.data());
        frame.normals.resize(static_cast<std::size_t>(h.num_xyz));
        for (int v = 0; v < h.num_xyz; ++v) {
            frame.normals[static_cast<std::size_t>(v)] = VertexAt(view, f, v)[3];
        }
        geometry->frames.push_back(std::move(frame));
    }
    return true;
}

}  // namespace

int RunPreviewCommand(const std::vector<std::string>& args, ToolOutput* output) {
    PreviewArgs parsed;
    if (!ParseArgs(args, &parsed)) {
        return ToolUsageError("preview", "needs FILE.md2 and -o OUT.png, with options as below", output);
    }
    ToolFileBytes file;
    std::string error;
    Md2FileView view;
    Md2Model model;
    if (!OpenToolModel(parsed.input, &file, &view, &model, &error)) {
        output->err += "corvane-md2: " + error + "\n";
        return kToolBadInput;
    }
    std::vector<int> frames;
    PreviewGeometry geometry;
    bool ready = SelectFrames(model, parsed.frames, &frames, &error);
    if (!ready) {
        output->err += "corvane-md2: " + error + "\n";
    } else {
        ready = BuildGeometry(view, model, frames, parsed.triangles, &geometry, output);
    }
    RgbaImage skin;
    std::string skinPath = parsed.skin.empty() ? FindSkinBeside(view, 0, parsed.input) : parsed.skin;
    if (ready && !skinPath.empty() && !LoadSkinImage(skinPath, &skin, &error)) {
        output->err += "corvane-md2: " + error + "\n";
        ready = false;
    }
    if (ready && skinPath.empty()) {
        skin = CheckerImage(64, 64);
    }
    RgbaImage sheet;
    if (ready && (!RenderContactSheetInModule(geometry, skin, parsed.layout, &sheet, &error) ||
                  !WritePng(parsed.output, sheet, &error))) {
        output->err += "corvane-md2: " + error + "\n";
        ready = false;
    }
    if (ready) {
        output->out += parsed.output + ": " + std::to_string(frames.size()) + " frames drawn from " +
                       (geometry.glCommands.empty() ? "the triangle list" : "the GL command list") + ", skin " +
                       (skinPath.empty() ? "grey checker" : skinPath) + "\n";
    }
    ReleaseToolModel(&model);
    return ready ? kToolOk : kToolBadInput;
}
