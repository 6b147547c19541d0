#include "support/md2_layouts.h"

#include <bit>

namespace {

constexpr std::array<int, 5> kUsual = {kSkinsPart, kTexCoordsPart, kTrianglesPart, kFramesPart, kGlPart};

void AppendWord(std::vector<std::uint8_t>& out, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
    }
}

// One fan of three corners per triangle, each corner's s and t in skin
// units over the skin size, as the engine's renderers read them.
std::vector<std::uint8_t> GlListBytes(const Md2BuilderModel& model, Md2GlList kind) {
    std::vector<std::uint8_t> out;
    if (kind == Md2GlList::kEmpty) {
        return out;
    }
    if (kind == Md2GlList::kMalformed) {
        AppendWord(out, 7);  // seven corners announced, one given
        AppendWord(out, 0);
        AppendWord(out, 0);
        AppendWord(out, 0);
        return out;
    }
    for (const auto& triangle : model.triangles) {
        AppendWord(out, static_cast<std::uint32_t>(-3));
        for (int k = 0; k < 3; ++k) {
            const auto& st = model.texCoords.at(static_cast<std::size_t>(triangle[3 + k]));
            AppendWord(out, std::bit_cast<std::uint32_t>(static_cast<float>(st[0]) / static_cast<float>(model.skinWidth)));
            AppendWord(out, std::bit_cast<std::uint32_t>(static_cast<float>(st[1]) / static_cast<float>(model.skinHeight)));
            AppendWord(out, static_cast<std::uint32_t>(triangle[k]));
        }
    }
    AppendWord(out, 0);
    return out;
}

}  // namespace

const std::vector<Md2LayoutPlan>& Md2LayoutTable() {
    using G = Md2GlList;
    using E = Md2EmptyAt;
    static const std::vector<Md2LayoutPlan> table = {
        {"usual-order-empty-list-at-end", kUsual, G::kEmpty, E::kEnd, false, 0, 0},
        {"empty-list-at-offset-0", kUsual, G::kEmpty, E::kZero, false, 0, 0},
        {"empty-list-inside-header", kUsual, G::kEmpty, E::kInsideHeader, false, 0, 0},
        {"no-skins-at-0-empty-list-at-0", kUsual, G::kEmpty, E::kZero, true, 0, 0},
        {"no-skins-inside-header", kUsual, G::kFans, E::kInsideHeader, true, 0, 0},
        {"list-before-frames", {kSkinsPart, kTexCoordsPart, kTrianglesPart, kGlPart, kFramesPart}, G::kFans, E::kEnd,
         false, 0, 0},
        {"list-first", {kGlPart, kSkinsPart, kTexCoordsPart, kTrianglesPart, kFramesPart}, G::kFans, E::kEnd, false, 0,
         0},
        {"reversed", {kGlPart, kFramesPart, kTrianglesPart, kTexCoordsPart, kSkinsPart}, G::kFans, E::kEnd, false, 0,
         0},
        {"skins-after-triangles", {kTexCoordsPart, kTrianglesPart, kSkinsPart, kFramesPart, kGlPart}, G::kEmpty,
         E::kZero, false, 0, 0},
        {"frames-first-empty-list-inside-header", {kFramesPart, kTrianglesPart, kSkinsPart, kTexCoordsPart, kGlPart},
         G::kEmpty, E::kInsideHeader, false, 0, 0},
        {"gaps", kUsual, G::kFans, E::kEnd, false, 12, 0},
        {"gaps-and-trailing-bytes", {kSkinsPart, kGlPart, kTexCoordsPart, kFramesPart, kTrianglesPart}, G::kFans,
         E::kEnd, false, 8, 20},
        {"trailing-bytes-empty-list-at-0", kUsual, G::kEmpty, E::kZero, false, 0, 37},
        {"malformed-list", kUsual, G::kMalformed, E::kEnd, false, 0, 0},
        {"malformed-list-first-with-gaps", {kGlPart, kFramesPart, kSkinsPart, kTrianglesPart, kTexCoordsPart},
         G::kMalformed, E::kEnd, false, 4, 9},
    };
    return table;
}

std::vector<std::uint8_t> BuildMd2FileInLayout(const Md2BuilderModel& model, const Md2LayoutPlan& plan,
                                               std::array<std::vector<std::uint8_t>, 5>* sections) {
    Md2BuilderModel used = model;
    if (plan.noSkins) {
        used.skins.clear();
    }
    Md2Layout at;
    const std::vector<std::uint8_t> usual = BuildMd2File(used, &at);
    const auto slice = [&usual](std::size_t begin, std::size_t end) {
        return std::vector<std::uint8_t>(usual.begin() + static_cast<std::ptrdiff_t>(begin),
                                         usual.begin() + static_cast<std::ptrdiff_t>(end));
    };
    std::array<std::vector<std::uint8_t>, 5> parts = {
        slice(at.ofsSkins, at.ofsSt), slice(at.ofsSt, at.ofsTris), slice(at.ofsTris, at.ofsFrames),
        slice(at.ofsFrames, at.ofsGlcmds), GlListBytes(used, plan.gl)};
    const std::array<std::size_t, 5> countFields = {kFieldNumSkins, kFieldNumSt, kFieldNumTris, kFieldNumFrames,
                                                    kFieldNumGlcmds};
    const std::array<std::size_t, 5> offsetFields = {kFieldOfsSkins, kFieldOfsSt, kFieldOfsTris, kFieldOfsFrames,
                                                     kFieldOfsGlcmds};

    std::vector<std::uint8_t> out(usual.begin(), usual.begin() + kMd2BuilderHeaderBytes);
    std::array<std::size_t, 5> offsets{};
    for (int part : plan.order) {
        out.resize(out.size() + plan.gap, 0xA5);
        offsets[static_cast<std::size_t>(part)] = out.size();
        out.insert(out.end(), parts[static_cast<std::size_t>(part)].begin(), parts[static_cast<std::size_t>(part)].end());
    }
    out.resize(out.size() + plan.gap, 0xA5);
    const std::size_t end = out.size();
    for (std::size_t part = 0; part < parts.size(); ++part) {
        if (parts[part].empty()) {
            offsets[part] = plan.emptyAt == Md2EmptyAt::kZero ? 0 : plan.emptyAt == Md2EmptyAt::kInsideHeader ? 64 : end;
        }
        PutI32(out, offsetFields[part], static_cast<std::int32_t>(offsets[part]));
    }
    PutI32(out, countFields[kGlPart], static_cast<std::int32_t>(parts[kGlPart].size() / 4));
    PutI32(out, kFieldOfsEnd, static_cast<std::int32_t>(end));
    for (std::uint32_t i = 0; i < plan.trailing; ++i) {
        out.push_back(static_cast<std::uint8_t>(0x30 + i % 64));
    }
    if (sections != nullptr) {
        *sections = parts;
    }
    return out;
}
