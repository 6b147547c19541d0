// The findings of `check` as text and as JSON.
#pragma once

#include <string>
#include <vector>

#include "md2tool/md2_check.h"

// One line per finding, each prefixed with the file's name.
std::string FormatFindingsText(const std::string& file, const Md2CheckResult& result);
// The findings of every file as one JSON document.
std::string FormatFindingsJson(const std::vector<std::string>& files, const std::vector<Md2CheckResult>& results);
