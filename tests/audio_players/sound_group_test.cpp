// Sound groups read by the audio tick: slots filled from the files a group
// names, reference counts, the failure boxes, and group files that lie about
// their sizes or offsets.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "audio_players_support.h"

namespace {

using rk::audio::AudioContext;
using rk::audio::AudioPlayer;

using Guard = boost::lock_guard<boost::mutex>;

class SoundGroups : public ::testing::Test {
 protected:
  void SetUp() override {
    ogg_ = rktest::toneOgg(4410);
    for (const char* name : {"se/a.ogg", "se/b.ogg", "se/c.ogg"}) rktest::writeFileAt(name, ogg_);
  }
  AudioContext* ctx() const { return audio_.context(); }
  std::vector<std::string> names(const char* group) {
    std::vector<std::string> out;
    ctx()->getSoundEffectName(out, group);
    return out;
  }
  int usedSlots() {
    Guard guard(ctx()->lock());
    int used = 0;
    for (int i = 0; i < AudioContext::kSoundSlotCount; ++i) used += !ctx()->soundSlot(i).isFree();
    return used;
  }
  rk::audio::BspData* group(const char* stored) {
    Guard guard(ctx()->lock());
    return ctx()->findBspData(stored);
  }

  rktest::InTempFolder folder_;
  rktest::ErrorLogCapture log_;
  rktest::BoxRecorder boxes_;
  rktest::ManualAudio audio_;
  std::string ogg_;
};

TEST_F(SoundGroups, LoadingTwiceCountsTwoReferencesAndKeepsOneCopy) {
  rktest::writeGroup("stage1", {"se/a.ogg", "se/b.ogg"});
  rktest::loadGroup(audio_, "stage1.bsp");
  EXPECT_FALSE(ctx()->isLoadRequested());
  ASSERT_NE(group("stage1.bpa"), nullptr);
  EXPECT_EQ(group("stage1.bpa")->reference_count, 1);
  EXPECT_EQ(names("stage1.bsp"), (std::vector<std::string>{"se/a.ogg", "se/b.ogg"}));
  {
    Guard guard(ctx()->lock());
    rk::audio::SoundSlot* a = ctx()->findSoundFile("se/a.ogg");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::string(a->bytes.begin(), a->bytes.end()), ogg_);
    EXPECT_EQ(a->group, ctx()->findBspData("stage1.bpa"));
  }

  rktest::loadGroup(audio_, "stage1.bsp");
  EXPECT_EQ(group("stage1.bpa")->reference_count, 2);
  EXPECT_EQ(usedSlots(), 2);

  ctx()->releaseSoundEffectGroup("stage1.bsp");
  EXPECT_EQ(ctx()->playOneShotSoundEffect("se/a.ogg", 0.0f, 1.0f), 0) << "still loaded";
  EXPECT_TRUE(ctx()->releaseSoundEffectGroup("stage1.bsp"));
  EXPECT_EQ(group("stage1.bpa"), nullptr);
  EXPECT_EQ(usedSlots(), 0);
  EXPECT_EQ(ctx()->playOneShotSoundEffect("se/a.ogg", 0.0f, 1.0f), -1);
  EXPECT_TRUE(ctx()->releaseSoundEffectGroup("stage1.bsp")) << "a group that is not loaded";
  EXPECT_TRUE(boxes_.texts.empty());
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// A sound named by two groups is read once and held by both: releasing one
// group leaves it loaded, and playing, for the other.
TEST_F(SoundGroups, ASoundNamedByTwoGroupsIsReadOnceAndHeldByBoth) {
  rktest::writeGroup("first", {"se/a.ogg", "se/b.ogg"});
  rktest::writeGroup("second", {"se/b.ogg", "se/c.ogg", "se/b.ogg"});
  rktest::writeGroup("empty", {});
  rktest::loadGroup(audio_, "first.bsp");
  rktest::loadGroup(audio_, "second.bsp");
  rktest::loadGroup(audio_, "empty.bsp");
  EXPECT_EQ(names("second.bsp"), (std::vector<std::string>{"se/b.ogg", "se/c.ogg"}));
  ASSERT_NE(group("empty.bpa"), nullptr);
  EXPECT_TRUE(names("empty.bsp").empty());
  EXPECT_EQ(usedSlots(), 3);

  const int shared = ctx()->playOneShotSoundEffect("se/b.ogg", 0.0f, 1.0f);
  ASSERT_GE(shared, 0);
  audio_.tick();
  ctx()->releaseSoundEffectGroup("first.bsp");
  EXPECT_EQ(ctx()->playOneShotSoundEffect("se/a.ogg", 0.0f, 1.0f), -1) << "only in the first group";
  EXPECT_EQ(usedSlots(), 2);
  EXPECT_EQ(names("second.bsp"), (std::vector<std::string>{"se/b.ogg", "se/c.ogg"}));
  {
    Guard guard(ctx()->lock());
    rk::audio::SoundSlot* b = ctx()->findSoundFile("se/b.ogg");
    ASSERT_NE(b, nullptr) << "still held by the second group";
    EXPECT_EQ(b->group, ctx()->findBspData("second.bpa"));
    EXPECT_TRUE(ctx()->normalSoundEffects().isPlay(shared)) << "its player goes on";
  }
  EXPECT_GE(ctx()->playOneShotSoundEffect("se/b.ogg", 0.0f, 1.0f), 0);

  ctx()->releaseSoundEffectGroup("second.bsp");
  EXPECT_EQ(usedSlots(), 0);
  EXPECT_EQ(ctx()->playOneShotSoundEffect("se/b.ogg", 0.0f, 1.0f), -1);
  Guard guard(ctx()->lock());
  EXPECT_FALSE(ctx()->normalSoundEffects().isPlay(shared)) << "stopped with the last holder";
}

TEST_F(SoundGroups, TheRootFolderIsJoinedWithABackslash) {
  rktest::writeGroup("rooted", {"a.ogg"});
  struct Case {
    const char* root;
    const char* path;
  } cases[] = {{"se", "se\\a.ogg"}, {"se/", "se/a.ogg"}, {"", "a.ogg"}};
  rktest::writeFileAt("a.ogg", ogg_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    ctx()->setSoundEffectRootFolder(c.root);
    rktest::loadGroup(audio_, "rooted.bsp");
    EXPECT_EQ(names("rooted.bsp"), std::vector<std::string>{c.path});
    ctx()->releaseSoundEffectGroup("rooted.bsp");
  }
  EXPECT_TRUE(boxes_.texts.empty());
}

TEST_F(SoundGroups, MissingFilesAndAFullTableAreShownAndTheRequestIsCleared) {
  rktest::writeGroup("partial", {"se/a.ogg", "se/missing.ogg"});
  rktest::loadGroup(audio_, "nothing.bsp");
  rktest::loadGroup(audio_, "partial.bsp");
  EXPECT_EQ(boxes_.texts,
            (std::vector<std::string>{"nothing.bsp が見つかりません", "se/missing.ogg が見つかりません"}));
  EXPECT_EQ(boxes_.captions, (std::vector<std::string>{"エラー", "エラー"}));
  EXPECT_EQ(names("partial.bsp"), std::vector<std::string>{"se/a.ogg"});
  EXPECT_FALSE(ctx()->isLoadRequested());

  for (int i = 1; i < AudioContext::kSoundGroupCount; ++i) {
    rktest::writeGroup("g" + std::to_string(i), {});
    rktest::loadGroup(audio_, "g" + std::to_string(i) + ".bsp");
  }
  rktest::writeGroup("one_too_many", {"se/b.ogg"});
  rktest::loadGroup(audio_, "one_too_many.bsp");
  EXPECT_EQ(boxes_.texts.back(), "BSPバッファが一杯です");
  EXPECT_EQ(group("one_too_many.bpa"), nullptr);
  EXPECT_FALSE(ctx()->isLoadRequested());
}

TEST_F(SoundGroups, WhenEverySlotIsTakenTheRestOfTheGroupIsSkipped) {
  std::vector<std::string> many;
  for (int i = 0; i < AudioContext::kSoundSlotCount + 2; ++i) {
    many.push_back("se/many" + std::to_string(i) + ".ogg");
    rktest::writeFileAt(many.back(), ogg_);
  }
  rktest::writeGroup("huge", many);
  rktest::loadGroup(audio_, "huge.bsp");
  EXPECT_EQ(usedSlots(), AudioContext::kSoundSlotCount);
  EXPECT_EQ(log_.entries("rk::audio::AudioContext::processLoadRequest"), 1u);
  ctx()->releaseSoundEffectGroup("huge.bsp");
  EXPECT_EQ(usedSlots(), 0);
}

// Each file is damaged in one way; none may be read beyond its bytes (the
// sanitizer build checks). What the content validly names is still loaded.
TEST_F(SoundGroups, DamagedGroupFilesLoadOnlyWhatTheyValidlyName) {
  const std::string good = rktest::groupContent({"se/a.ogg", "se/b.ogg"});
  auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  auto patched = [&](std::size_t at, std::uint32_t v) {
    std::string s = good;
    s.replace(at, 4, u32(v));
    return rktest::container(s);
  };
  const std::string packed = rktest::container(good);
  auto header = [&](std::uint32_t uncompressed, std::uint32_t compressed) {
    return u32(uncompressed) + u32(compressed) + std::string(8, '\0') + packed.substr(16);
  };
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::string> loaded;
    bool failureBox;
  } cases[] = {
      {"intact", packed, {"se/a.ogg", "se/b.ogg"}, false},
      {"empty file", "", {}, true},
      {"header only", packed.substr(0, 16), {}, true},
      {"stream cut short", packed.substr(0, packed.size() - 5), {}, true},
      {"compressed size beyond the file", header(static_cast<std::uint32_t>(good.size()), 1u << 30), {}, true},
      {"uncompressed size beyond any stream", header(0xFFFFFFF0u, static_cast<std::uint32_t>(packed.size() - 16)), {},
       true},
      {"stated size too small", header(6, static_cast<std::uint32_t>(packed.size() - 16)), {}, true},
      // zlib's data error is one of its ordinary results: what it inflated (nothing) is used.
      {"not a zlib stream", u32(64) + u32(32) + std::string(8, '\0') + std::string(32, '\x77'), {}, false},
      {"table beyond the content", patched(0, 0xFFFFFFF0u), {}, true},
      {"huge count", patched(4, 0x40000000u), {}, true},
      {"count one too many", patched(4, 3), {"se/a.ogg", "se/b.ogg"}, true},
      {"first name beyond the content", patched(8, 5000), {"se/b.ogg"}, true},
      {"last name without its end", rktest::container(good.substr(0, good.size() - 1)), {"se/a.ogg"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes_.texts.clear();
    rktest::writeFileAt("damaged.bpa", c.file);
    rktest::loadGroup(audio_, "damaged.bsp");
    EXPECT_EQ(names("damaged.bsp"), c.loaded);
    const std::vector<std::string> failure{"「damaged.bpa」のロードに失敗しました。"};
    if (c.failureBox) {
      EXPECT_EQ(boxes_.texts, failure);
    } else {
      EXPECT_TRUE(boxes_.texts.empty());
    }
    ASSERT_NE(group("damaged.bpa"), nullptr) << "the group itself is loaded";
    ctx()->releaseSoundEffectGroup("damaged.bsp");
    EXPECT_EQ(usedSlots(), 0);
  }
}

TEST_F(SoundGroups, ReleasingAGroupStopsThePlayersThatUseItsBytes) {
  rktest::writeGroup("live", {"se/a.ogg", "se/b.ogg"});
  rktest::loadGroup(audio_, "live.bsp");
  const int playing = ctx()->playOneShotSoundEffect("se/a.ogg", 0.0f, 1.0f);
  const int saved = ctx()->playOneShotSoundEffect("se/b.ogg", 0.0f, 1.0f);
  audio_.tick();
  {
    Guard guard(ctx()->lock());
    // A saved status of another player still names b: it must not come back.
    ctx()->normalSoundEffects().player(saved)->pushStatus();
    ctx()->normalSoundEffects().player(saved)->stopVoice();
  }
  ctx()->releaseSoundEffectGroup("live.bsp");
  {
    Guard guard(ctx()->lock());
    for (int index : {playing, saved}) {
      const AudioPlayer& player = *ctx()->normalSoundEffects().player(index);
      EXPECT_FALSE(player.status().active);
      EXPECT_EQ(player.stack().size(), 1u);
      EXPECT_EQ(ctx()->normalSoundEffects().output(index)->voice(), nullptr);
      EXPECT_EQ(ctx()->normalSoundEffects().decoder(index)->data(), nullptr);
    }
  }
  ctx()->popNormalSoundEffect();
  audio_.tick(3);
  audio_.render(44100);
  EXPECT_FALSE(ctx()->isNormalSEPlay(saved));
}

TEST_F(SoundGroups, PostingWaitsForAPendingLoadOnlyWhileTheThreadRuns) {
  ctx()->postLoadRequest("first.bsp");
  ctx()->loadSEGroup("second.bsp");  // no audio thread: dropped at once
  {
    Guard guard(ctx()->lock());
    EXPECT_STREQ(ctx()->loadRequestName(), "first.bsp");
  }
  audio_.tick();
  boxes_.texts.clear();

  // With the thread, the second posting waits until the thread took the first.
  audio_.context()->stop();
  rktest::writeGroup("first", {"se/a.ogg"});
  rktest::writeGroup("second", {"se/b.ogg"});
  rktest::useManualAudio(2, 44100);
  const std::uint32_t ticks = ctx()->tickCount();
  ctx()->init();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ctx()->tickCount() == ticks && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ctx()->loadSEGroup("first.bsp");
  ctx()->loadSEGroup("second.bsp");
  while (ctx()->isLoadRequested() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(names("first.bsp"), std::vector<std::string>{"se/a.ogg"});
  EXPECT_EQ(names("second.bsp"), std::vector<std::string>{"se/b.ogg"});
  EXPECT_TRUE(boxes_.texts.empty());
}

}  // namespace
