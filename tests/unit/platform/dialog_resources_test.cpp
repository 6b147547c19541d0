// The portable dialogs are a hand-made copy of the resource script's
// templates: read src/res/*.rc as the resource compiler does (for the
// statements the script uses) and compare every dialog and control with
// the portable templates: ids, classes, texts, rectangles and the lists
// that take no selection.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/portable/dialog_templates.h"

namespace {

struct RcControl {
    int id;
    PortableControlKind kind;
    std::string text;
    int rect[4];
    bool noSelection;
};

struct RcDialog {
    int id;
    std::string caption;
    int width, height;
    std::vector<RcControl> controls;
};

// The comma-separated fields of a statement's arguments; quoted texts keep
// their commas and lose their quotes.
std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else if (quoted || (c != ' ' && c != '\t')) {
            fields.back() += c;
        }
    }
    return fields;
}

class RcReader {
public:
    explicit RcReader(const std::filesystem::path& ids) {
        std::ifstream in(ids);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::string directive, name;
            int value = 0;
            if (words >> directive >> name >> value && directive == "#define") {
                defines_[name] = value;
            }
        }
    }

    int Id(const std::string& field) {
        const auto found = defines_.find(field);
        if (found != defines_.end()) {
            return found->second;
        }
        EXPECT_FALSE(field.empty() || field.find_first_not_of("-0123456789") != std::string::npos)
            << "unknown id " << field;
        return std::atoi(field.c_str());
    }

    // Every DIALOG of the script, with its controls in order.
    std::vector<RcDialog> Read(const std::filesystem::path& script) {
        std::vector<RcDialog> dialogs;
        std::ifstream in(script);
        std::string line, statement;
        while (std::getline(in, line)) {
            statement += line;
            // A statement that ends with a comma goes on in the next line.
            const std::size_t last = statement.find_last_not_of(" \t\r");
            if (last != std::string::npos && statement[last] == ',') {
                continue;
            }
            Take(statement, &dialogs);
            statement.clear();
        }
        return dialogs;
    }

private:
    void Take(const std::string& statement, std::vector<RcDialog>* dialogs) {
        std::istringstream words(statement);
        std::string first, second;
        words >> first >> second;
        std::string rest;
        std::getline(words, rest);
        if (second == "DIALOG") {
            const std::vector<std::string> f = Fields(rest);
            dialogs->push_back({Id(first), "", std::atoi(f.at(2).c_str()), std::atoi(f.at(3).c_str()), {}});
            return;
        }
        if (dialogs->empty()) {
            return;
        }
        RcDialog& dialog = dialogs->back();
        const std::string arguments = statement.substr(statement.find(first) + first.size());
        const std::vector<std::string> f = Fields(arguments);
        auto rect = [&](std::size_t at, RcControl* control) {
            for (int i = 0; i < 4; ++i) control->rect[i] = std::atoi(f.at(at + static_cast<std::size_t>(i)).c_str());
        };
        RcControl control{};
        if (first == "CAPTION") {
            dialog.caption = f.at(0);
            return;
        } else if (first == "PUSHBUTTON" || first == "DEFPUSHBUTTON" || first == "GROUPBOX") {
            control = {Id(f.at(1)), kControlButton, f.at(0), {}, false};
            rect(2, &control);
        } else if (first == "LTEXT" || first == "RTEXT" || first == "CTEXT") {
            control = {Id(f.at(1)), kControlStatic, f.at(0), {}, false};
            rect(2, &control);
        } else if (first == "EDITTEXT") {
            control = {Id(f.at(0)), kControlEdit, "", {}, false};
            rect(1, &control);
        } else if (first == "CONTROL") {
            EXPECT_EQ(f.at(2), "ListBox") << statement;
            control = {Id(f.at(1)), kControlList, f.at(0), {}, f.at(3).find("LBS_NOSEL") != std::string::npos};
            rect(4, &control);
        } else {
            return;
        }
        dialog.controls.push_back(control);
    }

    std::map<std::string, int> defines_;
};

std::string Narrow(const char16_t* text) {
    std::string out;
    for (; *text != 0; ++text) out += static_cast<char>(*text);  // the templates' texts are ASCII
    return out;
}

TEST(DialogResources, PortableTemplatesMatchTheResourceScript) {
    const std::filesystem::path res = std::filesystem::path(CORVANE_SOURCE_DIR) / "src" / "res";
    RcReader reader(res / "dialog_ids.h");
    int dialogsRead = 0;
    for (const auto& entry : std::filesystem::directory_iterator(res)) {
        if (entry.path().extension() != ".rc") {
            continue;
        }
        for (const RcDialog& dialog : reader.Read(entry.path())) {
            ++dialogsRead;
            SCOPED_TRACE("dialog " + std::to_string(dialog.id));
            const PortableDialogTemplate* portable = FindPortableTemplate(dialog.id);
            ASSERT_NE(portable, nullptr);
            EXPECT_EQ(Narrow(portable->caption), dialog.caption);
            EXPECT_EQ(portable->width, dialog.width);
            EXPECT_EQ(portable->height, dialog.height);
            ASSERT_EQ(static_cast<std::size_t>(portable->controlCount), dialog.controls.size());
            for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
                const RcControl& rc = dialog.controls[i];
                const PortableControlTemplate& p = portable->controls[i];
                const RcControl copy = {p.id, p.kind, Narrow(p.text), {p.x, p.y, p.width, p.height}, p.noSelection};
                EXPECT_EQ(copy.id, rc.id) << "control " << i;
                EXPECT_EQ(copy.kind, rc.kind) << "control " << i;
                EXPECT_EQ(copy.text, rc.text) << "control " << i;
                EXPECT_EQ(std::vector<int>(copy.rect, copy.rect + 4), std::vector<int>(rc.rect, rc.rect + 4)) << "control " << i;
                EXPECT_EQ(copy.noSelection, rc.noSelection) << "control " << i;
            }
        }
    }
    EXPECT_EQ(dialogsRead, 3);
}

}  // namespace

#endif
