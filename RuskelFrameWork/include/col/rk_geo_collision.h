// Static level geometry for collision: a triangle mesh read from a ".geo"
// asset (stored compressed as ".gea") and indexed by a search strategy.
// Scripts drive three steps: load (ask the file manager for the bytes),
// initialize (once they have arrived: parse the triangles, build the index),
// then use (groups and queries ask the strategy for triangles near a box).
//
// The bytes, little-endian: u16 header size (16), u16 triangle count, 4 unused
// bytes, u32 offset of the vertex array (16 bytes per vertex: x, y, z, w
// floats), u32 offset of the index array (three u16 vertex indices per
// triangle). Offsets count from the start of the data.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "col/rk_collision_triangle.h"
#include "col/rk_triangle_search.h"

namespace rk::collision {

class GeoCollision {
 public:
  // Takes ownership of the strategy.
  explicit GeoCollision(ITriangleSearchStrategy* strategy);
  ~GeoCollision();
  GeoCollision(const GeoCollision&) = delete;
  GeoCollision& operator=(const GeoCollision&) = delete;

  // Asks the file manager for the asset; the new resource replaces the one held.
  // Throws HrException when the file does not exist.
  void load(const std::string& name);
  // A resource is held and its bytes are present.
  bool isLoaded() const;
  // Parses the triangles and builds the index, once. Without loaded data it
  // reports and does nothing. A header size other than 16 throws HrException;
  // a file whose counts or offsets reach past its end is reported and leaves
  // the mesh ready without triangles.
  void initialize();
  bool isReady() const;

  ITriangleSearchStrategy* getSearchStrategy() const;
  const std::vector<Triangle>& getTriangles() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::collision
