// A flush object that works on a pair of objects it points to (no ownership):
// the game derives its per-frame placements from it.
#pragma once
#include "flush/rk_flush_unit.h"

namespace rk::flush {

template <class A, class B>
class FlushGroup : public IFlush {
 public:
  A* getGroupA() const { return group_a_; }
  B* getGroupB() const { return group_b_; }
  void setGroupA(A* a) { group_a_ = a; }
  void setGroupB(B* b) { group_b_ = b; }

 protected:
  A* group_a_ = nullptr;
  B* group_b_ = nullptr;
};

}  // namespace rk::flush
