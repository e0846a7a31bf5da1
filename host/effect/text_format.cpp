#include "host/effect/text_format.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace host::effect {

namespace {

bool toFloat(const std::string& token, float* out) {
  if (token.empty()) return false;
  char* end = nullptr;
  *out = std::strtof(token.c_str(), &end);
  return end && *end == '\0';
}

bool toCount(const std::string& token, std::uint32_t* out) {
  if (token.empty() || token[0] == '-') return false;
  char* end = nullptr;
  const unsigned long value = std::strtoul(token.c_str(), &end, 10);
  if (!end || *end != '\0' || value > 0xFFFFFFFFul) return false;
  *out = static_cast<std::uint32_t>(value);
  return true;
}

// Reads the floats of `tokens` from index 1 into `out`, with "->" allowed
// after `arrowAfter` values (0: no arrow).
bool floats(const std::vector<std::string>& tokens, std::size_t count, float* const* out, std::size_t arrowAfter = 0) {
  std::size_t i = 1, n = 0;
  for (; i < tokens.size() && n < count; ++i) {
    if (arrowAfter && n == arrowAfter && tokens[i] == "->") continue;
    if (!toFloat(tokens[i], out[n])) return false;
    ++n;
  }
  return n == count && i == tokens.size();
}

}  // namespace

bool parseEffectText(const std::string& text, EffectDesc* effect, std::string* error) {
  EffectDesc result;
  EmitterDesc* open = nullptr;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) {
    if (error) *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::vector<std::string> t;
    for (std::string w; words >> w;) t.push_back(w);
    if (t.empty()) continue;
    const std::string& key = t[0];
    if (key == "emitter") {
      if (open) return fail("emitter inside an emitter");
      if (t.size() != 1) return fail("emitter takes nothing");
      result.emitters.emplace_back();
      open = &result.emitters.back();
      continue;
    }
    if (!open) return fail("'" + key + "' outside an emitter");
    EmitterDesc& e = *open;
    bool ok = true;
    if (key == "end") {
      ok = t.size() == 1;
      std::string why;
      if (ok && !checkEmitter(e, &why)) return fail(why);
      open = nullptr;
    } else if (key == "blend") {
      ok = t.size() == 2 && (t[1] == "additive" || t[1] == "alpha");
      if (ok) e.flags = t[1] == "additive" ? (e.flags | kFlagAdditive) : (e.flags & ~std::uint32_t(kFlagAdditive));
    } else if (key == "texture") {
      static const char* const kNames[kTextureCount] = {"solid", "disc", "ring", "spark"};
      ok = false;
      for (std::uint32_t k = 0; k < kTextureCount && t.size() == 2; ++k)
        if (t[1] == kNames[k]) e.texture = k, ok = true;
    } else if (key == "burst") {
      ok = t.size() == 2 && toCount(t[1], &e.burst);
    } else if (key == "rate" || key == "emit" || key == "delay" || key == "radius") {
      float* target = key == "rate" ? &e.rate : key == "emit" ? &e.emitFrames : key == "delay" ? &e.delayFrames : &e.radius;
      ok = floats(t, 1, &target);
    } else if (key == "life") {
      float* both[] = {&e.life, &e.lifeSpread};
      e.lifeSpread = 0.0f;
      ok = floats(t, t.size() == 3 ? 2 : 1, both);
    } else if (key == "velocity" || key == "spread" || key == "acceleration") {
      float* v = key == "velocity" ? e.velocity : key == "spread" ? e.velocitySpread : e.acceleration;
      float* three[] = {&v[0], &v[1], &v[2]};
      ok = floats(t, 3, three);
    } else if (key == "colour") {
      float* eight[] = {&e.colourStart[0], &e.colourStart[1], &e.colourStart[2], &e.colourStart[3],
                        &e.colourEnd[0],   &e.colourEnd[1],   &e.colourEnd[2],   &e.colourEnd[3]};
      ok = floats(t, 8, eight, 4);
    } else if (key == "size") {
      float* two[] = {&e.sizeStart, &e.sizeEnd};
      ok = floats(t, 2, two, 1);
    } else {
      return fail("unknown setting '" + key + "'");
    }
    if (!ok) return fail("bad values for '" + key + "'");
  }
  if (open) return fail("emitter without end");
  if (result.emitters.empty()) return fail("no emitter");
  if (result.emitters.size() > kMaxEmitters) return fail("too many emitters");
  if (effect) *effect = std::move(result);
  return true;
}

}  // namespace host::effect
