// The frame clock. One process-wide set of marks measured with the
// high-resolution counter whenever its frequency can be read, else with the
// millisecond timer. The counter object lives in its singleton slot; the
// StopWatch wrapper starts it at the end of start-up.
#pragma once
#include <boost/shared_ptr.hpp>

namespace rk::driver {

class StopWatchImpl {
 public:
  virtual ~StopWatchImpl() = default;
  // Resumes: while paused the start mark moves forward by the paused span.
  virtual void start();
  // Restarts the marks at the pause moment (or now) and leaves the pause.
  virtual void reset();
  virtual void resume() { start(); }
  // Freezes the clock at the pause moment; a second pause keeps the first moment.
  virtual void pause();
  // Moves the pause moment on by 0.1 s.
  virtual void stepPaused();
  virtual double getAbsoluteTime();
  virtual double getElapsedTime();
  // Time since the previous lap; 0 for every lap after the first while paused.
  virtual double getLapTime();

  bool isPaused() const;

  static StopWatchImpl* getInstance();
  static void destroyInstance();

  // Forgets the shared marks and the cached frequency (tests only).
  static void resetSharedStateForTests();
};

class StopWatchPerformanceCounter : public StopWatchImpl {};

// Requests the 1 ms timer period for as long as it exists.
class StopWatchNormalCounter : public StopWatchImpl {
 public:
  StopWatchNormalCounter();
  ~StopWatchNormalCounter() override;
};

class StopWatch {
 public:
  // Reports "rk::driver::StopWatch::StopWatch" when no counter exists.
  StopWatch();
  // Chooses and creates the counter (paused), then the wrapper.
  static boost::shared_ptr<StopWatch> initialize();
  // Resumes the counter: the clock starts running.
  void start();
  StopWatchImpl* counter() const;
};

}  // namespace rk::driver
