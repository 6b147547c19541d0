// The scripted dialog user's protocol, shared by the portable dialogs (which
// follow the script themselves) and the reference host (whose user thread
// operates the real windows on Windows). Header-only, so that the host needs
// none of the platform layer's code for it.
//
// A script is steps separated by ';':
//   select ID INDEX   select item INDEX of list ID
//   type ID TEXT      replace the text of control ID (TEXT runs to the ';')
//   press ID          press button ID
//   escape | close    the Escape key or the close box
//   answer N          the button pressed in the next message box (1 OK, 2 Cancel)
//   #...              a remark
// Blanks before a step are skipped; empty steps and remarks are dropped.
//
// What the user saw is written as a transcript of lines; each text in it is
// one quoted field (QuoteTranscriptField).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// The environment variables through which the host hands the portable
// dialogs their user: the script, the number of the run (a new number starts
// the script anew, even when its text repeats the last run's) and the file
// the transcript is appended to.
inline constexpr char kUserScriptVariable[] = "CORVANE_USER_SCRIPT";
inline constexpr char kUserRunVariable[] = "CORVANE_USER_RUN";
inline constexpr char kUserTranscriptVariable[] = "CORVANE_USER_TRANSCRIPT";

enum class UserVerb { Select, Type, Press, Escape, Close, Answer, Unknown };

struct UserStep {
    UserVerb verb;
    int id;            // the control of select, type and press
    int value;         // the item of select; the button of answer
    std::string text;  // the text of type
    std::string source;  // the step as written
};

// One step: its verb and arguments; Unknown when they do not parse.
inline UserStep ParseUserStep(const std::string& step) {
    UserStep parsed{UserVerb::Unknown, 0, 0, {}, step};
    char verb[16] = {};
    int consumed = 0;
    if (std::sscanf(step.c_str(), "%15s%n", verb, &consumed) != 1) {
        return parsed;
    }
    const std::string name = verb;
    const std::string rest = step.substr(static_cast<std::size_t>(consumed));
    if (name == "select" && std::sscanf(rest.c_str(), "%d %d", &parsed.id, &parsed.value) == 2) {
        parsed.verb = UserVerb::Select;
    } else if (name == "type" && std::sscanf(rest.c_str(), " %d%n", &parsed.id, &consumed) == 1) {
        parsed.verb = UserVerb::Type;
        parsed.text = rest.substr(static_cast<std::size_t>(consumed));
        if (!parsed.text.empty() && parsed.text[0] == ' ') {
            parsed.text.erase(0, 1);
        }
    } else if (name == "press" && std::sscanf(rest.c_str(), "%d", &parsed.id) == 1) {
        parsed.verb = UserVerb::Press;
    } else if (name == "escape") {
        parsed.verb = UserVerb::Escape;
    } else if (name == "close") {
        parsed.verb = UserVerb::Close;
    } else if (name == "answer") {
        parsed.verb = UserVerb::Answer;
        parsed.value = std::atoi(rest.c_str());
    }
    return parsed;
}

// Calls visit(step) for the steps of a script in order, without remarks and
// empty steps, each as written from its first non-blank; stops early when
// visit answers false.
template <typename Visit>
void VisitUserSteps(const std::string& script, Visit visit) {
    std::size_t start = 0;
    while (start <= script.size()) {
        std::size_t end = script.find(';', start);
        if (end == std::string::npos) {
            end = script.size();
        }
        const std::size_t first = script.find_first_not_of(' ', start);
        if (first < end && script[first] != '#' && !visit(script.substr(first, end - first))) {
            return;
        }
        start = end + 1;
    }
}

// The steps of a script, in order, without remarks and empty steps.
inline std::vector<UserStep> ParseUserScript(const std::string& script) {
    std::vector<UserStep> steps;
    VisitUserSteps(script, [&](const std::string& step) {
        steps.push_back(ParseUserStep(step));
        return true;
    });
    return steps;
}

// Step `index` of the script (counted as ParseUserScript counts them), parsed
// without parsing the others; false when the script has fewer steps.
inline bool UserScriptStep(const std::string& script, std::size_t index, UserStep* out) {
    bool found = false;
    VisitUserSteps(script, [&](const std::string& step) {
        if (index > 0) {
            --index;
            return true;
        }
        *out = ParseUserStep(step);
        found = true;
        return false;
    });
    return found;
}

// Steps as written into a script.
inline std::string UserSelect(int list, const std::string& index) {
    return "select " + std::to_string(list) + " " + index;
}
inline std::string UserSelect(int list, int index) { return UserSelect(list, std::to_string(index)); }
inline std::string UserType(int control, const std::string& text) { return "type " + std::to_string(control) + " " + text; }
inline std::string UserPress(int button) { return "press " + std::to_string(button); }

// One text field of a transcript: the UTF-8 text in double quotes, with line
// breaks, tabs, quotes and backslashes escaped so that a field stays on one
// line.
inline std::string QuoteTranscriptField(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        switch (c) {
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out + "\"";
}
