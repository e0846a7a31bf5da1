// The texture cache: one texture per stored file name, found by the name's
// resource key and then by its exact text. Singleton slot 20.
#pragma once
#include <memory>
#include <string>

namespace rk::gfx {

class RkTexture;

class RkTextureManager {
 public:
  static RkTextureManager* createInstance();
  static RkTextureManager* getInstance();
  static void destroyInstance();

  RkTextureManager();
  // Releases the textures it made itself (createTexture) even when others still
  // hold them; the shut-down order has released every other holder before.
  ~RkTextureManager();

  // The texture of a requested file name, loading it on first use; one
  // reference for the caller. A file that cannot be opened is reported once and
  // gives a texture that never gets a view.
  RkTexture* loadTexture(const std::string& requested);
  // An empty texture under `name` (or the cached one); one reference for the caller.
  RkTexture* createTexture(const std::string& name);
  // The texture registered under `name` (a script's texture filled in memory);
  // made empty, without a file request, on first use. One reference for the caller.
  RkTexture* loadTextureFromMemory(const std::string& name) { return createTexture(name); }
  // The texture of a stored name, or null; no reference added.
  RkTexture* find(const std::string& name) const;
  // Forgets a texture (its last release); an unknown texture is reported.
  void removeRkTexture(RkTexture* texture);
  std::size_t count() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::gfx
