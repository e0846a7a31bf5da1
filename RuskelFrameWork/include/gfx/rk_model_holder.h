// Objects that keep a plain pointer to a model (game bodies that follow a
// model's frame, for example) register here; a model that is destroyed is
// then forgotten by each of them, so none reads a deleted model.
#pragma once

namespace rk::gfx {

class GModel;

class IModelHolder {
 public:
  virtual ~IModelHolder() = default;
  virtual void forgetModel(const GModel* model) = 0;
};

void registerModelHolder(IModelHolder* holder);
void unregisterModelHolder(IModelHolder* holder);
// Tells every registered holder that the model is going.
void forgetModelEverywhere(const GModel* model);

}  // namespace rk::gfx

namespace rk::gfx {

// The same for parts of gfx-model drawing commands that game objects drive by
// plain pointer: a billboard chip or a command that is deleted is forgotten
// by every holder (known by its address).
class IGfxPartHolder {
 public:
  virtual ~IGfxPartHolder() = default;
  virtual void forgetGfxPart(const void* part) = 0;
};

void registerGfxPartHolder(IGfxPartHolder* holder);
void unregisterGfxPartHolder(IGfxPartHolder* holder);
void forgetGfxPartEverywhere(const void* part);

}  // namespace rk::gfx
