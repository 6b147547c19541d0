#include "support/obj_reader.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

bool ReadObj(const std::filesystem::path& path, ObjMesh* mesh) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "v") {
            std::string x, y, z;
            fields >> x >> y >> z;
            // strtof: the written digits to the nearest float, with no double rounding.
            mesh->positions.push_back({std::strtof(x.c_str(), nullptr), std::strtof(y.c_str(), nullptr),
                                       std::strtof(z.c_str(), nullptr)});
        } else if (kind == "vt") {
            std::string u, v;
            fields >> u >> v;
            mesh->texCoords.push_back({std::strtof(u.c_str(), nullptr), std::strtof(v.c_str(), nullptr)});
        } else if (kind == "f") {
            std::array<ObjCorner, 3> face;
            for (ObjCorner& corner : face) {
                std::string token;
                if (!(fields >> token)) {
                    return false;
                }
                corner.position = std::atoi(token.c_str()) - 1;
                corner.texCoord = std::atoi(token.c_str() + token.find('/') + 1) - 1;
            }
            std::string extra;
            if (fields >> extra) {
                return false;
            }
            mesh->faces.push_back(face);
        }
    }
    return !mesh->faces.empty();
}

bool ExportWithAssimp(const std::filesystem::path& model, const std::filesystem::path& obj) {
    const std::string command = "assimp export '" + model.string() + "' '" + obj.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}
