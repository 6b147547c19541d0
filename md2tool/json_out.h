// JSON text written as it is made, with rapidjson's writer: no tree of
// values is built, which for documents of thousands of small objects is
// most of the cost of writing them. Text values are made UTF-8 first.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include <rapidjson/writer.h>

// UTF-8 as JSON needs it: valid UTF-8 is kept and every other byte (names
// in the game's 8-bit code page) is taken as Latin-1.
std::string Utf8Text(const std::string& bytes);

// rapidjson's output stream onto the end of a string.
struct JsonText {
    using Ch = char;
    std::string* text;
    void Put(char c) { text->push_back(c); }
    void Flush() {}
};

// A key of null writes a bare value: an element of the array being written.
// Neither copied nor moved: the writer points at the text.
struct JsonOut {
    std::string text;
    JsonText stream{&text};
    rapidjson::Writer<JsonText> writer{stream};
    bool failed = false;  // a value JSON cannot hold was given

    void Key(const char* key) {
        if (key != nullptr) {
            writer.Key(key);
        }
    }
    void Int(const char* key, std::int64_t value) {
        Key(key);
        writer.Int64(value);
    }
    // A number that is not finite fails the whole text: JSON cannot hold it.
    void Number(const char* key, double value) {
        Key(key);
        failed = !writer.Double(value) || failed;
    }
    void Literal(const char* key, const char* value) {
        Key(key);
        writer.String(value);
    }
    void Text(const char* key, const std::string& bytes);
    template <typename Body>
    void Object(const char* key, Body body) {
        Key(key);
        writer.StartObject();
        body();
        writer.EndObject();
    }
    template <typename Body>
    void Array(const char* key, Body body) {
        Key(key);
        writer.StartArray();
        body();
        writer.EndArray();
    }
    // The whole text once the outermost value is closed, else empty.
    std::string Take() { return writer.IsComplete() && !failed ? std::move(text) : std::string(); }
};
