#include "support/transcript.h"

#include <sstream>

namespace {

// The text between the first quote of `line` (from `from`) and its closing
// quote, unescaped; `end` receives the position after the closing quote.
std::string Unquote(const std::string& line, std::size_t from, std::size_t* end = nullptr) {
    std::size_t open = line.find('"', from);
    std::string out;
    if (open == std::string::npos) {
        return out;
    }
    std::size_t i = open + 1;
    for (; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            char c = line[++i];
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            out += line[i];
        }
    }
    if (end != nullptr) {
        *end = i + 1;
    }
    return out;
}

// Windows rounds dialog units to pixels with MulDiv: to nearest, halves up.
int MulDiv(int value, int numerator, int denominator) {
    return (value * numerator * 2 + denominator) / (2 * denominator);
}

}  // namespace

const SeenControl* SeenDialog::Control(int id) const {
    for (const SeenControl& control : controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

Transcript ParseTranscript(const std::string& text) {
    Transcript transcript;
    std::istringstream lines(text);
    std::string line;
    SeenDialog* dialog = nullptr;
    SeenControl* last = nullptr;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string word;
        fields >> word;
        if (word == "dialog") {
            std::size_t end = 0;
            std::string caption = Unquote(line, 0, &end);
            std::string when;
            std::istringstream(line.substr(end)) >> when;
            dialog = nullptr;
            last = nullptr;
            if (when == "opens" || when == "shows") {
                transcript.dialogs.push_back(SeenDialog{caption, when, 0, 0, {}, 0});
                dialog = &transcript.dialogs.back();
            }
        } else if (word == "units" && dialog != nullptr) {
            fields >> dialog->unitsX >> dialog->unitsY;
        } else if (word == "control" && dialog != nullptr) {
            SeenControl control;
            fields >> control.id >> control.kind;
            control.text = Unquote(line, 0);
            dialog->controls.push_back(control);
            last = &dialog->controls.back();
        } else if (word == "style" && dialog != nullptr) {
            std::string owner;
            unsigned style = 0;
            fields >> owner >> std::hex >> style;
            (owner == "dialog" || last == nullptr ? dialog->style : last->style) = style;
        } else if (word == "rect" && last != nullptr) {
            int id = 0;
            fields >> id >> last->rect[0] >> last->rect[1] >> last->rect[2] >> last->rect[3];
        } else if (word == "list" && last != nullptr) {
            std::string countWord;
            std::string currentWord;
            int id = 0;
            std::size_t count = 0;
            fields >> id >> countWord >> count >> currentWord >> last->current;
            last->isList = true;
        } else if (word == "item" && last != nullptr) {
            last->items.push_back(Unquote(line, 0));
        } else if (word == "messagebox") {
            std::size_t end = 0;
            std::string title = Unquote(line, 0, &end);
            std::istringstream rest(line.substr(line.find('"') == std::string::npos ? 10 : end));
            std::string key;
            if (line.find("messagebox answer") == 0) {
                if (!transcript.messageBoxes.empty()) {
                    std::istringstream(line.substr(17)) >> transcript.messageBoxes.back().answer;
                }
                continue;
            }
            SeenMessageBox box;
            box.title = title;
            rest >> key >> box.icon >> key >> box.buttons;
            transcript.messageBoxes.push_back(box);
            dialog = nullptr;
            last = nullptr;
        } else if (word == "text" && !transcript.messageBoxes.empty()) {
            transcript.messageBoxes.back().text = Unquote(line, 0);
        }
    }
    return transcript;
}

std::vector<std::string> CompareWithTemplate(const SeenDialog& dialog, const std::vector<TemplateControl>& controls) {
    std::vector<std::string> differences;
    if (dialog.controls.size() != controls.size()) {
        differences.push_back("expected " + std::to_string(controls.size()) + " controls, saw " +
                              std::to_string(dialog.controls.size()));
    }
    for (std::size_t i = 0; i < controls.size() && i < dialog.controls.size(); ++i) {
        const TemplateControl& want = controls[i];
        const SeenControl& seen = dialog.controls[i];
        std::string where = "control " + std::to_string(i) + " (id " + std::to_string(want.id) + "): ";
        if (seen.id != want.id || seen.kind != want.kind || seen.text != want.text) {
            differences.push_back(where + "saw id " + std::to_string(seen.id) + " " + seen.kind + " \"" + seen.text +
                                  "\", expected " + want.kind + " \"" + want.text + "\"");
        }
        // The system maps the position and the size each by itself.
        int left = MulDiv(want.x, dialog.unitsX, 4);
        int top = MulDiv(want.y, dialog.unitsY, 8);
        int expected[4] = {left, top, left + MulDiv(want.width, dialog.unitsX, 4),
                           top + MulDiv(want.height, dialog.unitsY, 8)};
        for (int k = 0; k < 4; ++k) {
            if (seen.rect[k] != expected[k]) {
                differences.push_back(where + "edge " + std::to_string(k) + " at " + std::to_string(seen.rect[k]) +
                                      " pixels, expected " + std::to_string(expected[k]));
                break;
            }
        }
    }
    return differences;
}
