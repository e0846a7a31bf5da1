#include "host/gpu/queue.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "host/gpu/backend.h"
#include "host/gpu/call_failure.h"
#include "host/gpu/command_list.h"
#include "host/gpu/trace.h"

namespace host::gpu {

// ------------------------------------------------------------------- events

Ref<Event> Event::create(bool manualReset, bool initialState) {
  return Ref<Event>::adopt(new Event(manualReset, initialState));
}

void Event::set() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
  }
  cv_.notify_all();
}

void Event::reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  signalled_ = false;
}

bool Event::consume() {
  if (!signalled_) return false;
  if (!manualReset_) signalled_ = false;
  return true;
}

std::uint32_t Event::wait(std::uint32_t timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const bool forever = timeoutMs == INFINITE;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
  // Fences that will set this event finish their pending work first, unless the
  // caller only polls.
  std::vector<Fence*> sources;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (consume()) return WAIT_OBJECT_0;
    sources = sources_;
  }
  for (Fence* fence : sources) {
    if (timeoutMs == 0)
      fence->getCompletedValue();
    else
      fence->drive(std::numeric_limits<std::uint64_t>::max());
  }
  std::unique_lock<std::mutex> lock(mutex_);
  if (forever) {
    cv_.wait(lock, [&] { return signalled_; });
  } else if (!cv_.wait_until(lock, deadline, [&] { return signalled_; })) {
    return WAIT_TIMEOUT;
  }
  consume();
  return WAIT_OBJECT_0;
}

void Event::addSource(Fence* fence) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (std::find(sources_.begin(), sources_.end(), fence) == sources_.end()) sources_.push_back(fence);
}

void Event::removeSource(Fence* fence) {
  std::lock_guard<std::mutex> lock(mutex_);
  sources_.erase(std::remove(sources_.begin(), sources_.end(), fence), sources_.end());
}

// ------------------------------------------------------------------- fences

Fence::Fence(std::shared_ptr<detail::Backend> backend, std::uint64_t initialValue)
    : backend_(std::move(backend)), completed_(initialValue) {}

Fence::~Fence() {
  for (Pending& p : pending_)
    if (p.sync) backend_->deleteSync(p.sync);
  for (Waiter& w : waiters_) w.event->removeSource(this);
}

std::uint64_t Fence::getCompletedValue() {
  poll();
  return completed_;
}

HResult Fence::setEventOnCompletion(std::uint64_t value, Event* event) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::SetEventOnCompletion); failed(injected))
    return injected;
  poll();
  if (!event) {  // no event: block until the value is reached
    drive(value);
    return S_OK;
  }
  if (completed_ >= value) {
    event->set();
    return S_OK;
  }
  waiters_.push_back({value, Ref<Event>::share(event)});
  event->addSource(this);
  return S_OK;
}

HResult Fence::signal(std::uint64_t value) {
  complete(value);
  return S_OK;
}

void Fence::enqueue(std::uint64_t value, void* sync, bool held) {
  pending_.push_back({value, sync, held});
  poll();
}

void Fence::poll() {
  while (!pending_.empty()) {
    Pending& p = pending_.front();
    if (p.held) return;
    if (p.sync) {
      if (!backend_->waitSync(p.sync, 0)) return;
      backend_->deleteSync(p.sync);
    }
    const std::uint64_t value = p.value;
    pending_.erase(pending_.begin());
    complete(value);
  }
}

void Fence::drive(std::uint64_t value) {
  // Keeps itself alive: completing may release the last reference an event held.
  Ref<Fence> self = Ref<Fence>::share(this);
  while (!pending_.empty() && completed_ < value) {
    Pending p = pending_.front();
    pending_.erase(pending_.begin());
    if (p.sync) {
      backend_->waitSync(p.sync, std::numeric_limits<std::uint64_t>::max());
      backend_->deleteSync(p.sync);
    }
    complete(p.value);
  }
}

void Fence::complete(std::uint64_t value) {
  completed_ = value;
  std::vector<Ref<Event>> fired;
  for (auto it = waiters_.begin(); it != waiters_.end();) {
    if (it->value <= completed_) {
      fired.push_back(it->event);
      it = waiters_.erase(it);
    } else {
      ++it;
    }
  }
  for (Ref<Event>& e : fired) {
    const bool stillWaiting = std::any_of(waiters_.begin(), waiters_.end(),
                                          [&](const Waiter& w) { return w.event == e; });
    if (!stillWaiting) e->removeSource(this);
    e->set();
  }
}

// -------------------------------------------------------------------- queue

CommandQueue::CommandQueue(std::shared_ptr<detail::Backend> backend, const CommandQueueDesc& desc)
    : backend_(std::move(backend)), desc_(desc) {}

void CommandQueue::executeCommandLists(std::uint32_t count, GraphicsCommandList* const* lists) {
  for (std::uint32_t i = 0; lists && i < count; ++i) {
    if (!lists[i]) continue;
    if (lists[i]->isRecording()) {
      if (Trace* trace = backend_->trace()) trace->errors.push_back("executed a list that is still recording");
      continue;
    }
    backend_->execute(*lists[i]);
  }
}

HResult CommandQueue::signal(Fence* fence, std::uint64_t value) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::Signal); failed(injected)) return injected;
  if (!fence) return E_INVALIDARG;
  fence->enqueue(value, holdCompletion_ ? nullptr : backend_->insertSync(), holdCompletion_);
  return S_OK;
}

}  // namespace host::gpu
