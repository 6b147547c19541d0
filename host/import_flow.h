// An import as the modelling host runs it: the read request with the chosen
// file, then the import-options request with its dialog operated by a user.
#pragma once

#include <string>

#include "host/host_session.h"

struct ImportRun {
    int readAnswer = 0;
    int optionsAnswer = -1;   // -1: not sent (the read failed)
    std::string errorText;    // the scene's error text after the read
    std::string transcript;   // what the dialog user saw
};

// Sends both requests on `scene`; the user follows `script` in the dialog,
// which on Windows is saved as a screenshot into `screenshotDirectory` unless
// it is empty.
ImportRun RunImport(HostSession* session, RefScene* scene, const std::string& path, const std::string& script,
                    const std::string& screenshotDirectory = std::string());

// A summary of what the scene holds: materials with texture paths, vertex
// count, groups, faces, and the host calls made.
std::string DescribeScene(RefScene* scene);

// Writes the scene as Wavefront OBJ (positions, corner texture coordinates,
// faces per group) with an MTL naming each material's texture.
bool WriteSceneObj(RefScene* scene, const std::string& objPath);
