// Named numbers, texts and flags shared between scripts and native code, and
// the fixed-frame switch the run loop reads every frame.
#pragma once
#include <memory>
#include <string>

namespace rk {

class GlobalVariable {
 public:
  static GlobalVariable* createInstance();
  static GlobalVariable* getInstance();
  // Does nothing (and reports nothing) when no store exists.
  static void destroyInstance();

  GlobalVariable();
  ~GlobalVariable();

  // Numbers are kept in single precision.
  void setNumber(const std::string& name, float value);
  float getNumber(const std::string& name) const;  // 0 when absent
  void setString(const std::string& name, const std::string& value);
  const std::string* findString(const std::string& name) const;  // null when absent
  void setBoolean(const std::string& name, bool value);
  bool getBoolean(const std::string& name) const;  // false when absent

  bool isFixFrame() const;
  void setFixFrame(bool fix);
  bool isVisibleCollision() const;
  void setVisibleCollision(bool visible);
  int debugCollisionCameraNo() const;
  void setDebugCollisionCameraNo(int cameraNo);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk
