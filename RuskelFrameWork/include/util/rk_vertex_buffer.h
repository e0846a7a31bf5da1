// A growable list of vertices with a current vertex that the next push copies.
#pragma once
#include <vector>

namespace rk::util {

// Position and colour, seven floats.
struct VertexColor {
  float x, y, z;
  float r, g, b, a;
};

template <class Vertex>
class VertexBuffer {
 public:
  explicit VertexBuffer(const Vertex& initial) : current_(initial) {}
  virtual ~VertexBuffer() = default;

  std::vector<Vertex>& vertices() { return vertices_; }
  const std::vector<Vertex>& vertices() const { return vertices_; }
  Vertex& current() { return current_; }

 private:
  std::vector<Vertex> vertices_;
  Vertex current_;
};

}  // namespace rk::util
