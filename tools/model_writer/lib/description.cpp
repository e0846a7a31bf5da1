// The model description: a short text that names textures, materials, shapes,
// the node tree and the animation keys of a model file.
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>

#include "model_writer/lib/model_file.h"

namespace modelfile {

namespace {

bool readFloats(std::istream& in, float* out, int count) {
  for (int i = 0; i < count; ++i)
    if (!(in >> out[i])) return false;
  return true;
}

void axisAngle(const float a[4], float q[4]) {
  const float length = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  const float half = a[3] * 3.14159265f / 360.0f;
  const float s = length > 0 ? std::sin(half) / length : 0.0f;
  q[0] = a[0] * s, q[1] = a[1] * s, q[2] = a[2] * s, q[3] = length > 0 ? std::cos(half) : 1.0f;
}

ModelFileNode* findNode(ModelFileNode& n, const std::string& name) {
  if (n.name == name) return &n;
  for (ModelFileNode& c : n.children)
    if (ModelFileNode* found = findNode(c, name)) return found;
  return nullptr;
}

ModelFileTrack& trackOf(ModelFileTake& take, const std::string& node) {
  for (ModelFileTrack& t : take.tracks)
    if (t.node == node) return t;
  take.tracks.push_back({});
  take.tracks.back().node = node;
  return take.tracks.back();
}

// One statement; false with a message on anything it cannot read.
bool statement(const std::string& word, std::istringstream& in, ModelFile& model, std::vector<TextureSource>& textures,
               bool& haveRoot, std::string& error) {
  if (word == "texture") {
    TextureSource t;
    if (!(in >> t.listed >> t.width >> t.height)) return error = "texture <name> <width> <height> <pattern>", false;
    std::getline(in, t.pattern);
    const std::size_t dot = t.listed.rfind('.');
    t.stored = (dot == std::string::npos ? t.listed : t.listed.substr(0, dot)) + ".dds";
    model.textures.push_back(t.listed);
    textures.push_back(t);
    return true;
  }
  if (word == "material") {
    ModelFileMaterial m;
    if (!readFloats(in, m.diffuse, 4)) return error = "material <r g b a>", false;
    std::string option;
    while (in >> option) {
      if (option == "specular" && readFloats(in, m.specular, 4)) continue;
      if (option == "texture" && (in >> m.textures[0]) && m.textures[0] >= 0 &&
          std::size_t(m.textures[0]) < model.textures.size())
        continue;
      return error = "bad material option " + option, false;
    }
    model.materials.push_back(m);
    return true;
  }
  if (word == "box" || word == "sphere" || word == "ship") {
    std::uint32_t material = 0;
    float f[3] = {0, 0, 0};
    int counts[2] = {0, 0};
    bool ok = static_cast<bool>(in >> material) && material < model.materials.size();
    if (word == "box") ok = ok && readFloats(in, f, 3);
    if (word == "sphere") ok = ok && (in >> f[0] >> counts[0] >> counts[1]);
    if (word == "ship") ok = ok && (in >> f[0]);
    if (!ok) return error = "bad " + word + " (material index, sizes)", false;
    float at[3] = {0, 0, 0};
    std::string option;
    if (in >> option) {
      if (option != "at" || !readFloats(in, at, 3)) return error = "bad " + word + " option " + option, false;
    }
    if (word == "box") model.meshes.push_back(box(material, f[0], f[1], f[2], at));
    if (word == "sphere") model.meshes.push_back(sphere(material, f[0], counts[0], counts[1], at));
    if (word == "ship") model.meshes.push_back(ship(material, f[0]));
    return true;
  }
  if (word == "node") {
    ModelFileNode n;
    std::string parent;
    if (!(in >> n.name)) return error = "node <name>", false;
    std::string option;
    while (in >> option) {
      if (option == "parent" && (in >> parent)) continue;
      if (option == "translate" && readFloats(in, n.translation, 3)) continue;
      if (option == "scale" && readFloats(in, n.scale, 3)) continue;
      float a[4];
      if (option == "rotate" && readFloats(in, a, 4)) {
        axisAngle(a, n.rotation);
        continue;
      }
      if (option == "mesh") {
        // One or more indices, up to the next option word.
        bool any = false, ok = true;
        while (ok && (in >> std::ws) && std::isdigit(in.peek())) {
          std::uint32_t index = 0;
          ok = (in >> index) && index < model.meshes.size();
          if (ok) n.meshes.push_back(index), any = true;
        }
        if (any && ok) continue;
      }
      return error = "bad node option " + option, false;
    }
    if (!haveRoot) {
      if (!parent.empty()) return error = "the first node is the root and has no parent", false;
      model.root = n;
      haveRoot = true;
      return true;
    }
    ModelFileNode* p = findNode(model.root, parent.empty() ? model.root.name : parent);
    if (!p) return error = "no node named " + parent, false;
    p->children.push_back(n);
    return true;
  }
  if (word == "take") {
    ModelFileTake t;
    if (!(in >> t.name >> t.rate) || !(t.rate > 0)) return error = "take <name> <keys per second>", false;
    model.takes.push_back(t);
    return true;
  }
  if (word == "scale" || word == "pos" || word == "quat") {
    std::string take, node;
    float frame = 0, v[4] = {0, 0, 0, 0};
    if (!(in >> take >> node >> frame) || !readFloats(in, v, word == "quat" ? 4 : 3))
      return error = word + " <take> <node> <frame> <values>", false;
    ModelFileTake* t = nullptr;
    for (ModelFileTake& candidate : model.takes)
      if (candidate.name == take) t = &candidate;
    if (!t) return error = "no take named " + take, false;
    ModelFileTrack& track = trackOf(*t, node);
    if (word == "quat") {
      float q[4];
      axisAngle(v, q);
      track.quat.push_back({q[0], q[1], q[2], q[3], frame});
    } else {
      (word == "scale" ? track.scale : track.pos).push_back({v[0], v[1], v[2], frame});
    }
    return true;
  }
  return error = "unknown statement " + word, false;
}

}  // namespace

bool parseDescription(const std::string& text, ModelFile& model, std::vector<TextureSource>& textures,
                      std::string& error) {
  std::istringstream lines(text);
  std::string line;
  bool haveRoot = false;
  for (int number = 1; std::getline(lines, line); ++number) {
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream in(line);
    std::string word;
    if (!(in >> word)) continue;
    std::string message;
    if (!statement(word, in, model, textures, haveRoot, message)) {
      error = "line " + std::to_string(number) + ": " + message;
      return false;
    }
  }
  if (!haveRoot) {
    error = "no node";
    return false;
  }
  return true;
}

}  // namespace modelfile
