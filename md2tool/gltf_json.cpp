#include "md2tool/gltf_json.h"

#include <algorithm>
#include <cstdint>

#include "md2tool/json_out.h"

namespace {

constexpr int kNearest = 9728;

void PutLayout(JsonOut& json, const GltfLayout& layout) {
    const char* const types[] = {"", "SCALAR", "VEC2", "VEC3"};
    const auto numbers = [&](const char* key, const float* values, int count) {
        json.Array(key, [&] {
            for (int i = 0; i < count; ++i) {
                json.Number(nullptr, values[i]);
            }
        });
    };
    json.Array("accessors", [&] {
        for (const GltfAccessor& a : layout.accessors) {
            json.Object(nullptr, [&] {
                json.Int("bufferView", a.view);
                if (a.offset != 0) {
                    json.Int("byteOffset", static_cast<std::int64_t>(a.offset));
                }
                json.Int("componentType", a.componentType);
                json.Int("count", static_cast<std::int64_t>(a.count));
                json.Literal("type", types[a.components]);
                if (a.bounded) {
                    numbers("min", a.min, a.components);
                    numbers("max", a.max, a.components);
                }
            });
        }
    });
    json.Array("bufferViews", [&] {
        for (const GltfView& v : layout.views) {
            json.Object(nullptr, [&] {
                json.Int("buffer", 0);
                json.Int("byteOffset", static_cast<std::int64_t>(v.offset));
                json.Int("byteLength", static_cast<std::int64_t>(v.length));
                if (v.stride != 0) {
                    json.Int("byteStride", v.stride);
                }
                if (v.target != 0) {
                    json.Int("target", v.target);
                }
            });
        }
    });
}

}  // namespace

std::string GltfJson(const GltfLayout& layout, const GltfParts& parts, const Md2Model& model,
                     const GltfOptions& options, const std::vector<FrameGroup>& groups,
                     const std::vector<GltfSkin>& skins) {
    const std::size_t targetCount = options.frames.size();
    // About 150 characters an accessor.
    JsonOut json;
    json.text.reserve(4096 + 150 * layout.accessors.size() + 60 * targetCount);
    const auto count = [](std::size_t n) { return static_cast<std::int64_t>(n); };
    const auto variants = [&](const char* key, auto each) {
        json.Object("extensions", [&] {
            json.Object("KHR_materials_variants", [&] {
                json.Array(key, [&] {
                    for (std::size_t i = 0; i < skins.size(); ++i) {
                        json.Object(nullptr, [&] { each(i); });
                    }
                });
            });
        });
    };
    json.Object(nullptr, [&] {
        json.Object("asset", [&] {
            json.Literal("version", "2.0");
            json.Literal("generator", "corvane-md2");
        });
        json.Int("scene", 0);
        json.Array("scenes", [&] { json.Object(nullptr, [&] { json.Array("nodes", [&] { json.Int(nullptr, 0); }); }); });
        json.Array("nodes", [&] {
            json.Object(nullptr, [&] {
                json.Int("mesh", 0);
                json.Literal("name", "model");
            });
        });
        json.Array("meshes", [&] {
            json.Object(nullptr, [&] {
                json.Array("primitives", [&] {
                    json.Object(nullptr, [&] {
                        json.Object("attributes", [&] {
                            json.Int("POSITION", parts.basePosition);
                            json.Int("NORMAL", parts.baseNormal);
                            json.Int("TEXCOORD_0", parts.texCoords);
                        });
                        json.Int("indices", parts.indices);
                        json.Int("material", 0);
                        json.Int("mode", 4);
                        json.Array("targets", [&] {
                            for (std::size_t t = 0; t < targetCount; ++t) {
                                json.Object(nullptr, [&] {
                                    json.Int("POSITION", parts.firstTarget + 2 * count(t));
                                    json.Int("NORMAL", parts.firstTarget + 2 * count(t) + 1);
                                });
                            }
                        });
                        if (skins.size() > 1) {
                            variants("mappings", [&](std::size_t i) {
                                json.Int("material", count(i));
                                json.Array("variants", [&] { json.Int(nullptr, count(i)); });
                            });
                        }
                    });
                });
                json.Object("extras", [&] {
                    json.Array("targetNames", [&] {
                        for (const int frame : options.frames) {
                            json.Text(nullptr, model.frames[frame].name);
                        }
                    });
                });
            });
        });
        json.Array("materials", [&] {
            for (std::size_t i = 0; i < std::max<std::size_t>(skins.size(), 1); ++i) {
                json.Object(nullptr, [&] {
                    json.Text("name", skins.empty() ? std::string("untextured") : skins[i].name);
                    json.Object("pbrMetallicRoughness", [&] {
                        if (!skins.empty()) {
                            json.Object("baseColorTexture", [&] { json.Int("index", count(i)); });
                        }
                        json.Number("metallicFactor", 0.0);
                        json.Number("roughnessFactor", 1.0);
                    });
                });
            }
        });
        if (!skins.empty()) {
            json.Array("images", [&] {
                for (std::size_t i = 0; i < skins.size(); ++i) {
                    json.Object(nullptr, [&] {
                        if (options.binary) {
                            json.Int("bufferView", parts.firstImageView + count(i));
                            json.Literal("mimeType", "image/png");
                        } else {
                            json.Text("uri", options.imageUris.at(i));
                        }
                        json.Text("name", skins[i].name);
                    });
                }
            });
            json.Array("textures", [&] {
                for (std::size_t i = 0; i < skins.size(); ++i) {
                    json.Object(nullptr, [&] {
                        json.Int("sampler", 0);
                        json.Int("source", count(i));
                    });
                }
            });
            json.Array("samplers", [&] {
                json.Object(nullptr, [&] {
                    json.Int("magFilter", kNearest);
                    json.Int("minFilter", kNearest);
                });
            });
        }
        if (skins.size() > 1) {
            json.Array("extensionsUsed", [&] { json.Literal(nullptr, "KHR_materials_variants"); });
            variants("variants", [&](std::size_t i) { json.Text("name", skins[i].name); });
        }
        if (!groups.empty()) {
            json.Array("animations", [&] {
                for (std::size_t g = 0; g < groups.size(); ++g) {
                    json.Object(nullptr, [&] {
                        json.Text("name", groups[g].name);
                        json.Array("samplers", [&] {
                            json.Object(nullptr, [&] {
                                json.Int("input", parts.firstKeys + 2 * count(g));
                                json.Int("output", parts.firstKeys + 2 * count(g) + 1);
                                json.Literal("interpolation", "LINEAR");
                            });
                        });
                        json.Array("channels", [&] {
                            json.Object(nullptr, [&] {
                                json.Int("sampler", 0);
                                json.Object("target", [&] {
                                    json.Int("node", 0);
                                    json.Literal("path", "weights");
                                });
                            });
                        });
                    });
                }
            });
        }
        PutLayout(json, layout);
        json.Array("buffers", [&] {
            json.Object(nullptr, [&] {
                json.Int("byteLength", count(layout.bytes));
                if (!options.binary) {
                    json.Text("uri", options.bufferUri);
                }
            });
        });
    });
    return json.Take();
}
