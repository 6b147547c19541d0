// JSON text written as it is made, with rapidjson's writer: no tree of
// values is built, which for documents of thousands of small objects is
// most of the cost of writing them. Text values are made UTF-8 first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include <rapidjson/writer.h>

// rapidjson 1.1.0 (Debian's) adds to a null pointer in its stack before the
// stack's first allocation, which is undefined behaviour (mended upstream
// since). The writer here keeps its open objects and arrays in this fixed
// stack instead, chosen through the writer's stack allocator type: the
// documents written nest a few levels deep.
struct JsonLevels {};

template <>
class rapidjson::internal::Stack<JsonLevels> {
public:
    Stack(JsonLevels*, std::size_t) {}
    void Clear() { top_ = 0; }
    bool Empty() const { return top_ == 0; }
    std::size_t GetSize() const { return top_; }
    template <typename T>
    T* Push(std::size_t count = 1) {
        if (sizeof bytes_ - top_ < sizeof(T) * count) {
            std::abort();  // deeper than any document written here
        }
        T* at = reinterpret_cast<T*>(bytes_ + top_);
        top_ += sizeof(T) * count;
        return at;
    }
    template <typename T>
    T* Pop(std::size_t count) {
        top_ -= sizeof(T) * count;
        return reinterpret_cast<T*>(bytes_ + top_);
    }
    template <typename T>
    T* Top() {
        return reinterpret_cast<T*>(bytes_ + top_ - sizeof(T));
    }

private:
    alignas(std::max_align_t) unsigned char bytes_[1024];
    std::size_t top_ = 0;
};

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
    rapidjson::Writer<JsonText, rapidjson::UTF8<>, rapidjson::UTF8<>, JsonLevels> writer{stream};
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
