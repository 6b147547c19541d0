#include "host/import_flow.h"

#include <cstdio>
#include <map>
#include <sstream>

#include "host/call_log.h"
#include "host/dialog_user.h"
#include "host/host_platform.h"

namespace {

std::string BaseName(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ImportRun RunImport(HostSession* session, RefScene* scene, const std::string& path, const std::string& script,
                    const std::string& screenshotDirectory) {
    ImportRun run;
    RefSetFilePath(scene, path);
    run.readAnswer = SendRequest(session, kRequestRead, scene);
    run.errorText = RefErrorText(scene);
    if (run.readAnswer != 1) {
        return run;
    }
    StartDialogUser(script, screenshotDirectory);
    run.optionsAnswer = SendRequest(session, kRequestImportOptions, scene);
    run.transcript = FinishDialogUser();
    return run;
}

std::string DescribeScene(RefScene* refScene) {
    HostScene* scene = RefSceneHost(refScene);
    std::ostringstream out;
    out << "materials: " << scene->materials.count << "\n";
    for (int i = 0; i < scene->materials.count; ++i) {
        HostTextureLayer* layer = RefTextureLayer(refScene, i);
        out << "  material " << i << " \"" << RefMaterialName(refScene, i) << "\" texture \""
            << (layer != nullptr ? HostText(layer->path) : std::string()) << "\"\n";
    }
    out << "vertices: " << scene->vertices.count << "\n";
    out << "groups: " << scene->groups.count << "\n";
    for (int i = 0; i < scene->groups.count && scene->groups.items != nullptr; ++i) {
        out << "  group " << i << " \"" << HostText(scene->groups.items[i].name) << "\"\n";
    }
    int faces = 0;
    for (int m = 0; m < scene->meshes.count && scene->meshes.items != nullptr; ++m) {
        faces += scene->meshes.items[m].faceCount;
    }
    out << "faces: " << faces << "\n";
    out << "host calls:";
    std::map<std::string, int> counts;
    std::vector<std::string> order;
    for (const HostCall& call : HostCallLog()) {
        std::string name = call.name == "trap" ? call.object + " slot " + std::to_string(call.slot) + " (trap)" : call.name;
        if (counts[name]++ == 0) {
            order.push_back(name);
        }
    }
    for (const std::string& name : order) {
        out << " " << name;
        if (counts[name] > 1) {
            out << " x" << counts[name];
        }
    }
    out << "\n";
    return out.str();
}

bool WriteSceneObj(RefScene* refScene, const std::string& objPath) {
    HostScene* scene = RefSceneHost(refScene);
    std::string mtlPath = objPath.substr(0, objPath.find_last_of('.')) + ".mtl";
    std::FILE* obj = HostOpenPath(objPath, "wb");
    std::FILE* mtl = HostOpenPath(mtlPath, "wb");
    if (obj == nullptr || mtl == nullptr) {
        if (obj != nullptr) {
            std::fclose(obj);
        }
        if (mtl != nullptr) {
            std::fclose(mtl);
        }
        return false;
    }
    std::fprintf(obj, "# written by corvane-host\nmtllib %s\n", BaseName(mtlPath).c_str());
    for (int i = 0; i < scene->materials.count; ++i) {
        HostTextureLayer* layer = RefTextureLayer(refScene, i);
        std::fprintf(mtl, "newmtl material%d\nKd 1 1 1\n", i);
        if (layer != nullptr && layer->path.wide[0] != 0) {
            std::fprintf(mtl, "map_Kd %s\n", HostText(layer->path).c_str());
        }
    }
    for (int i = 0; i < scene->vertices.count && scene->vertices.items != nullptr; ++i) {
        const float* p = scene->vertices.items[i].position;
        std::fprintf(obj, "v %.9g %.9g %.9g\n", p[0], p[1], p[2]);
    }
    int coord = 0;
    for (int m = 0; m < scene->meshes.count && scene->meshes.items != nullptr; ++m) {
        const HostMesh& mesh = scene->meshes.items[m];
        std::fprintf(obj, "g group%d\n", m);
        int material = -2;
        for (int f = 0; f < mesh.faceCount; ++f) {
            const HostFace& face = mesh.faces[f];
            if (face.materialIndex != material && face.materialIndex >= 0) {
                std::fprintf(obj, "usemtl material%d\n", face.materialIndex);
            }
            material = face.materialIndex;
            for (int c = 0; c < face.cornerCount; ++c) {
                HostTexCoord uv{};
                if (face.uv != nullptr && face.uv->cornerUVs != nullptr) {
                    uv = face.uv->cornerUVs[c];
                }
                // OBJ counts v upwards, the skin's t runs downwards.
                std::fprintf(obj, "vt %.9g %.9g\n", uv.u, 1.0f - uv.v);
            }
            std::fprintf(obj, "f");
            for (int c = 0; c < face.cornerCount; ++c) {
                std::fprintf(obj, " %d/%d", face.vertexIndices[c] + 1, coord + c + 1);
            }
            std::fprintf(obj, "\n");
            coord += face.cornerCount;
        }
    }
    bool ok = std::fclose(obj) == 0;
    return std::fclose(mtl) == 0 && ok;
}
