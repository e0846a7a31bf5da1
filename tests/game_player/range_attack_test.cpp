// The range attack: it binds its first update to the requested enemy, then
// takes the nearest in the scope's cone, drains the target, refills the
// player's hit points, and on a kill queues the explosion and adds a combo.
#include <gtest/gtest.h>

#include <cmath>

#include "game_player/range_fixture.h"
#include "math/rk_counter.h"
#include "status/status_unit.h"

namespace {

class Attack : public playertest::RangeWorld {
 protected:
  Attack() {
    EXPECT_EQ(run("unit = createGameStatusUnit() s = createRangeScope(10) a = createRangeAttack(99) "
                  "a:setRangeScope(s) p = createPlayerActor() p:setHpMax(1) p:setHp(0.9) a:setPlayer(p)"),
              "");
    combo_ = std::make_unique<status::ComboGauge>(nullptr, 20);
    status::StatusUnit::getInstance()->record().combo_gauge_ = combo_.get();
  }
  ~Attack() override {
    if (status::StatusUnit* unit = status::StatusUnit::findInstance()) unit->record().combo_gauge_ = nullptr;
  }
  // Kills in the open chain.
  std::uint32_t kills() { return chain().entries_.empty() ? 0 : chain().entries_.back().count; }
  status::ComboChain& chain() { return combo_->chain(); }
  // One update, as the task manager runs it while the attack is active.
  void tick(float dt) {
    PlayerRangeAttack* at = attack("a");
    if (at->Task::isActive()) at->onFrameUpdate(dt);
  }
  float hp(const char* global) { return enemy(global)->status().hp_; }

  std::unique_ptr<status::ComboGauge> combo_;
};

TEST_F(Attack, ACreatedAttackIsAnIdleTaskOfPriority64) {
  PlayerRangeAttack* at = attack("a");
  EXPECT_EQ(at->priority(), 64);
  EXPECT_EQ(at->name(), "PlayerRangeAttack");
  EXPECT_FALSE(at->Task::isActive());
  EXPECT_EQ(run("return a:isModeAttack()"), "false");
  EXPECT_EQ(at->record().damage_per_second, 1.0f);
  EXPECT_EQ(at->record().sound_player, -1);
  EXPECT_TRUE(rk::gfx::ModelManager::getInstance()->contains(at));
}

TEST_F(Attack, TheFirstUpdateIsBoundToTheRequestedEnemyThenTheNearestIsTaken) {
  enemyAt("near", 0, 0.0f, 6.0f);
  enemyAt("far", 0, 1.0f, 15.0f);
  ASSERT_EQ(run("a:modeAttack(far) return a:isModeAttack()"), "true");
  // A chain running low: a surviving target keeps it alive.
  chain().addCombo();
  chain().timer_ = 0.5f;
  tick(0.1f);
  EXPECT_LT(hp("far"), 1.0f) << "the requested enemy, though another is nearer";
  EXPECT_EQ(hp("near"), 1.0f);
  EXPECT_GE(chain().timer_, 0.5f * chain().combo_sec_) << "kept alive";
  chain().timer_ = 0.5f;
  tick(0.1f);
  EXPECT_LT(hp("near"), 1.0f) << "then the nearest in the cone";
  EXPECT_NEAR(hp("far"), 0.9f, 1e-5f);
  EXPECT_GE(chain().timer_, 0.5f * chain().combo_sec_);
  EXPECT_EQ(kills(), 1u) << "no kill yet";
  EXPECT_TRUE(enemy("near")->state().flush_counter_->isActive()) << "the target flashes";

  // A requested enemy outside the cone: nothing is hit and the attack pauses.
  enemyAt("aside", 0, 10.0f, 0.5f);
  ASSERT_EQ(run("a:modeAttack(aside)"), "");
  const float before = hp("near");
  tick(0.1f);
  EXPECT_EQ(hp("aside"), 1.0f);
  EXPECT_EQ(hp("near"), before);
  EXPECT_EQ(run("return a:isModeAttack()"), "false");
  EXPECT_FALSE(attack("a")->Task::isActive());
}

TEST_F(Attack, DrainsTheTargetAndRefillsThePlayerUpToItsMaximum) {
  enemyAt("e", 0, 0.0f, 10.0f);
  ASSERT_EQ(run("a:setDamageOneSec(0.2) a:modeAttack(nil)"), "");
  tick(0.5f);
  EXPECT_NEAR(hp("e"), 0.9f, 1e-6f);
  EXPECT_NEAR(player("p")->status().hp_, 0.975f, 1e-6f);
  tick(0.5f);
  EXPECT_EQ(player("p")->status().hp_, 1.0f) << "stops exactly at the maximum";
  EXPECT_EQ(kills(), 0u);
}

TEST_F(Attack, AKillQueuesOneExplosionInvalidatesTheBodyAndAddsACombo) {
  enemyAt("e", 0, 2.0f, 10.0f);
  enemyAt("next", 0, 0.0f, 14.0f);
  ASSERT_EQ(run("e_body:setRadius(2) a:setDamageOneSec(2) a:modeAttack(e)"), "");
  tick(0.5f);
  EXPECT_EQ(hp("e"), 0.0f) << "exactly zero: dead";
  EXPECT_TRUE(enemy("e")->isDead());
  EnemyRigidBody* body = enemy("e")->rootBody();
  ASSERT_EQ(body->record().dead_infos_.size(), 1u);
  const EnemyRigidBody::DeadInfo& info = body->record().dead_infos_[0];
  EXPECT_FLOAT_EQ(info.matrix.m[3][0], 2.0f) << "at the centre of the target's shape";
  EXPECT_FLOAT_EQ(info.matrix.m[3][2], 10.0f);
  EXPECT_EQ(info.matrix.m[0][0], 1.0f);
  EXPECT_EQ(info.scale, body->explosionScale());
  EXPECT_EQ(info.camera_no, 2);
  EXPECT_EQ(info.effect_no, 4);
  EXPECT_FALSE(body->rigidBody().isValid());
  EXPECT_FALSE(enemy("e")->state().flush_counter_->isActive());
  EXPECT_EQ(kills(), 1u);
  EXPECT_EQ(chain().timer_, chain().combo_sec_) << "the chain timer restarts";

  // Without a beam sound (none is loaded here) the attack stays on and takes
  // the next target in the next update; hit points never go below zero.
  EXPECT_EQ(run("return a:isModeAttack()"), "true");
  tick(0.5f);
  EXPECT_EQ(hp("e"), 0.0f);
  EXPECT_EQ(hp("next"), 0.0f);
  EXPECT_EQ(kills(), 2u);
}

TEST_F(Attack, TheBeamBendsFromTheScopeToTheTargetInElevenPoints) {
  enemyAt("e", 0, 3.0f, 10.0f);
  ASSERT_EQ(run("a:modeAttack(nil)"), "");
  tick(0.1f);
  const std::vector<rk::math::Vector4>& beam = attack("a")->record().beam;
  ASSERT_EQ(beam.size(), 11u);
  EXPECT_EQ(beam.front().x, 0.0f) << "the first point never moves";
  EXPECT_EQ(beam.front().z, 0.0f);
  EXPECT_NEAR(beam.back().x, 3.0f, 1e-5f) << "the last point is the target's centre";
  EXPECT_NEAR(beam.back().z, 10.0f, 1e-5f);
  const std::vector<rk::math::Vector4> first = beam;
  tick(0.1f);
  bool moved = false;
  for (std::size_t i = 1; i + 1 < beam.size(); ++i) {
    moved |= beam[i].x != first[i].x;
    EXPECT_EQ(beam[i].y, 0.0f) << "the jitter is sideways in the ground plane";
  }
  EXPECT_TRUE(moved) << "the jitter is drawn afresh every update";
}

TEST_F(Attack, ReleaseAndTheScopesEndStopTheAttackQuietly) {
  enemyAt("e", 0, 0.0f, 10.0f);
  ASSERT_EQ(run("a:modeAttack(e)"), "");
  EXPECT_TRUE(attack("a")->Task::isActive());
  ASSERT_EQ(run("a:modeRelease() return a:isModeAttack()"), "false");
  EXPECT_FALSE(attack("a")->Task::isActive());

  // The scope is collected while the attack still points to it.
  ASSERT_EQ(run("a:modeAttack(e) s = nil"), "");
  collect();
  EXPECT_EQ(attack("a")->record().scope, nullptr);
  tick(0.1f);
  EXPECT_EQ(hp("e"), 1.0f);

  // A requested enemy that went away meanwhile is no target.
  ASSERT_EQ(run("s = createRangeScope(1) a:setRangeScope(s) a:modeAttack(e) e = nil e_body = nil"), "");
  collect();
  tick(0.1f);
  EXPECT_EQ(run("return a:isModeAttack()"), "false");
}

TEST_F(Attack, ThePlayerIsHeldByTheAttack) {
  Player* p = player("p");
  ASSERT_EQ(run("p = nil"), "");
  collect();
  EXPECT_EQ(p->count(), 1) << "the attack's reference keeps it";
  ASSERT_EQ(run("a:setPlayer(nil)"), "");
  EXPECT_EQ(run("a:setPlayer({}) a = nil"), "");
  collect();
  EXPECT_EQ(log_.entries("PlayerRangeAttack::lua_setPlayer"), 1u);
}

}  // namespace

#include "audio_players/audio_players_support.h"

namespace {

// With the beam sound loaded the attack keeps one 3D player: locked while
// held, paused across pauses, released with the attack.
class AttackSound : public Attack {
 protected:
  AttackSound() {
    rktest::fillSlot(audio_.context(), 0, PlayerRangeAttack::kSound, rktest::toneOgg(88200));
    enemyAt("e", 0, 0.0f, 10.0f);
  }
  const rk::audio::AudioPlayerStatus& status(int index) {
    return audio_.context()->soundEffects3D().player(index)->status();
  }
  rktest::ManualAudio audio_;
};

TEST_F(AttackSound, TheBeamSoundIsHeldAcrossPausesAndResumedByTheNextAttack) {
  ASSERT_EQ(run("a:modeAttack(nil)"), "");
  tick(0.1f);
  const int index = attack("a")->record().sound_player;
  ASSERT_GE(index, 0);
  EXPECT_EQ(status(index).lock, 1) << "no other one-shot may take it";
  EXPECT_EQ(status(index).play, 1);

  ASSERT_EQ(run("a:modeRelease()"), "");
  EXPECT_EQ(status(index).play, 0) << "paused, not released";
  EXPECT_EQ(attack("a")->record().sound_player, index);
  ASSERT_EQ(run("a:modeAttack(nil)"), "");
  tick(0.1f);
  EXPECT_EQ(attack("a")->record().sound_player, index) << "the same player resumes";
  EXPECT_EQ(status(index).play, 1);

  // A kill while the sound plays pauses the attack.
  ASSERT_EQ(run("a:setDamageOneSec(100)"), "");
  tick(0.1f);
  EXPECT_TRUE(enemy("e")->isDead());
  EXPECT_EQ(run("return a:isModeAttack()"), "false");
  EXPECT_EQ(kills(), 1u);

  // Collecting the attack unlocks and releases the player.
  ASSERT_EQ(run("a = nil"), "");
  collect();
  EXPECT_EQ(status(index).lock, 0);
  EXPECT_EQ(status(index).play, 0);
  EXPECT_EQ(audio_.context()->soundEffects3D().player(index)->lockCount(), 0);
}

}  // namespace
