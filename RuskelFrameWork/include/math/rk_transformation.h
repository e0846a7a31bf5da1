// Position, rotation and scale of a placed object, with the composed world
// matrix cached and rebuilt only after a component changed.
#pragma once
#include <cstdint>

#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace rk::math {

// Euler triples are (pitch, yaw, roll, w); functions taking three angles take
// (yaw, pitch, roll). Every setter except setMatrix invalidates the cached
// matrix; call buildMatrix before getMatrix whenever a setter may have run.
class Transformation {
 public:
  Transformation();
  virtual ~Transformation() = default;

  // Back to no translation, unit scale, no centres and no rotation, then build.
  virtual void resetTransform();

  virtual const Vector4& getPos() const;
  virtual void setPos(const Vector4& v);
  virtual const Vector4& getScaleCenter() const;
  virtual void setScaleCenter(const Vector4& v);
  virtual const Vector4& getScaleYawPitchRoll() const;
  virtual void setScaleYawPitchRoll(float yaw, float pitch, float roll);
  virtual void setScaleYawPitchRollVec(const Vector4& v);
  virtual void setScaleQuat(const Vector4& q);
  virtual const Vector4& getScaleQuat() const;
  virtual const Vector4& getScale() const;
  virtual void setScale(const Vector4& v);
  virtual const Vector4& getYawPitchRoll() const;
  virtual void setYawPitchRollVec(const Vector4& v);
  virtual void setYawPitchRoll(float yaw, float pitch, float roll);
  virtual const Vector4& getRotCenter() const;
  virtual void setRotCenter(const Vector4& v);
  virtual const Vector4& getRotQuat() const;
  virtual void setRotQuat(const Vector4& q);
  virtual void buildMatrix();
  // The cached matrix as it stands; does not rebuild.
  virtual const Matrix& getMatrix() const;
  // Takes over a finished matrix: its decomposed parts go through setScale,
  // setRotQuat and setPos, and the matrix itself is kept bit for bit.
  virtual void setMatrix(const Matrix& m);

  bool isMatrixValid() const { return matrixValid_ != 0; }

 protected:
  std::uint8_t useTranslation_ = 1;
  std::uint8_t useScaleCenter_ = 1;
  std::uint8_t scaleRotFromAngles_ = 1;
  std::uint8_t useScaling_ = 1;
  std::uint8_t useRotCenter_ = 1;
  std::uint8_t rotFromAngles_ = 1;
  Vector4 pos_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 scaleCenter_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 scaleAngles_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 scaleQuat_{0.0f, 0.0f, 0.0f, 1.0f};
  Vector4 scale_{1.0f, 1.0f, 1.0f, 0.0f};
  Vector4 rotCenter_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 rotAngles_{0.0f, 0.0f, 0.0f, 0.0f};
  Vector4 rotQuat_{0.0f, 0.0f, 0.0f, 1.0f};
  std::uint8_t matrixValid_ = 0;
  Matrix matrix_;
};

}  // namespace rk::math
