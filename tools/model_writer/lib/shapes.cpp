// Meshes for sample models and fixtures. Normals point out of the shape; every
// triangle is written with cross(p1 - p0, p2 - p0) pointing into it, which is
// counter-clockwise on screen seen from outside: the model pipelines cull
// clockwise (front) faces and keep these.
#include <cmath>

#include "model_writer/lib/model_file.h"

namespace modelfile {

namespace {

struct V3 {
  float x, y, z;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 normalize(V3 a) {
  const float l = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  return l > 0 ? a * (1.0f / l) : a;
}

V3 origin(const float at[3]) { return at ? V3{at[0], at[1], at[2]} : V3{0, 0, 0}; }

std::uint32_t vertex(ModelFileMesh& m, V3 p, V3 n, float u, float v, V3 t) {
  const float f[11] = {p.x, p.y, p.z, n.x, n.y, n.z, u, v, t.x, t.y, t.z};
  m.vertices.insert(m.vertices.end(), f, f + 11);
  return std::uint32_t(m.vertices.size() / 11 - 1);
}

// A flat triangle facing where cross(b - a, c - a) points.
void triangle(ModelFileMesh& m, V3 a, V3 b, V3 c) {
  const V3 n = normalize(cross(b - a, c - a));
  const V3 t = normalize(b - a);
  const std::uint32_t i = vertex(m, a, n, 0, 1, t);
  vertex(m, b, n, 1, 1, t);
  vertex(m, c, n, 0.5f, 0, t);
  m.indices.insert(m.indices.end(), {i, i + 2, i + 1});
}

}  // namespace

ModelFileMesh box(std::uint32_t material, float sx, float sy, float sz, const float at[3]) {
  ModelFileMesh m;
  m.material = material;
  const V3 c = origin(at);
  const V3 half{sx / 2, sy / 2, sz / 2};
  // Each face: its outward normal and two axes with u x v = normal.
  const V3 faces[6][3] = {
      {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
      {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
      {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},   {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
  };
  for (const auto& f : faces) {
    const V3 n = f[0], u = f[1], v = f[2];
    auto scaled = [&](V3 d) { return V3{d.x * half.x, d.y * half.y, d.z * half.z}; };
    const V3 centre = c + scaled(n);
    const std::uint32_t i = vertex(m, centre - scaled(u) - scaled(v), n, 0, 1, u);
    vertex(m, centre + scaled(u) - scaled(v), n, 1, 1, u);
    vertex(m, centre + scaled(u) + scaled(v), n, 1, 0, u);
    vertex(m, centre - scaled(u) + scaled(v), n, 0, 0, u);
    m.indices.insert(m.indices.end(), {i, i + 2, i + 1, i, i + 3, i + 2});
  }
  m.computeBox();
  return m;
}

ModelFileMesh sphere(std::uint32_t material, float radius, int slices, int stacks, const float at[3]) {
  ModelFileMesh m;
  m.material = material;
  slices = slices < 3 ? 3 : slices;
  stacks = stacks < 2 ? 2 : stacks;
  const V3 c = origin(at);
  const float pi = 3.14159265f;
  for (int j = 0; j <= stacks; ++j) {
    const float theta = pi * float(j) / float(stacks);  // from +y down to -y
    for (int i = 0; i <= slices; ++i) {
      const float phi = 2 * pi * float(i) / float(slices);
      const V3 n{std::sin(theta) * std::sin(phi), std::cos(theta), std::sin(theta) * std::cos(phi)};
      const V3 t{std::cos(phi), 0, -std::sin(phi)};
      vertex(m, c + n * radius, n, float(i) / float(slices), float(j) / float(stacks), t);
    }
  }
  const std::uint32_t row = std::uint32_t(slices + 1);
  for (int j = 0; j < stacks; ++j)
    for (int i = 0; i < slices; ++i) {
      const std::uint32_t a = std::uint32_t(j) * row + std::uint32_t(i), b = a + 1, d = a + row, e = d + 1;
      // a-d-e-b runs round the outward normal; the triangles take the other way.
      m.indices.insert(m.indices.end(), {a, e, d, a, b, e});
    }
  m.computeBox();
  return m;
}

ModelFileMesh ship(std::uint32_t material, float length) {
  ModelFileMesh m;
  m.material = material;
  const float l = length / 2, w = length / 6, h = length / 10;
  const V3 nose{0, 0, l}, tl{-w, 0, -l}, tr{w, 0, -l}, top{0, h, -l * 0.6f}, bottom{0, -h, -l * 0.6f};
  // Hull: a pointed double pyramid.
  triangle(m, nose, top, tl);
  triangle(m, nose, tr, top);
  triangle(m, nose, tl, bottom);
  triangle(m, nose, bottom, tr);
  triangle(m, tl, top, tr);
  triangle(m, tl, tr, bottom);
  // Wings: thin slabs out to both sides.
  const float span = length * 0.45f;
  for (float side : {-1.0f, 1.0f}) {
    const V3 root_front{side * w * 0.5f, 0, 0}, root_back{side * w, 0, -l * 0.8f}, tip{side * span, 0, -l};
    const V3 up{0, h * 0.2f, 0};
    if (side > 0) {
      triangle(m, root_front + up, tip + up, root_back + up);
      triangle(m, root_front - up, root_back - up, tip - up);
    } else {
      triangle(m, root_front + up, root_back + up, tip + up);
      triangle(m, root_front - up, tip - up, root_back - up);
    }
  }
  m.computeBox();
  return m;
}

}  // namespace modelfile
