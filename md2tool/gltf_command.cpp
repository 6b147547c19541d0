#include "md2tool/gltf_command.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <span>

#include "md2tool/frame_choice.h"
#include "md2tool/gltf_writer.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/skin_lookup.h"
#include "md2tool/tool_files.h"
#include "md2tool/tool_model.h"

namespace {

struct GltfArgs {
    std::string input;
    std::string output;
    std::string frames = "all";
    std::vector<std::string> skins;
    float fps = 10;
    float scale = 1;
};

// A finite number above 0 and below 1e6.
bool ParseFactor(const std::string& text, float* value) {
    char* end = nullptr;
    const float parsed = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != 0 || !std::isfinite(parsed) || parsed <= 0 || parsed >= 1e6f) {
        return false;
    }
    *value = parsed;
    return true;
}

bool EndsWith(const std::string& text, const char* tail) {
    const std::size_t n = std::strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

bool ParseArgs(const std::vector<std::string>& args, GltfArgs* parsed) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "-o" && hasValue) {
            parsed->output = args[++i];
        } else if (args[i] == "--frames" && hasValue) {
            parsed->frames = args[++i];
        } else if (args[i] == "--skin" && hasValue) {
            parsed->skins.push_back(args[++i]);
        } else if (args[i] == "--fps" && hasValue) {
            if (!ParseFactor(args[++i], &parsed->fps)) {
                return false;
            }
        } else if (args[i] == "--scale" && hasValue) {
            if (!ParseFactor(args[++i], &parsed->scale)) {
                return false;
            }
        } else if (parsed->input.empty() && !args[i].empty() && args[i][0] != '-') {
            parsed->input = args[i];
        } else {
            return false;
        }
    }
    return !parsed->input.empty() && (EndsWith(parsed->output, ".glb") || EndsWith(parsed->output, ".gltf"));
}

// The skins given, else those the file names that lie beside it; a skin the
// file names but that is not there is a warning, one that does not decode
// an error.
bool LoadSkins(const GltfArgs& args, const Md2FileView& view, std::vector<GltfSkin>* skins, ToolOutput* output) {
    std::vector<std::string> paths = args.skins;
    if (paths.empty()) {
        for (int i = 0; i < view.header.num_skins; ++i) {
            const std::string found = FindSkinBeside(view, i, args.input);
            if (found.empty()) {
                output->err += "corvane-md2: warning: " + args.input + ": skin " + std::to_string(i) + " \"" +
                               SkinNameOf(view, i) + "\" is not beside the model; it is left out\n";
            } else {
                paths.push_back(found);
            }
        }
    }
    for (const std::string& path : paths) {
        GltfSkin skin;
        skin.name = ToolPathText(ToolPath(path).filename());
        std::string error;
        if (!LoadSkinImage(path, &skin.image, &error)) {
            output->err += "corvane-md2: " + error + "\n";
            return false;
        }
        skins->push_back(std::move(skin));
    }
    return true;
}

// The .gltf's buffer and images beside it, then the JSON, or the one .glb;
// files this run made are removed again when a later one fails.
bool WriteGltfFiles(const GltfArgs& args, const Md2Model& model, const GltfOptions& options,
                    const GltfDocument& document, std::string* error) {
    const std::filesystem::path folder = ToolPath(args.output).parent_path();
    const auto bytesOf = [](std::span<const std::uint8_t> bytes) {
        return BytePieceSource([bytes](const BytePieces& put) { return put(bytes); });
    };
    const auto textOf = [&bytesOf](const std::string& text) {
        return bytesOf(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    std::vector<std::pair<std::string, BytePieceSource>> parts;
    if (options.binary) {
        parts.emplace_back(args.output, [&](const BytePieces& put) { return PutGlb(model, options, document, put); });
    } else {
        parts.emplace_back(ToolPathText(folder / ToolPath(options.bufferUri)), [&](const BytePieces& put) {
            return PutGltfBuffer(model, options, document, put);
        });
        for (std::size_t i = 0; i < document.pngs.size(); ++i) {
            parts.emplace_back(ToolPathText(folder / ToolPath(options.imageUris[i])), bytesOf(document.pngs[i]));
        }
        parts.emplace_back(args.output, textOf(document.json));
    }
    std::vector<std::string> made;
    for (const auto& [path, source] : parts) {
        std::error_code ignored;
        const bool existed = std::filesystem::exists(ToolPath(path), ignored);
        if (!WriteFileReplacingPieces(path, source, error)) {
            for (const std::string& earlier : made) {
                std::filesystem::remove(ToolPath(earlier), ignored);
            }
            return false;
        }
        if (!existed) {
            made.push_back(path);
        }
    }
    return true;
}

}  // namespace

int RunGltfCommand(const std::vector<std::string>& args, ToolOutput* output) {
    GltfArgs parsed;
    if (!ParseArgs(args, &parsed)) {
        return ToolUsageError("gltf", "needs IN.md2 and -o OUT.glb or OUT.gltf, with options as below", output);
    }
    ToolFileBytes file;
    Md2FileView view;
    Md2Model model;
    std::string error;
    if (!OpenToolModel(parsed.input, &file, &view, &model, &error)) {
        output->err += "corvane-md2: " + error + "\n";
        return kToolBadInput;
    }
    GltfOptions options;
    options.fps = parsed.fps;
    options.scale = parsed.scale;
    options.binary = EndsWith(parsed.output, ".glb");
    std::vector<GltfSkin> skins;
    bool ready = true;
    if (!GltfModelUsable(view)) {
        output->err += "corvane-md2: " + parsed.input +
                       ": the skin size or the triangles' vertex and texture coordinate indices are out of range\n";
        ready = false;
    } else if (!SelectFrames(model, parsed.frames, &options.frames, &error)) {
        output->err += "corvane-md2: " + parsed.input + ": " + error + "\n";
        ready = false;
    } else {
        ready = LoadSkins(parsed, view, &skins, output);
    }
    GltfDocument document;
    if (ready) {
        const std::string stem = ToolPathText(ToolPath(parsed.output).stem());
        options.bufferUri = stem + ".bin";
        for (std::size_t i = 0; i < skins.size(); ++i) {
            options.imageUris.push_back(stem + "_skin" + std::to_string(i) + ".png");
        }
        ready = PlanGltf(view, model, skins, options, &document, &error) &&
                WriteGltfFiles(parsed, model, options, document, &error);
        if (!ready) {
            output->err += "corvane-md2: " + (error.rfind(parsed.output, 0) == 0 ? error : parsed.output + ": " + error) +
                           "\n";
        }
    }
    const std::size_t frames = options.frames.size();
    ReleaseToolModel(&model);
    if (!ready) {
        return kToolBadInput;
    }
    output->out += parsed.output + ": " + std::to_string(frames) + " frames as morph targets, " +
                   std::to_string(skins.size()) + " skins, " + std::to_string(options.binary ? GlbBytes(document) : document.json.size()) + " bytes\n";
    return kToolOk;
}
