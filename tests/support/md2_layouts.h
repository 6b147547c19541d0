// Valid MD2 files laid out the ways real files are: sections in any order,
// empty sections at offset 0, inside the header or at the end, gaps between
// sections, a GL command list absent, present or malformed, bytes after
// ofs_end. Every tool is run over this one table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/md2_builder.h"

enum Md2SectionOrder : int { kSkinsPart, kTexCoordsPart, kTrianglesPart, kFramesPart, kGlPart };

enum class Md2GlList {
    kEmpty,      // no words: an empty section
    kFans,       // one fan per triangle, then the terminator
    kMalformed,  // a strip that runs past the list's end
};

// Where the offset of an empty section points.
enum class Md2EmptyAt { kZero, kInsideHeader, kEnd };

struct Md2LayoutPlan {
    const char* name;
    std::array<int, 5> order;  // the sections in file order
    Md2GlList gl;
    Md2EmptyAt emptyAt;
    bool noSkins;          // the model's skins are left out
    std::uint32_t gap;     // bytes between sections, after the header and before ofs_end
    std::uint32_t trailing;  // bytes after ofs_end
};

const std::vector<Md2LayoutPlan>& Md2LayoutTable();

// The model's file in the plan's layout (its skins dropped with noSkins).
// `sections` receives each section's bytes (order of Md2SectionOrder) as the
// file holds them.
std::vector<std::uint8_t> BuildMd2FileInLayout(const Md2BuilderModel& model, const Md2LayoutPlan& plan,
                                               std::array<std::vector<std::uint8_t>, 5>* sections = nullptr);
