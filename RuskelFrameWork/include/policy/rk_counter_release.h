// Base of the holders handed to the device context's delayed release: an
// object that a command list in flight may still read is wrapped in one and
// released only after the frame's GPU wait.
#pragma once

namespace rk::policy {

class CounterRelease {
 public:
  explicit CounterRelease(int count = 1) : count_(count) {}
  CounterRelease(const CounterRelease&) = delete;
  CounterRelease& operator=(const CounterRelease&) = delete;
  virtual ~CounterRelease() = default;

  // Gives the held object back; called once, when the count has run out.
  virtual void release() = 0;

  // One drain pass: the count after taking one off.
  int countDown() { return --count_; }
  int count() const { return count_; }

 private:
  int count_;
};

// A holder of one object: the concrete holders say how to give it back.
template <class T>
class CounterReleaseContainer : public CounterRelease {
 public:
  CounterReleaseContainer(T* payload, int count) : CounterRelease(count), payload_(payload) {}
  T* payload() const { return payload_; }

 protected:
  T* payload_;
};

}  // namespace rk::policy
