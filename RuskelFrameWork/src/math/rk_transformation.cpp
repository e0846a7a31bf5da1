#include "math/rk_transformation.h"

#include "math/rk_quaternion.h"
#include "rk_xmath_bridge.h"

namespace rk::math {

namespace {

// Quaternion of a stored (pitch, yaw, roll, w) triple.
Vector4 quaternionOfAngles(const Vector4& angles) { return quaternionFromYawPitchRoll(angles.y, angles.x, angles.z); }

}  // namespace

Transformation::Transformation() : matrix_(matrixIdentity()) { Transformation::buildMatrix(); }

void Transformation::resetTransform() {
  const Vector4 zero{0.0f, 0.0f, 0.0f, 0.0f};
  setPos(zero);
  setScale({1.0f, 1.0f, 1.0f, 0.0f});
  setScaleCenter(zero);
  setScaleYawPitchRollVec(zero);
  setRotCenter(zero);
  setYawPitchRollVec(zero);
  buildMatrix();
}

const Vector4& Transformation::getPos() const { return pos_; }

void Transformation::setPos(const Vector4& v) {
  pos_ = v;
  matrixValid_ = 0;
}

const Vector4& Transformation::getScaleCenter() const { return scaleCenter_; }

void Transformation::setScaleCenter(const Vector4& v) {
  scaleCenter_ = v;
  matrixValid_ = 0;
}

const Vector4& Transformation::getScaleYawPitchRoll() const { return scaleAngles_; }

void Transformation::setScaleYawPitchRoll(float yaw, float pitch, float roll) {
  scaleAngles_.x = pitch;
  scaleAngles_.y = yaw;
  scaleAngles_.z = roll;
  scaleQuat_ = quaternionOfAngles(scaleAngles_);
  scaleRotFromAngles_ = 1;
  matrixValid_ = 0;
}

void Transformation::setScaleYawPitchRollVec(const Vector4& v) {
  scaleAngles_ = v;
  setScaleYawPitchRoll(v.y, v.x, v.z);
}

void Transformation::setScaleQuat(const Vector4& q) {
  scaleQuat_ = q;
  scaleAngles_ = matrixToYawPitchRoll(matrixFromQuaternion(q));
  scaleRotFromAngles_ = 0;
  matrixValid_ = 0;
}

const Vector4& Transformation::getScaleQuat() const { return scaleQuat_; }

const Vector4& Transformation::getScale() const { return scale_; }

void Transformation::setScale(const Vector4& v) {
  scale_ = v;
  matrixValid_ = 0;
}

const Vector4& Transformation::getYawPitchRoll() const { return rotAngles_; }

void Transformation::setYawPitchRollVec(const Vector4& v) {
  rotAngles_ = v;
  rotQuat_ = quaternionOfAngles(rotAngles_);
  rotFromAngles_ = 1;
  matrixValid_ = 0;
}

void Transformation::setYawPitchRoll(float yaw, float pitch, float roll) {
  Vector4 angles = rotAngles_;  // w kept
  angles.x = pitch;
  angles.y = yaw;
  angles.z = roll;
  setYawPitchRollVec(angles);
}

const Vector4& Transformation::getRotCenter() const { return rotCenter_; }

void Transformation::setRotCenter(const Vector4& v) {
  rotCenter_ = v;
  matrixValid_ = 0;
}

const Vector4& Transformation::getRotQuat() const { return rotQuat_; }

void Transformation::setRotQuat(const Vector4& q) {
  rotQuat_ = q;
  rotAngles_ = matrixToYawPitchRoll(matrixFromQuaternion(q));
  rotFromAngles_ = 0;
  matrixValid_ = 0;
}

void Transformation::buildMatrix() {
  if (matrixValid_) return;
  using bridge::toX;
  const Vector4 none{0.0f, 0.0f, 0.0f, 0.0f};
  const Vector4 unit{1.0f, 1.0f, 1.0f, 0.0f};
  const Vector4 scaleOrientation = scaleRotFromAngles_ ? quaternionOfAngles(scaleAngles_) : scaleQuat_;
  const Vector4 rotation = rotFromAngles_ ? quaternionOfAngles(rotAngles_) : rotQuat_;
  matrix_ = bridge::fromX(host::xmath::matrixTransformation(
      toX(useScaleCenter_ ? scaleCenter_ : none), toX(scaleOrientation), toX(useScaling_ ? scale_ : unit),
      toX(useRotCenter_ ? rotCenter_ : none), toX(rotation), toX(useTranslation_ ? pos_ : none)));
  matrixValid_ = 1;
}

const Matrix& Transformation::getMatrix() const { return matrix_; }

void Transformation::setMatrix(const Matrix& m) {
  host::xmath::Vector scale{0.0f, 0.0f, 0.0f, 0.0f};
  host::xmath::Vector rotation{0.0f, 0.0f, 0.0f, 1.0f};
  host::xmath::Vector translation{0.0f, 0.0f, 0.0f, 0.0f};
  host::xmath::matrixDecompose(&scale, &rotation, &translation, bridge::toX(m));  // shear cannot be kept: ignored
  setScale(bridge::fromX(scale));
  setRotQuat(bridge::fromX(rotation));
  setPos(bridge::fromX(translation));
  matrix_ = m;
  matrixValid_ = 1;
}

}  // namespace rk::math
