#include "host/export_flow.h"

#include <chrono>

#include <cstdint>
#include <cstdio>
#include <sstream>

#include "host/dialog_user.h"
#include "host/host_platform.h"
#include "md2tool/tool_files.h"
#include "platform/user_script.h"
#include "res/dialog_ids.h"

namespace {

std::int32_t I32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
    }
    return static_cast<std::int32_t>(value);
}

// A fixed-size name field up to its first zero byte.
std::string NameAt(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t size) {
    std::string name;
    for (std::size_t i = 0; i < size && bytes[at + i] != 0; ++i) {
        name += static_cast<char>(bytes[at + i]);
    }
    return name;
}

// True when `count` records of `size` bytes from `offset` lie in the file.
bool Fits(const std::vector<std::uint8_t>& bytes, std::int64_t offset, std::int64_t count, std::int64_t size) {
    return offset >= 0 && count >= 0 && size >= 0 &&
           offset + count * size <= static_cast<std::int64_t>(bytes.size());
}

// The text of a transcript line from its first quote on, as written there.
std::string QuotedField(const std::string& line) {
    std::size_t quote = line.find('"');
    return quote == std::string::npos ? std::string() : line.substr(quote);
}

}  // namespace

std::string ExportDialogScript(const ExportChoices& choices) {
    std::string script;
    for (const auto& rename : choices.renames) {
        script += UserSelect(IDC_ANIMATION_LIST, rename.first) + "; " + UserPress(IDC_RENAME) + "; " +
                  UserType(IDC_NEW_NAME, rename.second) + "; " + UserPress(IDC_OK) + "; ";
    }
    if (choices.setDirectory) {
        script += UserType(IDC_SKIN_DIRECTORY, choices.directory) + "; ";
    }
    if (!choices.width.empty()) {
        script += UserType(IDC_SKIN_WIDTH, choices.width) + "; ";
    }
    if (!choices.height.empty()) {
        script += UserType(IDC_SKIN_HEIGHT, choices.height) + "; ";
    }
    return script + UserPress(choices.cancel ? IDC_CANCEL : IDC_OK);
}

ExportRun RunExport(HostSession* session, RefScene* scene, const std::string& outPath, const std::string& script,
                    const std::string& screenshotDirectory) {
    ExportRun run;
    RefSetFilePath(scene, outPath);
    StartDialogUser(script, screenshotDirectory);
    run.optionsAnswer = SendRequest(session, kRequestExportOptions, scene);
    run.transcript = FinishDialogUser();
    if (run.optionsAnswer == 1) {
        const auto start = std::chrono::steady_clock::now();
        run.writeAnswer = SendRequest(session, kRequestWrite, scene);
        run.writeSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.errorText = RefErrorText(scene);
    }
    return run;
}

std::string DescribeExportDialog(const std::string& transcript) {
    std::istringstream lines(transcript);
    std::ostringstream out;
    std::string line;
    bool inExportDialog = false;
    bool described = false;
    std::string items;
    while (std::getline(lines, line)) {
        if (line.rfind("dialog ", 0) == 0) {
            if (inExportDialog) {
                out << "  animations listed:" << (items.empty() ? " none" : items) << "\n";
                described = true;
            }
            inExportDialog = !described && line.find("\"Export Quake 2 Model\" opens") != std::string::npos;
            if (inExportDialog) {
                out << "export dialog opened with:\n";
            }
        } else if (inExportDialog && line.rfind("  control ", 0) == 0) {
            std::istringstream fields(line);
            std::string word;
            int id = 0;
            fields >> word >> id;
            const char* label = id == 1002 ? "skin directory"
                                : id == 1000 ? "skin width"
                                : id == 1001 ? "skin height"
                                : id == 1005 ? "animations"
                                : id == 110  ? "total frames"
                                             : nullptr;
            if (label != nullptr) {
                out << "  " << label << ": " << QuotedField(line) << "\n";
            }
        } else if (inExportDialog && line.rfind("    item ", 0) == 0) {
            items.append(" ").append(QuotedField(line));
        } else if (line.rfind("messagebox ", 0) == 0 || line.rfind("  text ", 0) == 0) {
            out << line << "\n";
        }
    }
    if (inExportDialog) {
        out << "  animations listed:" << (items.empty() ? " none" : items) << "\n";
    }
    return out.str();
}

std::string DescribeMd2File(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    const bool read = ReadFileBytes(path, &bytes, &error);
    std::ostringstream out;
    out << "file: " << path;
    if (!read) {
        out << " (not there)\n";
        return out.str();
    }
    out << " (" << bytes.size() << " bytes)\n";
    if (bytes.size() < 68) {
        out << "too short for an MD2 header\n";
        return out.str();
    }
    std::int32_t h[17];
    for (int i = 0; i < 17; ++i) {
        h[i] = I32At(bytes, 4 * static_cast<std::size_t>(i));
    }
    const std::string ident(bytes.begin(), bytes.begin() + 4);
    out << "header: ident \"" << ident << "\" version " << h[1] << ", skin " << h[2] << " x " << h[3]
        << ", framesize " << h[4] << "\n";
    out << "  num_skins " << h[5] << ", num_xyz " << h[6] << ", num_st " << h[7] << ", num_tris " << h[8]
        << ", num_glcmds " << h[9] << ", num_frames " << h[10] << "\n";
    out << "  ofs_skins " << h[11] << ", ofs_st " << h[12] << ", ofs_tris " << h[13] << ", ofs_frames " << h[14]
        << ", ofs_glcmds " << h[15] << ", ofs_end " << h[16]
        << (h[16] == static_cast<std::int64_t>(bytes.size()) ? " (the file's length)" : " (not the file's length)")
        << "\n";
    if (Fits(bytes, h[11], h[5], 64)) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(h[5]); ++i) {
            out << "skin " << i << ": \"" << NameAt(bytes, static_cast<std::size_t>(h[11]) + 64 * i, 64) << "\"\n";
        }
    }
    if (h[4] >= 40 && Fits(bytes, h[14], h[10], h[4])) {
        out << "frames:";
        for (std::size_t i = 0; i < static_cast<std::size_t>(h[10]); ++i) {
            const std::size_t at = static_cast<std::size_t>(h[14]) + static_cast<std::size_t>(h[4]) * i;
            out << " " << NameAt(bytes, at + 24, 16);
        }
        out << "\n";
    }
    return out.str();
}
