// The direct command queue (ID3D12CommandQueue), fences (ID3D12Fence) and the
// events they signal (CreateEvent, SetEvent, WaitForSingleObject, CloseHandle).
//
// executeCommandLists replays closed lists at once: the trace back end records
// them, the GL back end issues their GL calls. A fence value signalled on the
// queue completes when the GL work before it has finished (at once on the trace
// back end, unless completion is held back for a test).
#pragma once
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "host/gpu/descs.h"
#include "host/gpu/object.h"
#include "host/hresult.h"

namespace host::gpu {

namespace detail {
class Backend;
}
class Fence;
class GraphicsCommandList;

// An event; auto-reset unless made manual-reset. Waiting on an event that a
// fence will signal lets the fence drive its pending GPU work to completion.
class Event : public Object {
 public:
  static Ref<Event> create(bool manualReset, bool initialState);
  void set();
  void reset();
  // WAIT_OBJECT_0 when signalled within the time, else WAIT_TIMEOUT.
  std::uint32_t wait(std::uint32_t timeoutMs);

  // --- for fences ---
  void addSource(Fence* fence);
  void removeSource(Fence* fence);

 private:
  Event(bool manualReset, bool initialState) : manualReset_(manualReset), signalled_(initialState) {}
  bool consume();  // under lock: takes the signal (auto-reset) and says whether there was one

  bool manualReset_;
  bool signalled_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<Fence*> sources_;  // fences that promised to set this event
};

class Fence : public Object {
 public:
  Fence(std::shared_ptr<detail::Backend> backend, std::uint64_t initialValue);
  ~Fence() override;

  std::uint64_t getCompletedValue();
  // Sets the event when the completed value reaches `value` (at once if it has).
  HResult setEventOnCompletion(std::uint64_t value, Event* event);
  // CPU-side signal: the completed value becomes `value`.
  HResult signal(std::uint64_t value);

  // --- for the queue and events ---
  // The queue's signal: completes when the back end's work so far is done.
  void enqueue(std::uint64_t value, void* sync, bool held);
  // Blocks until every pending value up to `value` has completed (or none is left).
  void drive(std::uint64_t value);

 private:
  struct Pending {
    std::uint64_t value;
    void* sync;  // back-end completion object; null: nothing to wait for
    bool held;   // trace back end holding completion: completes only when driven
  };
  struct Waiter {
    std::uint64_t value;
    Ref<Event> event;
  };
  void complete(std::uint64_t value);
  void poll();

  std::shared_ptr<detail::Backend> backend_;
  std::uint64_t completed_;
  std::vector<Pending> pending_;
  std::vector<Waiter> waiters_;
};

class CommandQueue : public Object {
 public:
  CommandQueue(std::shared_ptr<detail::Backend> backend, const CommandQueueDesc& desc);

  const CommandQueueDesc& getDesc() const { return desc_; }
  // Replays every closed list in order; lists still recording are skipped (the
  // trace lists them as errors).
  void executeCommandLists(std::uint32_t count, GraphicsCommandList* const* lists);
  HResult signal(Fence* fence, std::uint64_t value);

  // Test hook for the trace back end: while held, signalled values stay pending
  // until someone waits for them, so code paths that wait on events run.
  void holdCompletion(bool hold) { holdCompletion_ = hold; }

  const std::shared_ptr<detail::Backend>& sharedBackend() const { return backend_; }

 private:
  std::shared_ptr<detail::Backend> backend_;
  CommandQueueDesc desc_;
  bool holdCompletion_ = false;
};

}  // namespace host::gpu
