#include <gtest/gtest.h>

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
  void load(const char* path) override { journal.push_back(name + " load " + path); }
  void save(const char* path) override { journal.push_back(name + " save " + path); }
  void reflect(host::ui::Window* window) override {
    journal.push_back(name + " reflect " + (window ? "window" : "none"));
  }
  std::string name;
  std::vector<std::string>& journal;
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
