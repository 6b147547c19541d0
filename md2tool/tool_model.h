// The plug-in's own reader, as the tool uses it: the one place that hands
// file bytes to the reader and takes the decoded model from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "md2/md2_model.h"
#include "md2tool/md2_file_view.h"
#include "md2tool/tool_files.h"

// Decodes the bytes with the plug-in's reader into `model`, which then owns
// its arrays (release them with ReleaseToolModel) and whose frames point into
// the bytes, as the import's do: the bytes must outlive the model. False with
// a message, and `model` empty, when the reader refuses the file.
bool LoadModelForTool(const std::uint8_t* bytes, std::size_t length, Md2Model* model, std::string* error);

void ReleaseToolModel(Md2Model* model);

// Reads the file at `path` (UTF-8), opens its view and decodes it into
// `model`. False with one line naming the file and the reason otherwise.
bool OpenToolModel(const std::string& path, ToolFileBytes* file, Md2FileView* view, Md2Model* model, std::string* error);
