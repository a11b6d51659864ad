#include "platform/linux/PlistDomainStore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Domains.h"
#include "platform/memory/MemoryPlatform.h"
#include "support/UpdateAnnouncement.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;
using platform::PlistValue;
using platform::real::PlistDomainStore;

namespace {

class PlistStoreTest : public ::testing::Test {
 protected:
  testing_support::ScratchDir scratch;
  std::string folder = (scratch.path() / "Preferences").string();
  platform::memory::MemoryLog log;
  std::shared_ptr<PlistDomainStore> store = std::make_shared<PlistDomainStore>(folder, &log);
};

}  // namespace

TEST_F(PlistStoreTest, MainApplicationDomainIsSeenAndOwnDomainWins) {
  platform::Preferences monitor(platform::kMenuItemDomain, store);
  monitor.registerDefaults({{"PollDrives", "YES"}, {"PollingInterval", 3600}, {"EmailCustomPort", "25"}});
  monitor.addSuite(platform::kMainAppDomain);

  // The main application, another process, writes its own domain.
  PlistDomainStore(folder, &log).save(platform::kMainAppDomain, {{"PollDrives", false}, {"PollingInterval", 60}});
  monitor.synchronize();
  EXPECT_FALSE(monitor.boolForKey("PollDrives"));
  EXPECT_EQ(monitor.doubleForKey("PollingInterval"), 60);
  EXPECT_EQ(monitor.integerForKey("EmailCustomPort"), 25);

  monitor.setObject("PollingInterval", 900.5);
  EXPECT_EQ(monitor.doubleForKey("PollingInterval"), 900.5);
  monitor.synchronize();
  EXPECT_EQ(monitor.doubleForKey("PollingInterval"), 900.5);  // from the file now
  EXPECT_EQ(store->load(platform::kMainAppDomain)->at("PollingInterval").integer(), 60);
  EXPECT_TRUE(fs::exists(folder + "/org.tarvel.TarvelMenuItem.plist"));
}

TEST_F(PlistStoreTest, EveryValueKindSurvivesTheFile) {
  PlistValue::Dict nested = {{"n", -7}, {"list", PlistValue::Array{1, "two", 3.5}}};
  PlistValue::Dict all = {
      {"bool", true},
      {"int", -42},
      {"big", 9000000000LL},
      {"real", 0.1},
      {"float", static_cast<double>(2.5f)},
      {"text", "Über <&> \"quoted\""},
      {"empty", ""},
      {"date", platform::Date{1700000000}},
      {"data", std::vector<uint8_t>{0, 1, 254, 255}},
      {"dict", nested},
  };
  store->save("org.example.kinds", all);
  auto back = PlistDomainStore(folder, &log).load("org.example.kinds");
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, all);

  platform::Preferences prefs("org.example.kinds", store);
  EXPECT_EQ(prefs.floatForKey("float"), 2.5f);
  EXPECT_EQ(prefs.dateForKey("date"), platform::Date{1700000000});
  EXPECT_FALSE(prefs.dateForKey("int"));
  // XML property lists keep whole seconds of a date.
  prefs.setDate("when", platform::Date{1700000000.75});
  prefs.synchronize();
  EXPECT_EQ(prefs.dateForKey("when"), platform::Date{1700000000});
}

TEST_F(PlistStoreTest, PersistentDomainsByName) {
  platform::Preferences prefs(platform::kMenuItemDomain, store);
  EXPECT_FALSE(prefs.persistentDomain(platform::kMainAppDomain));
  prefs.setPersistentDomain({{"UpdateAvailable", true}}, platform::kMainAppDomain);
  auto d = prefs.persistentDomain(platform::kMainAppDomain);
  ASSERT_TRUE(d);
  d->at("UpdateAvailable") = false;
  (*d)["Other"] = "kept";
  prefs.setPersistentDomain(*d, platform::kMainAppDomain);
  EXPECT_EQ(*PlistDomainStore(folder, &log).load(platform::kMainAppDomain),
            (PlistValue::Dict{{"UpdateAvailable", false}, {"Other", "kept"}}));
}

TEST_F(PlistStoreTest, CorruptFileIsKeptAsideReportedAndDefaultsApply) {
  struct Case {
    const char* name;
    std::string contents;
  } cases[] = {
      {"truncated", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>PollDrives</key>"},
      {"not a dictionary", "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>"},
      {"empty", ""},
      {"binary junk", std::string("\0\xff\x13garbage", 10)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string path = folder + "/" + platform::kMenuItemDomain + ".plist";
    { std::ofstream(path, std::ios::binary) << c.contents; }
    log.clear();

    platform::Preferences prefs(platform::kMenuItemDomain, store);
    prefs.registerDefaults({{"PollDrives", "YES"}});
    EXPECT_TRUE(prefs.boolForKey("PollDrives"));
    EXPECT_TRUE(log.contains("could not be read")) << c.name;
    EXPECT_FALSE(fs::exists(path));
    std::vector<fs::path> aside;
    for (const auto& e : fs::directory_iterator(folder))
      if (e.path().filename().string().find(".plist.corrupt-") != std::string::npos) aside.push_back(e.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(testing_support::readFile(aside[0]), c.contents);  // nothing lost
    EXPECT_TRUE(log.contains(aside[0].string()));

    // The next write starts a fresh file.
    prefs.setBool("PollDrives", false);
    EXPECT_EQ(store->load(platform::kMenuItemDomain)->at("PollDrives"), PlistValue(false));
  }
}

TEST_F(PlistStoreTest, UnusableDomainNamesWriteNothing) {
  for (const char* bad : {"", "../escape", "a/b", ".hidden"}) {
    store->save(bad, {{"k", 1}});
    EXPECT_FALSE(store->load(bad)) << bad;
  }
  EXPECT_FALSE(fs::exists(scratch.path() / "escape.plist"));
  EXPECT_TRUE(log.contains("is not usable as a file name"));
}

TEST_F(PlistStoreTest, ConcurrentThreadsAndProcessesLoseNoWrite) {
  constexpr int kEach = 60;
  auto writer = [this](const std::string& prefix) {
    // Each writer has its own store and preferences, as separate programs do.
    platform::Preferences prefs(platform::kMenuItemDomain, std::make_shared<PlistDomainStore>(folder, nullptr));
    for (int i = 0; i < kEach; ++i) prefs.setInteger(prefix + std::to_string(i), i);
  };
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    writer("process");
    _exit(0);
  }
  std::thread t1(writer, "thread1"), t2(writer, "thread2");
  t1.join();
  t2.join();
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  auto d = store->load(platform::kMenuItemDomain);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->size(), 3u * kEach);
  EXPECT_EQ(d->at("process59").integer(), 59);
  EXPECT_TRUE(log.lines().empty());
}

TEST(PlistStoreFolder, FollowsXdgConfigHome) {
  {
    testing_support::EnvironmentScope absolute{{{"XDG_CONFIG_HOME", "/somewhere/config"}}};
    EXPECT_EQ(platform::real::defaultPreferencesFolder(), "/somewhere/config/Tarvel/Preferences");
  }
  testing_support::EnvironmentScope relative{{{"XDG_CONFIG_HOME", "relative/ignored"}}};
  EXPECT_EQ(platform::real::defaultPreferencesFolder().find("relative"), std::string::npos);
}

// A writer killed at any moment (kill -9) leaves no temporary file behind
// for good: the file has no name while it is written, and the next writer
// of the domain removes what an instant's name could leave.
TEST_F(PlistStoreTest, KilledWritersLeaveNoTemporaryFiles) {
  std::vector<pid_t> writers;
  for (int w = 0; w < 40; ++w) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      PlistDomainStore own(folder, nullptr);
      for (int i = 0;; ++i) own.update(platform::kMainAppDomain, [&](PlistValue::Dict& d) { d["Writer"] = i; });
    }
    writers.push_back(child);
    ::usleep(static_cast<useconds_t>(1000 + 500 * (w % 7)));
    ::kill(child, SIGKILL);
  }
  for (pid_t child : writers) waitpid(child, nullptr, 0);
  std::ofstream(folder + "/" + platform::kMainAppDomain + ".plist.tmp-Ab12Cd") << "left by a killed writer";

  store->update(platform::kMainAppDomain, [](PlistValue::Dict& d) { d["After"] = true; });
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{});
  auto d = store->load(platform::kMainAppDomain);
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->at("After").boolean());
}

// "UpdateAvailable" is set in one locked read-modify-write of the main
// application's domain: what another program writes there meanwhile stays.
TEST_F(PlistStoreTest, UpdateAvailableLosesNoConcurrentWrite) {
  constexpr int kEach = 60;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    platform::Preferences app(platform::kMainAppDomain, std::make_shared<PlistDomainStore>(folder, nullptr));
    for (int i = 0; i < kEach; ++i) app.setInteger("Key" + std::to_string(i), i);
    _exit(0);
  }
  platform::Preferences monitor(platform::kMenuItemDomain, store);
  for (int i = 0; i < kEach; ++i) support::markUpdateAvailable(monitor, platform::kMainAppDomain);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  auto d = store->load(platform::kMainAppDomain);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->size(), kEach + 1u);
  EXPECT_TRUE(d->at("UpdateAvailable").boolean());
}
