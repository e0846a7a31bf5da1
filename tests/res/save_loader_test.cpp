#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "host/fs.h"
#include "res/rk_res_save_loader.h"
#include "support/error_log_capture.h"

namespace {

using rk::res::RkResSaveLoader;

// Records every call in one shared journal.
struct Target : rk::res::IResLoder, rk::res::IResSaver, rk::res::IResReflect {
  Target(std::string name, std::vector<std::string>& journal) : name(std::move(name)), journal(journal) {}
  bool load(const char* path) override {
    journal.push_back(name + " load " + (path ? path : "(none)"));
    return true;
  }
  bool save(const char* path) override {
    journal.push_back(name + " save " + (path ? path : "(none)"));
    return saves;
  }
  void reflect(host::ui::Window* window) override {
    journal.push_back(name + " reflect " + (window ? "window" : "none"));
  }
  std::string name;
  std::vector<std::string>& journal;
  bool saves = true;
};

TEST(SaveLoader, RunsLoadersReflectorsAndSaversInRegistrationOrder) {
  rktest::ErrorLogCapture log;
  rktest::TempDir appData;
  host::fs::setAppDataFolderOverride(appData.file("missing/share"));  // fresh system: not there yet

  std::vector<std::string> journal;
  Target config("config", journal), score("score", journal);
  RkResSaveLoader* loader = RkResSaveLoader::createInstance();
  loader->setFolderName("装甲機兵クォルヴァンデル体験版");
  // The order the entry function registers them in.
  loader->addLoadTarget(&config);
  loader->addSaveTarget(&config);
  loader->addLoadTarget(&score);
  loader->addSaveTarget(&score);
  loader->addReflectTarget(&config);

  auto* window = reinterpret_cast<host::ui::Window*>(&journal);  // only passed through
  loader->prepareSaveFolder(window);
  const std::string savePath = appData.file("missing/share") + "\\" + "装甲機兵クォルヴァンデル体験版";
  EXPECT_EQ(loader->savePath(), savePath);
  EXPECT_TRUE(host::fs::isDirectory(savePath));

  RkResSaveLoader::getInstance()->loadAll();
  loader->reflectAll();
  loader->saveAll();
  EXPECT_EQ(journal, (std::vector<std::string>{"config load " + savePath, "score load " + savePath,
                                               "config reflect window", "config save " + savePath,
                                               "score save " + savePath}));
  host::fs::setAppDataFolderOverride("");
  RkResSaveLoader::destroyInstance();
}

// Sets an environment variable (or removes it) for one scope.
class EnvGuard {
 public:
  EnvGuard(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvGuard() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Without a usable save folder nothing may be read from or written to the
// file-system root, and shut-down must not fail noisily every time: one
// error-log entry, loaders told there is no folder, savers not run.
TEST(SaveLoader, WithoutASaveFolderLoadersGetNoneAndNothingIsSaved) {
  rktest::TempDir appData;
  rktest::writeBytes(appData.file("file"), "not a folder");
  // UTF-8 "é" has no CP932 form: the program cannot name such a folder.
  const std::string unnamable = appData.file("Jos\xC3\xA9");
  struct Case {
    const char* name;
    std::string override_;  // the application-data folder; empty: as the environment gives it
  } cases[] = {
      {"a home folder the program cannot name", ""},
      {"a file where the folder should be made", appData.file("file")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // With no usable data folder the error log itself falls back to the
    // current folder.
    rktest::TempDir cwd;
    rktest::CurrentDirGuard inCwd(cwd.path());
    EnvGuard home("HOME", unnamable.c_str()), xdg("XDG_DATA_HOME", unnamable.c_str());
    host::fs::setAppDataFolderOverride(c.override_);
    std::vector<std::string> journal;
    Target config("config", journal);
    RkResSaveLoader* loader = RkResSaveLoader::createInstance();
    loader->setFolderName("save");
    loader->addLoadTarget(&config);
    loader->addSaveTarget(&config);
    loader->prepareSaveFolder(nullptr);
    EXPECT_FALSE(loader->hasSaveFolder());
    EXPECT_EQ(loader->savePath(), "");
    loader->loadAll();
    EXPECT_FALSE(loader->saveAll());
    EXPECT_FALSE(loader->saveAll());
    EXPECT_EQ(journal, (std::vector<std::string>{"config load (none)"}));
    std::string log = rktest::readBytes(cwd.file("error_log.txt"));
    log.erase(std::remove(log.begin(), log.end(), '\r'), log.end());  // written in text mode
    EXPECT_EQ(rktest::countOf(log, ")\nrk::res::RkResSaveLoader::prepareSaveFolder\n"), 1u);
    host::fs::setAppDataFolderOverride("");
    RkResSaveLoader::destroyInstance();
  }
}

TEST(SaveLoader, SaveAllReportsASaverThatFailedAndStillRunsTheOthers) {
  rktest::TempDir appData;
  host::fs::setAppDataFolderOverride(appData.path());
  std::vector<std::string> journal;
  Target config("config", journal), score("score", journal);
  config.saves = false;
  RkResSaveLoader* loader = RkResSaveLoader::createInstance();
  loader->addSaveTarget(&config);
  loader->addSaveTarget(&score);
  loader->prepareSaveFolder(nullptr);
  EXPECT_EQ(loader->savePath(), appData.path()) << "no folder name: the data folder itself, no separator";
  EXPECT_FALSE(loader->saveAll());
  EXPECT_EQ(journal.size(), 2u);
  score.saves = false, config.saves = true;
  EXPECT_FALSE(loader->saveAll());
  score.saves = true;
  EXPECT_TRUE(loader->saveAll());
  host::fs::setAppDataFolderOverride("");
  RkResSaveLoader::destroyInstance();
}

TEST(SaveLoader, MisusedSingletonIsReported) {
  rktest::ErrorLogCapture log;
  RkResSaveLoader* first = RkResSaveLoader::createInstance();
  RkResSaveLoader::createInstance();  // reported, then replaces the first
  EXPECT_EQ(log.entries("rk::res::RkResSaveLoader::createInstance"), 1u);
  RkResSaveLoader::destroyInstance();
  delete first;
  RkResSaveLoader::destroyInstance();
  EXPECT_EQ(log.entries("rk::res::RkResSaveLoader::destroyInstance"), 1u);
  EXPECT_EQ(RkResSaveLoader::getInstance(), nullptr);
  EXPECT_EQ(log.entries("rk::res::RkResSaveLoader::getInstance"), 1u);
}

}  // namespace
