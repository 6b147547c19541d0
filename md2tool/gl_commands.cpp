#include "md2tool/gl_commands.h"

#include <algorithm>
#include <array>
#include <bit>
#include <queue>
#include <unordered_map>

namespace {

enum RunKind { kStrip = 0, kFan = 1 };

// A corner is a vertex with its texture coordinates: corners with equal
// vertex index and equal s and t are the same corner whatever their
// texture-coordinate records.
std::uint64_t CornerKey(int vertex, const Md2TexCoordRecord& st) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(vertex)) << 32 |
           static_cast<std::uint64_t>(static_cast<std::uint16_t>(st.s)) << 16 |
           static_cast<std::uint16_t>(st.t);
}

// A directed edge a -> b between consecutive corners (k, k + 1) of a triangle.
struct EdgeEntry {
    std::uint64_t key;
    int triangle;
    int corner;  // k: the edge runs from corner k to corner k + 1
};

struct Builder {
    std::vector<std::array<int, 3>> corners;  // corner ids per triangle, in file order
    std::vector<EdgeEntry> edges;             // sorted by key, then triangle
    // For edge k of each triangle (corner k to k + 1), the entries of
    // `edges` running the other way, from corner k + 1 to k: the triangles
    // a run can continue into across that edge.
    std::vector<std::array<std::pair<std::uint32_t, std::uint32_t>, 3>> across;
    std::vector<char> used;
    std::vector<unsigned> stamp;              // triangles taken by the walk numbered `walk`
    unsigned walk = 0;
};

std::uint64_t EdgeKey(int from, int to) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(from)) << 32 | static_cast<std::uint32_t>(to);
}

// The first triangle across edge k of `last`, neither emitted nor in the
// current walk; `corner` gets the corner of that triangle where the shared
// edge starts.
bool NextTriangle(const Builder& b, int last, int k, int* triangle, int* corner) {
    const auto [begin, end] = b.across[static_cast<std::size_t>(last)][static_cast<std::size_t>(k)];
    for (std::uint32_t i = begin; i < end; ++i) {
        const EdgeEntry& e = b.edges[i];
        if (!b.used[static_cast<std::size_t>(e.triangle)] && b.stamp[static_cast<std::size_t>(e.triangle)] != b.walk) {
            *triangle = e.triangle;
            *corner = e.corner;
            return true;
        }
    }
    return false;
}

// Walks a strip or fan from triangle `start` rotated by `rotation`; the
// corners in drawing order go to `run` and the triangles to `taken` (both
// may be null when only the length is wanted). Answers the triangle count.
//
// Strip triangle i is drawn (v[i], v[i+1], v[i+2]) when i is even and
// (v[i+1], v[i], v[i+2]) when odd; fan triangle i is (v[0], v[i+1], v[i+2]).
// Each is the next file triangle rotated, so the file's winding is kept.
int Walk(Builder& b, int start, int rotation, RunKind kind, std::vector<int>* run, std::vector<int>* taken) {
    ++b.walk;
    const auto& c = b.corners[static_cast<std::size_t>(start)];
    b.stamp[static_cast<std::size_t>(start)] = b.walk;
    if (run != nullptr) {
        *run = {c[static_cast<std::size_t>(rotation % 3)], c[static_cast<std::size_t>((rotation + 1) % 3)],
                c[static_cast<std::size_t>((rotation + 2) % 3)]};
        taken->assign(1, start);
    }
    // The edge of the last triangle the next one must share: for strips
    // v[1]->v[2] (the next is drawn from v[2], v[1]), for fans v[2]->v[0].
    int last = start;
    int edge = kind == kStrip ? (rotation + 1) % 3 : (rotation + 2) % 3;
    int count = 1;
    int triangle = 0;
    int corner = 0;
    while (NextTriangle(b, last, edge, &triangle, &corner)) {
        b.stamp[static_cast<std::size_t>(triangle)] = b.walk;
        if (run != nullptr) {
            run->push_back(b.corners[static_cast<std::size_t>(triangle)][static_cast<std::size_t>((corner + 2) % 3)]);
            taken->push_back(triangle);
        }
        // The new triangle is (m1, m2, next) from `corner`. Fans, and strips
        // after an odd triangle, continue across (next, m1); strips after an
        // even triangle across (m2, next).
        edge = kind == kFan || count % 2 == 1 ? (corner + 2) % 3 : (corner + 1) % 3;
        last = triangle;
        ++count;
    }
    return count;
}

struct Candidate {
    int length;
    int triangle;
    int rotation;
    RunKind kind;
};

// Longest first; among equals strips before fans (a fan around a vertex
// takes triangles from several rows that strips would run along), then the
// lowest triangle and rotation, so the list does not depend on the queue's
// internals.
struct ShorterCandidate {
    bool operator()(const Candidate& a, const Candidate& b) const {
        if (a.length != b.length) {
            return a.length < b.length;
        }
        if (a.kind != b.kind) {
            return a.kind > b.kind;
        }
        if (a.triangle != b.triangle) {
            return a.triangle > b.triangle;
        }
        return a.rotation > b.rotation;
    }
};

}  // namespace

std::vector<std::int32_t> BuildGlCommandList(const std::vector<Md2TriangleRecord>& triangles,
                                             const std::vector<Md2TexCoordRecord>& texCoords, int skinWidth,
                                             int skinHeight) {
    Builder b;
    const std::size_t count = triangles.size();
    b.corners.resize(count);
    b.used.assign(count, 0);
    b.stamp.assign(count, 0);
    std::unordered_map<std::uint64_t, int> cornerIds;
    std::vector<std::pair<int, Md2TexCoordRecord>> cornerValues;
    for (std::size_t i = 0; i < count; ++i) {
        for (int k = 0; k < 3; ++k) {
            const int vertex = triangles[i].index_xyz[k];
            const Md2TexCoordRecord st = texCoords[static_cast<std::size_t>(triangles[i].index_st[k])];
            auto [it, added] = cornerIds.try_emplace(CornerKey(vertex, st), static_cast<int>(cornerValues.size()));
            if (added) {
                cornerValues.emplace_back(vertex, st);
            }
            b.corners[i][static_cast<std::size_t>(k)] = it->second;
        }
    }
    b.edges.reserve(3 * count);
    for (std::size_t i = 0; i < count; ++i) {
        for (int k = 0; k < 3; ++k) {
            b.edges.push_back({EdgeKey(b.corners[i][static_cast<std::size_t>(k)],
                                       b.corners[i][static_cast<std::size_t>((k + 1) % 3)]),
                               static_cast<int>(i), k});
        }
    }
    std::sort(b.edges.begin(), b.edges.end(), [](const EdgeEntry& x, const EdgeEntry& y) {
        return x.key != y.key ? x.key < y.key : x.triangle < y.triangle;
    });
    b.across.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t k = 0; k < 3; ++k) {
            const std::uint64_t key = EdgeKey(b.corners[i][(k + 1) % 3], b.corners[i][k]);
            const auto range = std::equal_range(b.edges.begin(), b.edges.end(), EdgeEntry{key, 0, 0},
                                                [](const EdgeEntry& x, const EdgeEntry& y) { return x.key < y.key; });
            b.across[i][k] = {static_cast<std::uint32_t>(range.first - b.edges.begin()),
                              static_cast<std::uint32_t>(range.second - b.edges.begin())};
        }
    }

    // Runs only get shorter as triangles are emitted, so a candidate whose
    // recomputed length still beats the queue's next stored length is the
    // longest there is.
    std::priority_queue<Candidate, std::vector<Candidate>, ShorterCandidate> queue;
    for (std::size_t i = 0; i < count; ++i) {
        for (int rotation = 0; rotation < 3; ++rotation) {
            for (RunKind kind : {kStrip, kFan}) {
                queue.push({Walk(b, static_cast<int>(i), rotation, kind, nullptr, nullptr), static_cast<int>(i),
                            rotation, kind});
            }
        }
    }
    std::vector<std::int32_t> words;
    std::vector<int> run;
    std::vector<int> taken;
    const float width = static_cast<float>(skinWidth);
    const float height = static_cast<float>(skinHeight);
    while (!queue.empty()) {
        Candidate top = queue.top();
        queue.pop();
        if (b.used[static_cast<std::size_t>(top.triangle)]) {
            continue;
        }
        top.length = Walk(b, top.triangle, top.rotation, top.kind, nullptr, nullptr);
        if (!queue.empty() && ShorterCandidate{}(top, queue.top())) {
            queue.push(top);
            continue;
        }
        Walk(b, top.triangle, top.rotation, top.kind, &run, &taken);
        for (int triangle : taken) {
            b.used[static_cast<std::size_t>(triangle)] = 1;
        }
        const int vertices = static_cast<int>(run.size());
        // A single triangle is written as a strip of three.
        words.push_back(top.kind == kFan && vertices > 3 ? -vertices : vertices);
        for (int corner : run) {
            const auto& [vertex, st] = cornerValues[static_cast<std::size_t>(corner)];
            const float s = GlTexCoord(st.s, width);
            const float t = GlTexCoord(st.t, height);
            words.push_back(std::bit_cast<std::int32_t>(s));
            words.push_back(std::bit_cast<std::int32_t>(t));
            words.push_back(vertex);
        }
    }
    words.push_back(0);
    return words;
}

bool DecodeGlCommandList(const std::int32_t* words, std::size_t wordCount, int vertexCount,
                         std::vector<GlDrawnTriangle>* triangles, std::string* error) {
    triangles->clear();
    std::size_t at = 0;
    std::vector<GlDrawnCorner> run;
    while (true) {
        if (at >= wordCount) {
            *error = "the GL command list has no terminating 0 within its " + std::to_string(wordCount) + " words";
            return false;
        }
        const std::int32_t head = words[at++];
        if (head == 0) {
            return true;
        }
        const bool fan = head < 0;
        const std::int64_t n = fan ? -static_cast<std::int64_t>(head) : head;
        if (n < 3) {
            *error = "GL command run of " + std::to_string(n) + " vertices at word " + std::to_string(at - 1);
            return false;
        }
        if (static_cast<std::uint64_t>(n) * 3 > wordCount - at) {
            *error = "GL command run at word " + std::to_string(at - 1) + " runs past the list's end";
            return false;
        }
        run.clear();
        for (std::int64_t i = 0; i < n; ++i, at += 3) {
            const std::int32_t vertex = words[at + 2];
            if (vertex < 0 || vertex >= vertexCount) {
                *error = "GL command at word " + std::to_string(at) + " names vertex " + std::to_string(vertex) +
                         " of " + std::to_string(vertexCount);
                return false;
            }
            run.push_back({vertex, std::bit_cast<float>(words[at]), std::bit_cast<float>(words[at + 1])});
        }
        for (std::size_t i = 2; i < run.size(); ++i) {
            if (fan) {
                triangles->push_back({{run[0], run[i - 1], run[i]}});
            } else if (i % 2 == 0) {
                triangles->push_back({{run[i - 2], run[i - 1], run[i]}});
            } else {
                triangles->push_back({{run[i - 1], run[i - 2], run[i]}});
            }
        }
    }
}

GlCommandStats CountGlRuns(const std::vector<std::int32_t>& words) {
    GlCommandStats stats{0, 0};
    std::size_t at = 0;
    while (at < words.size() && words[at] != 0) {
        const std::int32_t head = words[at];
        (head < 0 ? stats.fans : stats.strips) += 1;
        at += 1 + 3 * static_cast<std::size_t>(head < 0 ? -static_cast<std::int64_t>(head) : head);
    }
    return stats;
}
