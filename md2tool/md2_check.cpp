#include "md2tool/md2_check.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "md2tool/gl_commands.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/tool_model.h"

namespace {

struct Checker {
    const Md2FileView& view;
    std::vector<Md2Finding>* findings;

    void Error(const char* rule, std::string message) const { findings->push_back({true, rule, std::move(message)}); }
    void Warn(const char* rule, std::string message) const { findings->push_back({false, rule, std::move(message)}); }
};

std::string Num(std::int64_t value) { return std::to_string(value); }

// A count above an array size of the format's definition: the engine's loader
// does not refuse it, but engines and tools that size their arrays by the
// definition overflow them.
std::string PastDefinition(int most) {
    return "; the format's definition holds at most " + Num(most) +
           ", and engines and tools overflow their arrays past it";
}

void CheckLimits(const Checker& c) {
    const Md2Header& h = c.view.header;
    if (h.version != kMd2Version) {
        c.Error("version", "version is " + Num(h.version) + "; the engine loads only version 8");
    }
    if (h.skinwidth <= 0 || h.skinheight <= 0) {
        c.Error("skin-size", "skin size " + Num(h.skinwidth) + "x" + Num(h.skinheight) + " is not positive");
    } else if (h.skinheight > kEngineMaxSkinHeight) {
        c.Error("skin-height", "skin height " + Num(h.skinheight) + " is above the engine's 480");
    }
    if (h.num_xyz <= 0 || h.num_xyz > kEngineMaxVertices) {
        c.Error("vertex-count", Num(h.num_xyz) + " vertices; the engine takes 1 to 2048");
    }
    if (h.num_st <= 0) {
        c.Error("texcoord-count", Num(h.num_st) + " texture coordinates; the engine needs at least one");
    }
    if (h.num_tris <= 0) {
        c.Error("triangle-count", Num(h.num_tris) + " triangles; the engine needs at least one");
    } else if (h.num_tris > kEngineMaxTriangles) {
        c.Error("triangle-count", Num(h.num_tris) + " triangles" + PastDefinition(kEngineMaxTriangles));
    }
    if (h.num_frames <= 0) {
        c.Error("frame-count", Num(h.num_frames) + " frames; the engine needs at least one");
    } else if (h.num_frames > kEngineMaxFrames) {
        c.Error("frame-count", Num(h.num_frames) + " frames" + PastDefinition(kEngineMaxFrames));
    }
    if (h.num_skins < 0) {
        c.Error("skin-count", Num(h.num_skins) + " skins is not a count");
    } else if (h.num_skins > kEngineMaxSkins) {
        c.Error("skin-count", Num(h.num_skins) + " skins" + PastDefinition(kEngineMaxSkins));
    }
    if (h.ofs_end < 0 || static_cast<std::uint32_t>(h.ofs_end) > c.view.length) {
        c.Error("end-offset", "end offset " + Num(h.ofs_end) + " lies past the file's " + Num(c.view.length) + " bytes");
    }
}

// Each section that does not lie wholly inside the file.
void CheckSections(const Checker& c) {
    const Md2Header& h = c.view.header;
    struct Section {
        const char* name;
        bool inFile;
        std::int32_t offset;
        std::int32_t count;
    };
    const Section sections[] = {
        {"skins", SkinsInFile(c.view), h.ofs_skins, h.num_skins},
        {"texture coordinates", TexCoordsInFile(c.view), h.ofs_st, h.num_st},
        {"triangles", TrianglesInFile(c.view), h.ofs_tris, h.num_tris},
        {"frames", FramesInFile(c.view), h.ofs_frames, h.num_frames},
        {"GL commands", GlCommandsInFile(c.view), h.ofs_glcmds, h.num_glcmds},
    };
    for (const Section& s : sections) {
        if (!s.inFile) {
            c.Error("section", std::string("the ") + s.name + " (" + Num(s.count) + " at offset " + Num(s.offset) +
                                   ") lie outside the file's " + Num(c.view.length) + " bytes");
        }
    }
}

void CheckSkinNames(const Checker& c) {
    for (int i = 0; i < c.view.header.num_skins; ++i) {
        const Md2SkinRecord skin = SkinAt(c.view, i);
        const std::size_t length = strnlen(skin.path, kMd2SkinBytes);
        const std::string name(skin.path, length);
        const std::string which = "skin " + Num(i) + " \"" + name + "\"";
        if (length == kMd2SkinBytes) {
            c.Warn("skin-name", which + " has no NUL within its 64 bytes");
        }
        const bool drive = name.size() >= 2 && name[1] == ':';
        if (!name.empty() && (name[0] == '/' || name[0] == '\\' || drive)) {
            c.Warn("skin-name", which + " is an absolute path; the engine looks skins up relative to its game folder");
        }
        if (name.find('\\') != std::string::npos) {
            c.Warn("skin-name", which + " holds backslashes; the engine's paths use '/'");
        }
    }
}

void CheckTexCoords(const Checker& c) {
    const Md2Header& h = c.view.header;
    int outside = 0;
    int first = -1;
    for (int i = 0; i < h.num_st; ++i) {
        const Md2TexCoordRecord st = TexCoordAt(c.view, i);
        if (st.s < 0 || st.s > h.skinwidth || st.t < 0 || st.t > h.skinheight) {
            first = first < 0 ? i : first;
            ++outside;
        }
    }
    if (outside > 0) {
        const Md2TexCoordRecord st = TexCoordAt(c.view, first);
        c.Warn("texcoord-range", Num(outside) + " texture coordinates lie outside the " + Num(h.skinwidth) + "x" +
                                     Num(h.skinheight) + " skin (first: " + Num(first) + " at " + Num(st.s) + "," +
                                     Num(st.t) + ")");
    }
}

// Triangle indices outside the counts are errors (the engine reads past its
// arrays); repeated corners and vertices no triangle uses are warnings.
void CheckTriangles(const Checker& c) {
    const Md2Header& h = c.view.header;
    // The vertices the triangles use, at most three per triangle: the count
    // in the header may be far beyond the file.
    std::vector<int> usedVertices;
    usedVertices.reserve(3 * static_cast<std::size_t>(h.num_tris > 0 ? h.num_tris : 0));
    int badIndex = 0;
    int firstBad = -1;
    int degenerate = 0;
    int firstDegenerate = -1;
    for (int i = 0; i < h.num_tris; ++i) {
        const Md2TriangleRecord t = TriangleAt(c.view, i);
        bool inRange = true;
        for (int k = 0; k < 3; ++k) {
            inRange = inRange && t.index_xyz[k] >= 0 && t.index_xyz[k] < h.num_xyz && t.index_st[k] >= 0 &&
                      t.index_st[k] < h.num_st;
        }
        if (!inRange) {
            firstBad = firstBad < 0 ? i : firstBad;
            ++badIndex;
            continue;
        }
        usedVertices.insert(usedVertices.end(), {t.index_xyz[0], t.index_xyz[1], t.index_xyz[2]});
        if (t.index_xyz[0] == t.index_xyz[1] || t.index_xyz[1] == t.index_xyz[2] || t.index_xyz[0] == t.index_xyz[2]) {
            firstDegenerate = firstDegenerate < 0 ? i : firstDegenerate;
            ++degenerate;
        }
    }
    if (badIndex > 0) {
        c.Error("index", Num(badIndex) + " triangles name a vertex or texture coordinate outside the file's " +
                             Num(h.num_xyz) + " and " + Num(h.num_st) + " (first: triangle " + Num(firstBad) + ")");
    }
    if (degenerate > 0) {
        c.Warn("degenerate", Num(degenerate) + " degenerate triangles with a repeated vertex (first: triangle " +
                                 Num(firstDegenerate) + ")");
    }
    if (badIndex > 0) {
        return;  // which vertices are used is unknown then
    }
    std::sort(usedVertices.begin(), usedVertices.end());
    usedVertices.erase(std::unique(usedVertices.begin(), usedVertices.end()), usedVertices.end());
    const int unused = (h.num_xyz > 0 ? h.num_xyz : 0) - static_cast<int>(usedVertices.size());
    // The first unused vertex is the first index that differs from its place
    // among the sorted used ones.
    int firstUnused = static_cast<int>(usedVertices.size());
    for (std::size_t v = 0; v < usedVertices.size(); ++v) {
        if (usedVertices[v] != static_cast<int>(v)) {
            firstUnused = static_cast<int>(v);
            break;
        }
    }
    if (unused > 0) {
        c.Warn("unused-vertex",
               Num(unused) + " vertices are used by no triangle (first: vertex " + Num(firstUnused) + ")");
    }
}

// The engine groups frames into animations by their names without the
// trailing number.
void CheckFrameNames(const Checker& c) {
    std::map<std::string, int> seen;
    int unnumbered = 0;
    std::string firstUnnumbered;
    for (int f = 0; f < c.view.header.num_frames; ++f) {
        const std::string name = FrameNameOf(FrameHeaderAt(c.view, f));
        if (++seen[name] == 2) {
            c.Warn("frame-name-duplicate", "frame name \"" + name + "\" is used more than once");
        }
        if (name.empty() || name.back() < '0' || name.back() > '9') {
            if (unnumbered++ == 0) {
                firstUnnumbered = name;
            }
        }
    }
    if (unnumbered > 0) {
        c.Warn("frame-name-number", Num(unnumbered) + " frame names end without a number (first: \"" +
                                        firstUnnumbered + "\"); the engine groups frames into animations by it");
    }
}

void CheckGlCommands(const Checker& c) {
    const Md2Header& h = c.view.header;
    std::vector<std::int32_t> words(static_cast<std::size_t>(h.num_glcmds));
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = GlCommandWordAt(c.view, static_cast<int>(i));
    }
    if (words.empty() || words[0] == 0) {
        c.Warn("glcmds-empty", "the GL command list is empty: renderers that draw from it show nothing");
        return;
    }
    std::vector<GlDrawnTriangle> drawn;
    std::string why;
    if (!DecodeGlCommandList(words.data(), words.size(), h.num_xyz, &drawn, &why)) {
        c.Error("glcmds", why);
    }
}

}  // namespace

Md2CheckResult CheckMd2Bytes(const std::uint8_t* bytes, std::size_t length) {
    Md2CheckResult result{true, {}, {}};
    Md2FileView view;
    if (!OpenMd2View(bytes, length, &view, &result.unreadable)) {
        result.readable = false;
        return result;
    }
    const Checker c{view, &result.findings};
    CheckLimits(c);
    CheckSections(c);
    const Md2Header& h = view.header;
    if (SkinsInFile(view)) {
        CheckSkinNames(c);
    }
    if (TexCoordsInFile(view) && h.skinwidth > 0 && h.skinheight > 0) {
        CheckTexCoords(c);
    }
    if (TrianglesInFile(view)) {
        CheckTriangles(c);
    }
    if (FramesInFile(view)) {
        CheckFrameNames(c);
    }
    if (GlCommandsInFile(view)) {
        CheckGlCommands(c);
    }
    // What the plug-in's own reader refuses beyond the checks above.
    if (!HasErrors(result)) {
        Md2Model model;
        std::string why;
        if (LoadModelForTool(bytes, length, &model, &why)) {
            ReleaseToolModel(&model);
        } else {
            c.Error("reader", why);
        }
    }
    return result;
}

bool HasErrors(const Md2CheckResult& result) {
    if (!result.readable) {
        return true;
    }
    for (const Md2Finding& finding : result.findings) {
        if (finding.error) {
            return true;
        }
    }
    return false;
}
