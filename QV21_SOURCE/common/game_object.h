// The root class of the game's objects.
#pragma once

class GameObject {
 public:
  virtual ~GameObject() = default;
};
