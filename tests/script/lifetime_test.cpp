// Script objects dropped in every order, with full collections forced between
// steps, and states closed and recycled under their owners. Run under the
// sanitizer build these show that nothing is freed twice or used after free.
#include <gtest/gtest.h>

#include "script_fixture.h"

namespace {

using rk::script::ScriptState;
using Lines = std::vector<std::string>;

class Lifetimes : public rktest::ScriptFixture {
 protected:
  std::size_t taskCount() { return rk::task::TaskManager::getInstance()->tasks().size(); }
};

TEST_F(Lifetimes, DroppingATaskObjectEndsTheTaskThroughTheTaskManager) {
  loadScriptPack({
      {"script/parent.a", R"(
        loadUserLibrary('test')
        function main()
          local child = loadScript('script/child', 6)
          child:run()
          coroutine.yield() coroutine.yield()
          child = nil
          collectgarbage() collectgarbage()
          trace('dropped')
          while true do coroutine.yield() end
        end
        entryCoRoutine('main'))"},
      {"script/child.a", R"(
        loadUserLibrary('test')
        function main() while true do coroutine.yield() end end
        function fin() trace('child fin') end
        entryCoRoutine('main') entryDestructer('fin'))"},
  });
  startScript("script/parent");
  frame();
  frame();  // the child is initialised and running
  EXPECT_EQ(taskCount(), 2u);
  EXPECT_EQ(traceOfFrame(), Lines({"dropped", "child fin"}));  // deleted at the end of its turn
  EXPECT_EQ(taskCount(), 1u);
}

TEST_F(Lifetimes, AnObjectWhoseTaskIsGoneReadsAsNull) {
  loadScriptPack({
      {"script/parent.a", R"(
        loadUserLibrary('test')
        function main()
          child = loadScript('script/child', 6)
          child:setAutoDeleteScript(true)
          child:run()
          for i = 1, 3 do coroutine.yield() end
          trace('isRun', child:isRun(), 'run', child:run())
          child:close() child:setValid(true) child:stop()
          collectgarbage()
        end
        entryCoRoutine('main'))"},
      {"script/child.a", "x = 1"},  // ends at its first update and deletes itself
  });
  startScript("script/parent");
  for (int i = 0; i < 4; ++i) frame();
  EXPECT_EQ(trace(), Lines({"isRun false run false"}));
  EXPECT_EQ(taskCount(), 1u);
  EXPECT_EQ(log_.entries("rk::task::`anonymous-namespace'::lua_script_task_run"), 1u);
}

// A task that ended keeps its state until it is deleted: a new state must not
// be that one, or the old task's deletion would close the new owner's state.
TEST_F(Lifetimes, AFinishedStateIsReusedOnlyOnceItsTaskLetsGo) {
  loadScriptPack({{"script/short.a", "x = 1"},
                  {"script/long.a", "function main() while true do coroutine.yield() end end entryCoRoutine('main')"}});
  rk::task::ScriptTask* ended = startScript("script/short");
  frame();
  ASSERT_TRUE(ended->isEnded());
  ScriptState* endedState = ended->state();
  EXPECT_FALSE(endedState->isRunning());

  rk::task::ScriptTask* next = startScript("script/long");
  EXPECT_NE(next->state(), endedState);
  frame();
  delete ended;  // as the task manager would: its state is released and closed
  EXPECT_NE(next->state()->luaState(), nullptr) << "the other task's state is untouched";
  frame();
  EXPECT_FALSE(next->isEnded());

  rk::task::ScriptTask* third = startScript("script/long");
  EXPECT_EQ(third->state(), endedState) << "a released state is recycled";
}

TEST_F(Lifetimes, ScriptStateObjectsCloseTheirStatesWhenCollected) {
  loadScriptPack({{"script/states.a", R"(
    loadUserLibrary('test')
    local a, b = createScriptState(), createScriptState()
    trace(a:isReady(), b:isReady())
    b:entryCoRoutine('main') b:entryInitalize(7) b:entryDataLoad({})
    b:getReady()
    a = nil collectgarbage()
    local c = createScriptState()
    trace('reused', c ~= nil)
    b = nil c = nil collectgarbage())"}});
  startScript("script/states");
  frame();
  EXPECT_EQ(trace(), Lines({"false false", "reused true"}));
  // The task's state plus two made by the script (the first was reused by the third).
  EXPECT_EQ(states_->states().size(), 3u);
  std::size_t open = 0;
  for (ScriptState* state : states_->states()) open += state->luaState() != nullptr;
  EXPECT_EQ(open, 1u);
}

// Every order of releasing a parent buffer, dropping the child's object and
// touching the child afterwards.
TEST_F(Lifetimes, DataChunkBuffersSurviveEveryOrderOfReleaseAndCollection) {
  loadScriptPack({{"script/chunks.a", R"(
    loadUserLibrary('test')
    local steps = {
      release = function(s) if s.parent then s.parent:releaseDataChankBuffer() end end,
      dropChild = function(s) s.child = nil end,
      dropParent = function(s) s.parent = nil end,
      useChild = function(s) if s.child then s.child:addDataChankInt('late', 1) end end,
      releaseChild = function(s) if s.child then s.child:releaseDataChankBuffer() end end,
    }
    local names = { 'release', 'dropChild', 'dropParent', 'useChild', 'releaseChild' }
    local function permute(list, n, visit)
      if n == 0 then visit(list) return end
      for i = 1, n do
        list[i], list[n] = list[n], list[i]
        permute(list, n - 1, visit)
        list[i], list[n] = list[n], list[i]
      end
    end
    local count = 0
    permute(names, #names, function(order)
      local s = { parent = createDataChankBuffer('p'), child = createDataChankBuffer('c') }
      s.child:addDataChankBuffer(createDataChankBuffer('grandchild'))
      s.parent:addDataChankBuffer(s.child)
      for _, name in ipairs(order) do
        steps[name](s)
        collectgarbage()
      end
      count = count + 1
    end)
    trace('orders', count))"}});
  startScript("script/chunks");
  frame();
  EXPECT_EQ(trace(), Lines({"orders 120"}));
}

TEST_F(Lifetimes, ObjectsOfEveryKindDroppedInAnyOrderAtClose) {
  writeFile("data/a.bin", "abc");
  loadScriptPack({
      {"script/holder.a", R"(
        objects = {
          loadResource('data/a.bin'), createResource('data/a.bin'), createRomPack(),
          createDataChankBuffer('x'), loadScriptFromFile('script/child'), createScriptState(),
          loadScript('script/child', 6),
        }
        local inner = createDataChankBuffer('inner')
        objects[4]:addDataChankBuffer(inner)
        objects[8] = inner
        function main() while true do coroutine.yield() end end
        entryCoRoutine('main'))"},
      {"script/child.a", "x = 1"},
  });
  rk::task::ScriptTask* holder = startScript("script/holder");
  frame();
  frame();
  EXPECT_EQ(taskCount(), 2u);
  // The holder goes first: its state closes and collects everything at once.
  holder->setAlive(false);
  frame();
  frame();
  EXPECT_EQ(taskCount(), 0u) << "the dropped child task was deleted too";
  EXPECT_TRUE(boxes_.empty());
}

// The reverse of the framework's shut-down order: tasks first, then states.
TEST_F(Lifetimes, TasksDeletedBeforeTheStateManagerCloseTheirStates) {
  loadScriptPack({
      {"script/parent.a", R"(
        loadUserLibrary('test')
        child = loadScript('script/child', 7)
        child:run()
        function main() while true do coroutine.yield() end end
        function fin() trace('parent fin') end
        entryCoRoutine('main') entryDestructer('fin'))"},
      {"script/child.a", R"(
        loadUserLibrary('test')
        function main() while true do coroutine.yield() end end
        function fin() trace('child fin') end
        entryCoRoutine('main') entryDestructer('fin'))"},
  });
  startScript("script/parent");
  frame();
  frame();
  rk::task::TaskManager::getInstance()->deleteTasks(true);
  EXPECT_EQ(trace(), Lines({"parent fin", "child fin"}));
  rk::script::ScriptStateManager::destroyInstance();
  EXPECT_EQ(trace().size(), 2u);
}

}  // namespace
