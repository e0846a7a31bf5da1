// Resource objects, packs made by scripts, data-chunk buffers written from a
// script and read back, file dialogs and relative paths.
#include <gtest/gtest.h>

#include "host/fs.h"
#include "script/rk_script_resource.h"
#include "script_fixture.h"

namespace {

using Lines = std::vector<std::string>;

class ResourceApi : public rktest::ScriptFixture {
 protected:
  // Runs a script's chunk in a task until it ends.
  void runScript(const std::string& source) {
    loadScriptPack({{"script/test.a", "loadUserLibrary('test')\n" + source}}, "test.pkp");
    rk::task::ScriptTask* task = startScript("script/test");
    ASSERT_TRUE(runUntil([&] { return task->isEnded(); }));
  }
};

TEST_F(ResourceApi, ResourcesArriveThroughTheFileManagerAndAreShared) {
  writeFile("data/a.bin", "abc");
  runScript(R"(
    local first = createResource('data/a.bin', 'unused')
    local second = loadResource('data/a.bin')
    trace('at once', first:isReady(), second:isReady())
    while not second:isReady() do runFileQuae() end
    trace('later', first:isReady(), second:isReady())
    trace('reload', first.reload ~= nil, second.reload ~= nil))");
  EXPECT_EQ(trace(), Lines({"at once false false", "later true true", "reload true false"}));
  EXPECT_EQ(resources_->count(), 3u) << "the two packs' views and one shared resource";
}

TEST_F(ResourceApi, ReloadReadsTheFileAgainIntoTheSameResource) {
  writeFile("data/a.bin", "old");
  loadScriptPack({{"script/test.a", R"(
    function main()
      local r = createResource('data/a.bin')
      while not r:isReady() do coroutine.yield() end
      keep = r
      coroutine.yield()
      r:reload()
      while not r:isReady() do coroutine.yield() end
    end
    entryCoRoutine('main'))"}});
  rk::task::ScriptTask* task = startScript("script/test");
  ASSERT_TRUE(runUntil([&] { return resources_->findResource("data/a.bin") && resources_->findResource("data/a.bin")->isLoaded(); }));
  rk::res::ResourcePtr resource = resources_->findResource("data/a.bin");
  writeFile("data/a.bin", "newer");
  ASSERT_TRUE(runUntil([&] { return task->isEnded(); }));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(resource->data()), resource->size()), "newer");
}

TEST_F(ResourceApi, AMissingFileFailsHard) {
  loadScriptPack({{"script/test.a", "loadResource('data/none.bin')"}});
  startScript("script/test");
  EXPECT_THROW(frame(), HrException);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(ResourceApi, APackMadeByAScriptServesItsEntries) {
  std::vector<std::uint8_t> pack;
  ASSERT_TRUE(rk::res::buildPackFile({{"data/in_pack.bin", {'x', 'y'}}}, pack));
  writeFile("extra.pkp", std::string(pack.begin(), pack.end()));
  runScript(R"(
    local pack = createRomPack()
    trace('load', pack:load('extra.pkp'))
    while not pack:isReady() do runFileQuae() end
    pack:setup()
    trace('entry ready', loadResource('data/in_pack.bin'):isReady()))");
  EXPECT_EQ(trace(), Lines({"load true", "entry ready true"}));
}

// A tree written by a script is read back by a script, value by value.
TEST_F(ResourceApi, DataChunksWrittenFromAScriptReadBack) {
  runScript(R"(
    local root = createDataChankBuffer('save')
    root:addDataChankInt('score', -2.9)
    root:addDataChankFloat('rate', 0.5)
    local player = createDataChankBuffer('player')
    player:addDataChankString('name', 'ＡＢＣ')
    player:addDataChankBoolean('alive', 0)
    root:addDataChankBuffer(player)
    root:addDataChankBoolean('done', nil)
    root:outputDataChankBuffer('save.bin')
    root:releaseDataChankBuffer()
    trace('released child', pcall(player.addDataChankInt, player, 'x', 1))

    local file = loadResource('save.bin')
    while not file:isReady() do runFileQuae() end
    local reader = createDataChankReader(file)
    while not reader:isEnd() do
      trace(reader:getChankName(), reader:getDataType(), reader:getData())
      reader:nextChank()
    end)");
  EXPECT_EQ(trace(), Lines({"released child true", "save buffer 4", "score int -2", "rate float 0.5",
                            "player buffer 2", "name string ＡＢＣ", "alive boolean true", "done boolean false"}));
  EXPECT_EQ(log_.entries("rk::res::`anonymous-namespace'::lua_DataChankBuffer_addDataChankInt"), 1u);
}

TEST_F(ResourceApi, AReaderStepsOverABufferWithInAndOut) {
  runScript(R"(
    local root = createDataChankBuffer('root')
    local inner = createDataChankBuffer('inner')
    inner:addDataChankInt('a', 1)
    inner:addDataChankInt('b', 2)
    root:addDataChankBuffer(inner)
    root:addDataChankInt('after', 3)
    root:outputDataChankBuffer('tree.bin')
    root:releaseDataChankBuffer()
    local file = loadResource('tree.bin')
    while not file:isReady() do runFileQuae() end
    local reader = createDataChankReader(file)
    reader:inChank()                       -- into root: at inner
    trace(reader:getChankName())
    reader:inChank() reader:nextChank()    -- into inner, read a, then b
    trace(reader:getChankName())
    reader:outChank()                      -- past inner's subtree
    trace(reader:getChankName(), reader:getData())
    reader:nextChank()
    trace(reader:isEnd()))");
  EXPECT_EQ(trace(), Lines({"inner", "b", "after 3", "true"}));
}

TEST_F(ResourceApi, ChangeRelativePathAnswersRelativeToTheCurrentDirectory) {
  runScript(R"(
    trace(changeRelativePath('script', 'data\\a.txt'))
    trace(changeRelativePath(nil, 'data\\a.txt'))
    trace(changeRelativePath('script/sub', 'script/x.lua'))
    trace('[' .. changeRelativePath('script', nil) .. ']')
    trace('[' .. changeRelativePath(nil, '') .. ']'))");
  EXPECT_EQ(trace(), Lines({"..\\data\\a.txt", "data\\a.txt", "..\\x.lua", "[]", "[]"}));
}

TEST(RelativePath, FromAFolderToAFile) {
  struct Case {
    const char* from;
    const char* to;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\game", "C:\\game\\data\\a.txt", ".\\data\\a.txt"},
      {"C:\\game\\script", "C:\\game\\data\\a.txt", "..\\data\\a.txt"},
      {"C:\\Game\\Script", "c:\\game\\script\\A.txt", ".\\A.txt"},  // folders compare without case
      {"/home/u/game/", "/home/u/other/x", "..\\other\\x"},
      {"/home/u/game/deep", "/home/u/other/x", "..\\..\\other\\x"},
      {"/home/u/game", "/home/u/game/./sub/../x", ".\\x"},
      {"C:\\game", "D:\\game\\a.txt", ""},  // no common root
      {"/home/u", "relative/a.txt", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(rk::script::relativePathTo(c.from, c.to), c.expected) << c.from << " " << c.to;
}

TEST_F(ResourceApi, DialogsAnswerRelativeToTheCurrentDirectoryOrCancelled) {
  std::vector<host::ui::FileDialogRequest> requests;
  const std::string cwd = host::fs::currentDirectory();
  host::ui::setFileDialogSink([&](host::ui::FileDialogRequest& request) {
    requests.push_back(request);
    request.fileName = cwd + "\\save\\slot1.dat";
    return true;
  });
  runScript(R"(
    trace(loadDialog('Open', 'save', 'slot0.dat', 'Data\0*.dat\0'))
    trace(saveDialog(nil, 'save', 'ignored', nil)))");
  host::ui::setFileDialogSink({});
  EXPECT_EQ(trace(), Lines({"true save\\slot1.dat", "true save\\slot1.dat"}));
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_FALSE(requests[0].save);
  EXPECT_EQ(requests[0].title, "Open");
  EXPECT_EQ(requests[0].initialFolder, cwd + "\\save");
  EXPECT_EQ(requests[0].fileName, "slot0.dat");
  EXPECT_EQ(requests[0].filter, std::string("Data\0*.dat\0", 11));
  EXPECT_EQ(requests[0].flags, host::ui::OFN_FILEMUSTEXIST);
  EXPECT_TRUE(requests[1].save);
  EXPECT_EQ(requests[1].fileName, "") << "the save dialog starts empty";
}

TEST_F(ResourceApi, WithoutADialogTheAnswerIsCancelled) {
  runScript("trace('[' .. tostring(loadDialog('t', '', '', nil)) .. ']', select(2, loadDialog('t', '', '', nil)) == '')");
  EXPECT_EQ(trace(), Lines({"[false] true"}));
}

}  // namespace
