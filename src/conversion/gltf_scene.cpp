#include "gltf_scene.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>

#include "formats/little_endian.h"
#include "formats/md2.h"
#include "animation_names.h"
#include "gltf_files.h"
#include "skin_atlas.h"
#include "input_files.h"

namespace {

using tinygltf::Model;

const double kFramesPerSecond = 10;      // Quake 2's
// What an MD2 can use, checked before anything is read: three vertices and
// three indices a triangle before welding, a morph target a frame; and what
// no animation of 512 frames needs more of.
const size_t kMostVertices = 3 * size_t(kMd2MaxTriangles);
const size_t kMostTargets = size_t(kMd2MaxFrames);
const size_t kMostKeys = 1 << 16;       // in one sampler: 512 frames at 120 a second is 6,144
const size_t kMostChannels = 1 << 14;   // in the file: 512 joints x 3 paths x 10 animations
const size_t kMostJoints = 1024;
const int kTriangles = 4, kTriangleStrip = 5, kTriangleFan = 6;

// 4 x 4, column-major as glTF stores it.
struct Matrix {
    double m[16];
};

Matrix Identity() { return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}; }

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix out;
    for (int column = 0; column < 4; column++)
        for (int row = 0; row < 4; row++) {
            double sum = 0;
            for (int k = 0; k < 4; k++) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            out.m[column * 4 + row] = sum;
        }
    return out;
}

void Transform(const Matrix& a, const double in[3], double out[3]) {
    for (int row = 0; row < 3; row++) out[row] = a.m[row] * in[0] + a.m[4 + row] * in[1] + a.m[8 + row] * in[2] + a.m[12 + row];
}

// A node's local transform: translation, rotation (x, y, z, w), scale, and
// its morph weights; or a matrix that animation does not touch.
struct Pose {
    double translation[3] = {0, 0, 0}, rotation[4] = {0, 0, 0, 1}, scale[3] = {1, 1, 1};
    bool fixed = false;
    Matrix matrix = Identity();
    std::vector<double> weights;
};

Matrix MatrixOf(const Pose& p) {
    if (p.fixed) return p.matrix;
    const double x = p.rotation[0], y = p.rotation[1], z = p.rotation[2], w = p.rotation[3];
    const double r[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w),
                         2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                         2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)};
    Matrix out = Identity();
    for (int column = 0; column < 3; column++)
        for (int row = 0; row < 3; row++) out.m[column * 4 + row] = r[column * 3 + row] * p.scale[column];
    for (int row = 0; row < 3; row++) out.m[12 + row] = p.translation[row];
    return out;
}

// An accessor's elements as numbers, `width` to an element, integers
// normalised where the accessor says so. Every read is checked against its
// buffer view and buffer; false, with the reason, when it does not fit.
bool ReadAccessor(const Model& model, int index, int width, size_t most, ImportBudget* budget, std::vector<double>* out,
                  std::string* problem) {
    const auto refuse = [&](const std::string& why) {
        *problem = "accessor " + std::to_string(index) + ": " + why;
        return false;
    };
    if (index < 0 || size_t(index) >= model.accessors.size()) return refuse("there is no such accessor");
    const tinygltf::Accessor& a = model.accessors[size_t(index)];
    if (a.sparse.isSparse) return refuse("sparse accessors are not read");
    const int components = tinygltf::GetNumComponentsInType(uint32_t(a.type));
    const int componentSize = tinygltf::GetComponentSizeInBytes(uint32_t(a.componentType));
    if (components != width || componentSize <= 0) return refuse("not " + std::to_string(width) + " numbers an element");
    if (a.count > most)
        return refuse(std::to_string(a.count) + " elements where an MD2 can use " + std::to_string(most));
    if (!TakeFromBudget(budget, uint64_t(a.count) * uint64_t(width) * sizeof(double), problem)) return false;
    out->assign(a.count * size_t(width), 0);
    if (a.bufferView < 0) return true;  // all zeros, as glTF says
    if (size_t(a.bufferView) >= model.bufferViews.size()) return refuse("no such buffer view");
    const tinygltf::BufferView& view = model.bufferViews[size_t(a.bufferView)];
    if (view.buffer < 0 || size_t(view.buffer) >= model.buffers.size()) return refuse("no such buffer");
    const std::vector<unsigned char>& data = model.buffers[size_t(view.buffer)].data;
    const uint64_t element = uint64_t(componentSize) * uint64_t(width);
    const uint64_t stride = view.byteStride ? view.byteStride : element;
    const uint64_t start = uint64_t(view.byteOffset) + a.byteOffset;
    if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset ||
        a.byteOffset > view.byteLength || stride < element ||
        (a.count && (a.count - 1) * stride + element > view.byteLength - a.byteOffset))
        return refuse("its elements do not lie inside its buffer");
    for (size_t i = 0; i < a.count; i++)
        for (int c = 0; c < width; c++) {
            const unsigned char* at = &data[start + i * stride + uint64_t(c) * uint64_t(componentSize)];
            double v = 0;
            switch (a.componentType) {
            case TINYGLTF_COMPONENT_TYPE_FLOAT: { float f; std::memcpy(&f, at, 4); v = f; break; }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: v = at[0] / (a.normalized ? 255.0 : 1.0); break;
            case TINYGLTF_COMPONENT_TYPE_BYTE: v = std::max(-1.0, int8_t(at[0]) / (a.normalized ? 127.0 : 1.0)); break;
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: v = ReadLe16(at) / (a.normalized ? 65535.0 : 1.0); break;
            case TINYGLTF_COMPONENT_TYPE_SHORT:
                v = std::max(-1.0, int16_t(ReadLe16(at)) / (a.normalized ? 32767.0 : 1.0));
                break;
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
                uint32_t u; std::memcpy(&u, at, 4); v = u; break;
            }
            default: return refuse("an unknown component type");
            }
            if (!std::isfinite(v)) return refuse("a number that is not finite");
            (*out)[i * size_t(width) + size_t(c)] = v;
        }
    return true;
}

// One primitive's vertex data, read once.
struct Primitive {
    std::vector<double> positions, texCoords, joints, weights, colours;  // colours: R, G, B a vertex, or none
    std::vector<std::vector<double>> targets;  // POSITION differences
    std::vector<uint32_t> triangles;           // indices into this primitive's vertices
    int material = -1;
    size_t unnormalised = 0;  // vertices whose weights do not sum to 1
};

// The sum of a vertex's skin weights over its sets of four.
double WeightSum(const Primitive& p, size_t vertex, size_t count) {
    double sum = 0;
    for (size_t k = 0; k < p.weights.size() / count; k++) sum += p.weights[(k / 4) * 4 * count + 4 * vertex + k % 4];
    return sum;
}

bool ReadPrimitive(const Model& model, const tinygltf::Primitive& p, ImportBudget* budget, Primitive* out,
                   std::string* problem) {
    const auto attribute = [&p](const char* name) {
        const auto found = p.attributes.find(name);
        return found == p.attributes.end() ? -1 : found->second;
    };
    if (attribute("POSITION") < 0) return *problem = "a primitive without positions", false;
    if (!ReadAccessor(model, attribute("POSITION"), 3, kMostVertices, budget, &out->positions, problem)) return false;
    const size_t count = out->positions.size() / 3;
    // The coordinates the base colour's texture takes (its texCoord, or its transform's).
    int set = 0;
    if (p.material >= 0 && size_t(p.material) < model.materials.size()) {
        const tinygltf::TextureInfo& info = model.materials[size_t(p.material)].pbrMetallicRoughness.baseColorTexture;
        set = info.texCoord;
        const auto transform = info.extensions.find("KHR_texture_transform");
        if (transform != info.extensions.end() && transform->second.Has("texCoord"))
            set = transform->second.Get("texCoord").GetNumberAsInt();
    }
    const int coordinates = attribute(("TEXCOORD_" + std::to_string(std::max(set, 0))).c_str());
    if (coordinates >= 0 && !ReadAccessor(model, coordinates, 2, kMostVertices, budget, &out->texCoords, problem))
        return false;
    const int colours = attribute("COLOR_0");
    if (colours >= 0 && size_t(colours) < model.accessors.size()) {
        const bool rgba = model.accessors[size_t(colours)].type == TINYGLTF_TYPE_VEC4;
        std::vector<double> read;
        if (!ReadAccessor(model, colours, rgba ? 4 : 3, kMostVertices, budget, &read, problem)) return false;
        for (size_t i = 0; i < read.size(); i += rgba ? 4 : 3) out->colours.insert(out->colours.end(), &read[i], &read[i] + 3);
    }
    if (out->texCoords.empty()) out->texCoords.assign(2 * count, 0);
    // Up to eight joints a vertex: JOINTS_0 / WEIGHTS_0, and _1 where present.
    for (const char* set : {"0", "1"}) {
        const int joints = attribute((std::string("JOINTS_") + set).c_str());
        const int weights = attribute((std::string("WEIGHTS_") + set).c_str());
        if (joints < 0 || weights < 0) break;
        std::vector<double> j, w;
        if (!ReadAccessor(model, joints, 4, kMostVertices, budget, &j, problem) ||
            !ReadAccessor(model, weights, 4, kMostVertices, budget, &w, problem))
            return false;
        if (j.size() != 4 * count || w.size() != 4 * count) return *problem = "joints or weights not one a vertex", false;
        out->joints.insert(out->joints.end(), j.begin(), j.end());
        out->weights.insert(out->weights.end(), w.begin(), w.end());
    }
    for (size_t v = 0; v < count && !out->weights.empty(); v++)
        if (std::fabs(WeightSum(*out, v, count) - 1) > 1e-3) out->unnormalised++;
    if (p.targets.size() > kMostTargets)
        return *problem = "more morph targets than an MD2 has frames (" + std::to_string(kMostTargets) + ")", false;
    for (const auto& target : p.targets) {
        const auto found = target.find("POSITION");
        std::vector<double> difference;
        if (found != target.end()) {
            if (!ReadAccessor(model, found->second, 3, kMostVertices, budget, &difference, problem)) return false;
        } else {
            if (!TakeFromBudget(budget, 3 * count * sizeof(double), problem)) return false;
            difference.assign(3 * count, 0);
        }
        if (difference.size() != 3 * count) return *problem = "a morph target not one position a vertex", false;
        out->targets.push_back(difference);
    }
    if (out->texCoords.size() != 2 * count) return *problem = "texture coordinates not one a vertex", false;
    if (!out->colours.empty() && out->colours.size() != 3 * count) return *problem = "colours not one a vertex", false;
    std::vector<uint32_t> order;
    if (p.indices >= 0) {
        std::vector<double> indices;
        if (!ReadAccessor(model, p.indices, 1, kMostVertices, budget, &indices, problem)) return false;
        for (double i : indices) {
            if (i < 0 || i >= double(count)) return *problem = "an index past the primitive's vertices", false;
            order.push_back(uint32_t(i));
        }
    } else {
        for (size_t i = 0; i < count; i++) order.push_back(uint32_t(i));
    }
    // Strips and fans made triangles, each counter-clockwise as glTF has them.
    for (size_t n = 2; n < order.size(); n++) {
        if (p.mode == kTriangles && n % 3 != 2) continue;
        uint32_t a = order[n - 2], b = order[n - 1], c = order[n];
        if (p.mode == kTriangleStrip && n % 2) std::swap(a, b);
        if (p.mode == kTriangleFan) a = order[0];
        out->triangles.insert(out->triangles.end(), {a, b, c});
    }
    out->material = p.material;
    return true;
}

// An animation's channel, read once: key times and values.
struct Channel {
    int node = -1;
    enum Path { kTranslation, kRotation, kScale, kWeights } path = kTranslation;
    enum Interpolation { kLinear, kStep, kCubic } interpolation = kLinear;
    std::vector<double> times, values;
    size_t width = 0;
};

struct Clip {
    std::string name;
    std::vector<Channel> channels;
    double start = HUGE_VAL, end = 0;  // its first key and its last, over all its channels
};

bool ReadClip(const Model& model, const tinygltf::Animation& animation, ImportBudget* budget, Clip* clip,
              std::string* problem) {
    clip->name = animation.name;
    for (const tinygltf::AnimationChannel& c : animation.channels) {
        Channel channel;
        channel.node = c.target_node;
        if (c.target_node < 0 || size_t(c.target_node) >= model.nodes.size()) continue;  // nothing to move
        const std::map<std::string, Channel::Path> paths = {{"translation", Channel::kTranslation},
            {"rotation", Channel::kRotation}, {"scale", Channel::kScale}, {"weights", Channel::kWeights}};
        if (!paths.count(c.target_path)) continue;  // a path of an extension: not carried
        channel.path = paths.at(c.target_path);
        if (c.sampler < 0 || size_t(c.sampler) >= animation.samplers.size())
            return *problem = "animation \"" + animation.name + "\": no such sampler", false;
        const tinygltf::AnimationSampler& s = animation.samplers[size_t(c.sampler)];
        channel.interpolation = s.interpolation == "STEP"          ? Channel::kStep
                                : s.interpolation == "CUBICSPLINE" ? Channel::kCubic
                                                                   : Channel::kLinear;
        if (!ReadAccessor(model, s.input, 1, kMostKeys, budget, &channel.times, problem)) return false;
        const int width = channel.path == Channel::kRotation ? 4 : channel.path == Channel::kWeights ? 1 : 3;
        // A key's value, or a cubic key's three, each a weight a target for weights.
        const size_t most = channel.times.size() * 3 * (channel.path == Channel::kWeights ? kMostTargets : 1);
        if (!ReadAccessor(model, s.output, width, most, budget, &channel.values, problem)) return false;
        const size_t keys = channel.times.size(), perKey = channel.interpolation == Channel::kCubic ? 3 : 1;
        if (keys == 0) continue;
        channel.width = channel.values.size() / (keys * perKey);
        if (channel.width == 0 || channel.values.size() != keys * perKey * channel.width)
            return *problem = "animation \"" + animation.name + "\": outputs do not match its key times", false;
        for (size_t k = 0; k < keys; k++) {
            if (channel.times[k] < 0 || (k && channel.times[k] < channel.times[k - 1]))
                return *problem = "animation \"" + animation.name + "\": key times out of order", false;
            clip->end = std::max(clip->end, channel.times[k]);
        }
        clip->start = std::min(clip->start, channel.times[0]);
        clip->channels.push_back(std::move(channel));
    }
    return true;
}

// The channel's value at `time`.
std::vector<double> Sample(const Channel& c, double time) {
    const size_t keys = c.times.size(), w = c.width, perKey = c.interpolation == Channel::kCubic ? 3 : 1;
    // Key k's value (a cubic key stores in-tangent, value, out-tangent).
    const auto value = [&](size_t k, size_t part) { return &c.values[(k * perKey + part) * w]; };
    const size_t valuePart = c.interpolation == Channel::kCubic ? 1 : 0;
    size_t k = 0;
    while (k + 1 < keys && c.times[k + 1] <= time) k++;
    std::vector<double> out(value(k, valuePart), value(k, valuePart) + w);
    if (k + 1 >= keys || time <= c.times[k] || c.interpolation == Channel::kStep) return out;
    const double dt = c.times[k + 1] - c.times[k], u = (time - c.times[k]) / dt;
    const double* a = value(k, valuePart);
    const double* b = value(k + 1, valuePart);
    if (c.interpolation == Channel::kCubic) {
        const double* outTangent = value(k, 2);
        const double* inTangent = value(k + 1, 0);
        const double u2 = u * u, u3 = u2 * u;
        for (size_t i = 0; i < w; i++)
            out[i] = (2 * u3 - 3 * u2 + 1) * a[i] + (u3 - 2 * u2 + u) * dt * outTangent[i] + (-2 * u3 + 3 * u2) * b[i] +
                     (u3 - u2) * dt * inTangent[i];
    } else if (c.path == Channel::kRotation) {
        // Spherical, the shorter way round.
        double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
        const double sign = dot < 0 ? -1 : 1;
        dot = std::min(1.0, std::fabs(dot));
        const double angle = std::acos(dot), sine = std::sin(angle);
        const double fa = sine > 1e-9 ? std::sin((1 - u) * angle) / sine : 1 - u;
        const double fb = sine > 1e-9 ? std::sin(u * angle) / sine : u;
        for (size_t i = 0; i < 4; i++) out[i] = fa * a[i] + fb * sign * b[i];
    } else {
        for (size_t i = 0; i < w; i++) out[i] = a[i] + (b[i] - a[i]) * u;
    }
    if (c.path == Channel::kRotation) {
        const double length = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2] + out[3] * out[3]);
        if (length > 0)
            for (double& v : out) v /= length;
    }
    return out;
}

// One mesh as placed in the scene: the node that holds it, its primitives.
struct Instance {
    int node;
    std::vector<Primitive> primitives;
    size_t firstVertex;
};

struct Scene {
    const Model* model;
    std::vector<int> order;    // nodes of the default scene, parents before children
    std::vector<int> parents;  // of every node, -1 for a root
    std::vector<Pose> rest;
    std::vector<Instance> instances;
    size_t vertices = 0;
    std::map<int, std::vector<double>> inverseBinds;  // of each skin used, read once
    ImportBudget* budget;
    size_t unnormalised = 0;  // skinned vertices whose weights do not sum to 1
    std::vector<std::string> warnings;
};

// A skin's inverse bind matrices, read once and no more than it has joints.
bool ReadSkin(const Model& model, int index, Scene* scene, std::string* problem) {
    if (index < 0 || size_t(index) >= model.skins.size() || scene->inverseBinds.count(index)) return true;
    const tinygltf::Skin& skin = model.skins[size_t(index)];
    if (skin.joints.size() > kMostJoints)
        return *problem = "a skin of more than " + std::to_string(kMostJoints) + " joints", false;
    std::vector<double>& inverse = scene->inverseBinds[index];
    return skin.inverseBindMatrices < 0 ||
           ReadAccessor(model, skin.inverseBindMatrices, 16, skin.joints.size(), scene->budget, &inverse, problem);
}

bool ReadScene(const Model& model, Scene* scene, std::string* problem) {
    scene->model = &model;
    const int chosen = model.defaultScene >= 0 ? model.defaultScene : 0;
    if (model.scenes.empty() || size_t(chosen) >= model.scenes.size()) return *problem = "the file has no scene", false;
    scene->parents.assign(model.nodes.size(), -1);
    std::vector<bool> seen(model.nodes.size(), false);
    std::vector<int> stack(model.scenes[size_t(chosen)].nodes.rbegin(), model.scenes[size_t(chosen)].nodes.rend());
    while (!stack.empty()) {
        const int node = stack.back();
        stack.pop_back();
        if (node < 0 || size_t(node) >= model.nodes.size()) return *problem = "a scene names a node it lacks", false;
        if (seen[size_t(node)]) return *problem = "node " + std::to_string(node) + " is reached twice", false;
        seen[size_t(node)] = true;
        scene->order.push_back(node);
        const std::vector<int>& children = model.nodes[size_t(node)].children;
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            if (*child >= 0 && size_t(*child) < model.nodes.size()) scene->parents[size_t(*child)] = node;
            stack.push_back(*child);
        }
    }
    for (const tinygltf::Node& n : model.nodes) {
        Pose pose;
        if (n.matrix.size() == 16) {
            pose.fixed = true;
            std::copy(n.matrix.begin(), n.matrix.end(), pose.matrix.m);
        }
        if (n.translation.size() == 3) std::copy(n.translation.begin(), n.translation.end(), pose.translation);
        if (n.rotation.size() == 4) std::copy(n.rotation.begin(), n.rotation.end(), pose.rotation);
        if (n.scale.size() == 3) std::copy(n.scale.begin(), n.scale.end(), pose.scale);
        pose.weights = n.weights;
        if (n.mesh >= 0 && size_t(n.mesh) < model.meshes.size() && pose.weights.empty())
            pose.weights = model.meshes[size_t(n.mesh)].weights;
        scene->rest.push_back(pose);
    }
    for (int node : scene->order) {
        const tinygltf::Node& n = model.nodes[size_t(node)];
        if (n.mesh < 0) continue;
        if (size_t(n.mesh) >= model.meshes.size()) return *problem = "a node names a mesh the file lacks", false;
        Instance instance = {node, {}, scene->vertices};
        if (!ReadSkin(model, n.skin, scene, problem)) return false;
        const tinygltf::Mesh& mesh = model.meshes[size_t(n.mesh)];
        for (const tinygltf::Primitive& p : mesh.primitives) {
            if (p.mode != kTriangles && p.mode != kTriangleStrip && p.mode != kTriangleFan) {
                scene->warnings.push_back("mesh \"" + mesh.name + "\": a primitive of points or lines (mode " +
                                          std::to_string(p.mode) + ") left out: only triangles make an MD2");
                continue;
            }
            Primitive primitive;
            if (!ReadPrimitive(model, p, scene->budget, &primitive, problem)) return false;
            scene->vertices += primitive.positions.size() / 3;
            if (n.skin >= 0) scene->unnormalised += primitive.unnormalised;
            if (scene->vertices > kMostVertices)
                return *problem = "more vertices than " + std::to_string(kMd2MaxTriangles) +
                                  " triangles can use; use a lower-poly mesh", false;
            instance.primitives.push_back(std::move(primitive));
        }
        scene->instances.push_back(std::move(instance));
    }
    if (scene->instances.empty()) return *problem = "the default scene holds no mesh", false;
    return true;
}

// Every vertex's position in MD2's axes, with the poses given.
std::vector<float> Positions(const Scene& scene, const std::vector<Pose>& poses, double scale, std::string* problem) {
    const Model& model = *scene.model;
    std::vector<Matrix> world(model.nodes.size(), Identity());
    for (int node : scene.order) {
        const int parent = scene.parents[size_t(node)];
        world[size_t(node)] = parent < 0 ? MatrixOf(poses[size_t(node)])
                                         : Multiply(world[size_t(parent)], MatrixOf(poses[size_t(node)]));
    }
    std::vector<float> out;
    out.reserve(3 * scene.vertices);
    for (const Instance& instance : scene.instances) {
        const tinygltf::Node& node = model.nodes[size_t(instance.node)];
        std::vector<Matrix> joints;
        if (node.skin >= 0 && size_t(node.skin) < model.skins.size()) {
            const tinygltf::Skin& skin = model.skins[size_t(node.skin)];
            const std::vector<double>& inverse = scene.inverseBinds.at(node.skin);
            for (size_t j = 0; j < skin.joints.size(); j++) {
                const int joint = skin.joints[j];
                if (joint < 0 || size_t(joint) >= model.nodes.size()) return *problem = "a skin names a node it lacks", std::vector<float>{};
                Matrix bind = Identity();
                if (inverse.size() >= 16 * (j + 1)) std::copy(&inverse[16 * j], &inverse[16 * j] + 16, bind.m);
                joints.push_back(Multiply(world[size_t(joint)], bind));
            }
        }
        // Only the targets that weigh: a file of one target a frame has hundreds, one of them on.
        const std::vector<double>& weights = poses[size_t(instance.node)].weights;
        std::vector<size_t> weighing;
        for (size_t t = 0; t < weights.size(); t++)
            if (weights[t] != 0) weighing.push_back(t);
        for (const Primitive& p : instance.primitives) {
            const size_t count = p.positions.size() / 3;
            for (size_t v = 0; v < count; v++) {
                double local[3] = {p.positions[3 * v], p.positions[3 * v + 1], p.positions[3 * v + 2]};
                for (size_t t : weighing)
                    if (t < p.targets.size())
                        for (int c = 0; c < 3; c++) local[c] += weights[t] * p.targets[t][3 * v + size_t(c)];
                double placed[3] = {0, 0, 0};
                // Weights that do not sum to 1 are normalised, as Blender and three.js do; none
                // at all leave the vertex where the mesh has it.
                const double sum = joints.empty() || p.joints.empty() ? 0 : WeightSum(p, v, count);
                if (!(sum > 0)) {
                    Transform(world[size_t(instance.node)], local, placed);
                } else {
                    for (size_t k = 0; k < p.joints.size() / count; k++) {
                        const size_t at = (k / 4) * 4 * count + 4 * v + k % 4;  // set k/4, component k%4
                        const double jointIndex = p.joints[at], weight = p.weights[at] / sum;
                        if (weight == 0) continue;
                        if (jointIndex < 0 || jointIndex >= double(joints.size()))
                            return *problem = "a vertex names a joint its skin lacks", std::vector<float>{};
                        double moved[3];
                        Transform(joints[size_t(jointIndex)], local, moved);
                        for (int c = 0; c < 3; c++) placed[c] += weight * moved[c];
                    }
                }
                // Quake's front is glTF's: glTF (x, y, z) is MD2 (z, x, y).
                out.insert(out.end(), {float(placed[2] * scale), float(placed[0] * scale), float(placed[1] * scale)});
            }
        }
    }
    return out;
}

// The poses of `clip` at `time`: rest poses with the clip's channels applied.
std::vector<Pose> PosesAt(const Scene& scene, const Clip* clip, double time) {
    std::vector<Pose> poses = scene.rest;
    if (!clip) return poses;
    for (const Channel& c : clip->channels) {
        Pose& pose = poses[size_t(c.node)];
        const std::vector<double> value = Sample(c, time);
        if (c.path == Channel::kWeights) {
            pose.weights = value;
            continue;
        }
        double* into = c.path == Channel::kTranslation ? pose.translation
                       : c.path == Channel::kRotation  ? pose.rotation
                                                       : pose.scale;
        std::copy(value.begin(), value.begin() + long(std::min<size_t>(value.size(), c.path == Channel::kRotation ? 4 : 3)), into);
        pose.fixed = false;
    }
    return poses;
}

// A file velmorin-cli export made: its one mesh's morph targets are its
// frames, named by extras.targetNames, frame 0 by the mesh.
bool IsOwnExport(const Model& model, const Scene& scene, std::vector<std::string>* names) {
    if (model.asset.generator.rfind("velmorin-cli", 0) != 0 || scene.instances.size() != 1) return false;
    const tinygltf::Node& node = model.nodes[size_t(scene.instances[0].node)];
    const tinygltf::Mesh& mesh = model.meshes[size_t(node.mesh)];
    const tinygltf::Value& targetNames = mesh.extras.Get("targetNames");
    if (mesh.primitives.size() != 1 || !targetNames.IsArray() ||
        targetNames.ArrayLen() != mesh.primitives[0].targets.size())
        return false;
    names->push_back(mesh.name);
    for (size_t t = 0; t < targetNames.ArrayLen(); t++) names->push_back(targetNames.Get(int(t)).Get<std::string>());
    return true;
}

// The frames' positions, taken from the budget before any is made.
bool TakeFrames(const Scene& scene, double frames, std::string* problem) {
    return TakeFromBudget(scene.budget, uint64_t(frames) * scene.vertices * 3 * sizeof(float), problem);
}

// Frames sampled at 10 a second from a clip's first key to its last; in
// double, as an end time can be any finite number.
double FrameCount(const Clip& clip) { return std::ceil((clip.end - clip.start) * kFramesPerSecond - 1e-6) + 1; }

// True when two frames' positions agree within a quantisation step of the first's bounds.
bool SamePose(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size() || a.empty()) return false;
    float low[3], high[3];
    for (int c = 0; c < 3; c++) low[c] = high[c] = a[size_t(c)];
    for (size_t i = 0; i < a.size(); i++)
        low[i % 3] = std::min(low[i % 3], a[i]), high[i % 3] = std::max(high[i % 3], a[i]);
    for (size_t i = 0; i < a.size(); i++)
        if (std::fabs(double(a[i]) - b[i]) > double(high[i % 3] - low[i % 3]) / 255 * 1.0001 + 1e-6) return false;
    return true;
}

// The clips asked for, in the order asked (by the file's name or the name
// imported), or all; with `merge`, all of those played at once as one.
std::string ChooseClips(std::vector<Clip> all, const SceneRequest& request, std::vector<Clip>* chosen) {
    std::vector<std::string> raw;
    for (const Clip& clip : all) raw.push_back(clip.name);
    const std::vector<std::string> bases = AnimationBases(raw);
    for (size_t c = 0; c < all.size(); c++) all[c].name = bases[c];
    if (request.animations.empty()) *chosen = all;
    for (const std::string& wanted : request.animations) {
        size_t c = 0;
        while (c < all.size() && raw[c] != wanted && bases[c] != wanted) c++;
        if (c == all.size()) {
            std::string known;
            for (size_t k = 0; k < all.size(); k++) known += (k ? ", " : "") + bases[k];
            return "no animation \"" + wanted + "\"; the file has: " + (known.empty() ? "none" : known);
        }
        chosen->push_back(all[c]);
    }
    if (request.merge.empty() || chosen->empty()) return "";
    Clip merged;
    merged.name = AnimationBases({request.merge})[0];
    for (const Clip& clip : *chosen) {
        merged.channels.insert(merged.channels.end(), clip.channels.begin(), clip.channels.end());
        merged.start = std::min(merged.start, clip.start), merged.end = std::max(merged.end, clip.end);
    }
    *chosen = {merged};
    return "";
}

std::string ReadFrames(const Model& model, const Scene& scene, const SceneRequest& request, ImportedMesh* mesh) {
    const double scale = request.scale;
    std::string problem;
    std::vector<std::string> ownNames;
    if (IsOwnExport(model, scene, &ownNames)) {
        if (ownNames.size() > size_t(kMd2MaxFrames) || !TakeFrames(scene, double(ownNames.size()), &problem))
            return problem.empty() ? "more frames than the format's limit of " + std::to_string(kMd2MaxFrames) : problem;
        for (size_t f = 0; f < ownNames.size(); f++) {
            std::vector<Pose> poses = scene.rest;
            poses[size_t(scene.instances[0].node)].weights.assign(ownNames.size() - 1, 0);
            if (f) poses[size_t(scene.instances[0].node)].weights[f - 1] = 1;
            mesh->frames.push_back({ownNames[f], Positions(scene, poses, scale, &problem)});
            if (!problem.empty()) return problem;
        }
        return "";
    }
    size_t channels = 0;
    for (const tinygltf::Animation& animation : model.animations) channels += animation.channels.size();
    if (channels > kMostChannels) return "more than " + std::to_string(kMostChannels) + " animation channels";
    std::vector<Clip> all, clips;
    for (const tinygltf::Animation& animation : model.animations) {
        Clip clip;
        if (!ReadClip(model, animation, scene.budget, &clip, &problem)) return problem;
        if (clip.channels.empty()) clip.start = clip.end = 0;
        all.push_back(std::move(clip));
    }
    problem = ChooseClips(std::move(all), request, &clips);
    if (!problem.empty()) return problem;
    double total = 0;
    for (const Clip& clip : clips) total += FrameCount(clip);
    if (total > kMd2MaxFrames)
        return "its animations sample to " + (total < 1e9 ? std::to_string(int64_t(total)) : std::string("more")) +
               " frames, more than the format's limit of " + std::to_string(kMd2MaxFrames) +
               " frames at 10 a second: shorten or drop animations, or choose some with --animation";
    if (!TakeFrames(scene, std::max(total, 1.0), &problem)) return problem;
    if (clips.empty()) {
        mesh->frames.push_back({FrameName("frame", 1), Positions(scene, scene.rest, scale, &problem)});
        return problem;
    }
    for (const Clip& clip : clips) {
        const int count = int(FrameCount(clip));  // within the format's limit: checked above
        const size_t first = mesh->frames.size();
        for (int k = 0; k < count; k++) {
            const double time = std::min(clip.end, clip.start + k / kFramesPerSecond);
            mesh->frames.push_back({FrameName(clip.name, k + 1), Positions(scene, PosesAt(scene, &clip, time), scale, &problem)});
            if (!problem.empty()) return problem;
        }
        // A closed loop ends on its first pose again: played in the game, it would hold that pose twice.
        const bool loop = count >= 3 && SamePose(mesh->frames[first].positions, mesh->frames.back().positions);
        if (loop && !request.keepLoopEnd) mesh->frames.pop_back();
        mesh->animations.push_back({clip.name, int(mesh->frames.size() - first), loop && !request.keepLoopEnd});
    }
    return "";
}

// A material's base colour: factor, transform, and its texture decoded to
// R, G, B (the only images decoded); glTF's default material for -1.
std::string ReadMaterial(const Model& model, int index, GltfLoad* load, ImportedMaterial* out) {
    if (index < 0) return "";
    const tinygltf::PbrMetallicRoughness& pbr = model.materials[size_t(index)].pbrMetallicRoughness;
    for (size_t c = 0; c < 4 && c < pbr.baseColorFactor.size(); c++) out->factor[c] = float(pbr.baseColorFactor[c]);
    const auto transform = pbr.baseColorTexture.extensions.find("KHR_texture_transform");
    if (transform != pbr.baseColorTexture.extensions.end()) {
        const tinygltf::Value& t = transform->second;
        out->transformed = true;
        for (int k = 0; k < 2; k++) {
            if (t.Has("offset") && t.Get("offset").ArrayLen() == 2) out->offset[k] = t.Get("offset").Get(k).GetNumberAsDouble();
            if (t.Has("scale") && t.Get("scale").ArrayLen() == 2) out->scale[k] = t.Get("scale").Get(k).GetNumberAsDouble();
        }
        if (t.Has("rotation")) out->rotation = t.Get("rotation").GetNumberAsDouble();
        for (double v : {out->offset[0], out->offset[1], out->scale[0], out->scale[1], out->rotation})
            if (!std::isfinite(v)) return "a texture transform of a number that is not finite";
    }
    const int texture = pbr.baseColorTexture.index;
    if (texture < 0 || size_t(texture) >= model.textures.size()) return "";
    const int source = model.textures[size_t(texture)].source;
    if (source < 0 || size_t(source) >= model.images.size()) return "";
    if (model.images[size_t(source)].image.empty()) return "";  // not read: a warning said why
    tinygltf::Image image;
    const std::string problem = DecodeImage(model.images[size_t(source)], source, &image, load);
    if (!problem.empty()) return problem;
    const size_t bytes = image.bits == 16 ? 2 : 1, components = size_t(std::max(image.component, 0));
    const size_t pixels = size_t(std::max(image.width, 0)) * size_t(std::max(image.height, 0));
    if (!pixels || components < 1 || components > 4 || image.image.size() < pixels * components * bytes) return "";
    out->width = image.width;
    out->height = image.height;
    out->texture.resize(3 * pixels);
    for (size_t i = 0; i < pixels; i++)
        for (size_t c = 0; c < 3; c++) {
            const size_t from = (i * components + std::min(c, components < 3 ? size_t(0) : c)) * bytes;
            out->texture[3 * i + c] = image.image[from + bytes - 1];  // of a 16-bit sample, the high byte
        }
    return "";
}

// What the file has that an MD2 cannot carry, each named once.
void NameWhatIsNotCarried(const Model& model, ImportedMesh* mesh) {
    std::vector<std::string>& notCarried = mesh->notCarried;
    const auto note = [&notCarried](const std::string& what) {
        if (std::find(notCarried.begin(), notCarried.end(), what) == notCarried.end()) notCarried.push_back(what);
    };
    for (const tinygltf::Material& m : model.materials) {
        if (m.alphaMode != "" && m.alphaMode != "OPAQUE") note("alpha");
        if (m.normalTexture.index >= 0) note("normal maps");
        if (m.occlusionTexture.index >= 0 || m.emissiveTexture.index >= 0 ||
            m.pbrMetallicRoughness.metallicRoughnessTexture.index >= 0)
            note("textures other than the base colour");
    }
    for (const tinygltf::Mesh& m : model.meshes)
        for (const tinygltf::Primitive& p : m.primitives)
            if (p.attributes.count("TEXCOORD_1")) note("second UV sets");
    if (!model.cameras.empty()) note("cameras");
    if (model.extensions.count("KHR_lights_punctual")) note("lights");
}

// The meshes of a loaded file as frames.
std::string SceneToMesh(const Model& model, const SceneRequest& request, GltfLoad* load, ImportedMesh* mesh) {
    Scene scene;
    scene.budget = &load->budget;
    std::string problem;
    if (!ReadScene(model, &scene, &problem)) return problem;
    std::vector<int> used;  // the glTF materials met, in order; -1 for glTF's default
    for (const Instance& instance : scene.instances) {
        size_t first = instance.firstVertex;
        for (const Primitive& p : instance.primitives) {
            const int material = p.material >= 0 && size_t(p.material) < model.materials.size() ? p.material : -1;
            const size_t slot = size_t(std::find(used.begin(), used.end(), material) - used.begin());
            if (slot == used.size()) used.push_back(material);
            for (uint32_t v : p.triangles) mesh->triangles.push_back(uint32_t(first + v));
            mesh->triangleMaterials.insert(mesh->triangleMaterials.end(), p.triangles.size() / 3, int(slot));
            mesh->texCoords.insert(mesh->texCoords.end(), p.texCoords.begin(), p.texCoords.end());
            if (p.colours.empty()) mesh->colours.insert(mesh->colours.end(), p.positions.size(), 1.0f);
            else mesh->colours.insert(mesh->colours.end(), p.colours.begin(), p.colours.end());
            first += p.positions.size() / 3;
        }
    }
    // An MD2 holds at most 4096 triangles, so at most three vertices each
    // (before welding); more are refused before any frame is computed.
    if (mesh->triangles.size() / 3 > size_t(kMd2MaxTriangles))
        return "more triangles than Quake 2's limit of " + std::to_string(kMd2MaxTriangles) + ": " +
               std::to_string(mesh->triangles.size() / 3) + "; use a lower-poly mesh";
    if (scene.vertices > 3 * size_t(kMd2MaxTriangles))
        return "more vertices than " + std::to_string(kMd2MaxTriangles) + " triangles can use: " +
               std::to_string(scene.vertices) + "; use a lower-poly mesh";
    mesh->warnings.insert(mesh->warnings.end(), scene.warnings.begin(), scene.warnings.end());
    if (scene.unnormalised)
        mesh->warnings.push_back("the skin weights of " + std::to_string(scene.unnormalised) +
                                 " vertices do not sum to 1: normalised (none at all: the bind pose)");
    if (mesh->triangles.empty()) return "no triangles: points and lines are left out, and only triangles make an MD2";
    NameWhatIsNotCarried(model, mesh);
    problem = ReadFrames(model, scene, request, mesh);
    for (int material : used) {
        if (!problem.empty()) break;
        mesh->materials.emplace_back();
        problem = ReadMaterial(model, material, load, &mesh->materials.back());
    }
    return problem.empty() ? BakeSkin(mesh) : problem;
}

// The file's bytes as frames, the files it names read from `folder`.
std::string BytesToMesh(const unsigned char* bytes, size_t size, const GltfFolder& folder, const SceneRequest& request,
                        ImportedMesh* mesh) {
    Model model;
    GltfLoad load;
    std::string problem = LoadGltf(bytes, size, folder, &model, &load);
    if (problem.empty()) problem = SceneToMesh(model, request, &load, mesh);
    mesh->warnings.insert(mesh->warnings.begin(), load.warnings.begin(), load.warnings.end());
    mesh->filesRead = load.filesRead;
    return problem;
}

}  // namespace

std::string ReadGltfScene(const std::string& path, const SceneRequest& request, ImportedMesh* mesh) {
    std::vector<unsigned char> bytes;
    const std::string problem = ReadInputFile(path, kLargestGltfFile, &bytes);
    if (!problem.empty()) return "cannot read it: " + problem;
    GltfFolder folder;
    folder.path = std::filesystem::u8path(path).parent_path().u8string();
    return BytesToMesh(bytes.data(), bytes.size(), folder, request, mesh);
}

std::string ReadGltfSceneFromMemory(const unsigned char* bytes, size_t size,
                                    const std::map<std::string, std::vector<unsigned char>>& files,
                                    const SceneRequest& request, ImportedMesh* mesh) {
    GltfFolder folder;
    folder.memory = &files;
    return BytesToMesh(bytes, size, folder, request, mesh);
}
