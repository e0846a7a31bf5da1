// The game's adapter to the framework: window mode, boot, per-frame hook and
// shut-down of the game.
#pragma once
#include <memory>

#include "kernel/rk_game_adapter.h"

class QV21GameAdapter : public rk::IGameAdapter {
 public:
  QV21GameAdapter();
  ~QV21GameAdapter() override;
  QV21GameAdapter(const QV21GameAdapter&) = delete;
  QV21GameAdapter& operator=(const QV21GameAdapter&) = delete;

  const unsigned char* getId() override;
  void configure() override;
  void boot() override;
  int update(float dt) override { return 0; }
  void shutdown() override;

 private:
  struct Packs;
  void releasePacks();

  // The script pack and the texture pack, loaded at boot and deleted at shut-down.
  std::unique_ptr<Packs> packs_;
};
