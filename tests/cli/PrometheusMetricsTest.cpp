// `tarvel --prometheus` on the demo machine, read back by the real Prometheus
// tools: promtool's linter, and a node_exporter whose textfile collector
// serves the file over HTTP.
#include <sys/stat.h>

#include <chrono>
#include <map>
#include <sstream>

#include "app/cli/PrometheusMetrics.h"
#include "tests/CaseFile.h"
#include "tests/support/RunProcess.h"
#include "tests/support/SimulatedMachine.h"
#include "tests/support/TestPlatform.h"

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::runProcess;
using testing_support::ScratchDir;
using testing_support::sourceDir;

namespace {

const char* kPromtool = "/usr/bin/promtool";
const char* kNodeExporter = "/usr/bin/prometheus-node-exporter";

double now() { return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count(); }

// Samples of an exposition text: "name{labels}" (as written) -> value.
std::map<std::string, double> samples(const std::string& text) {
  std::map<std::string, double> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    size_t blank = line.rfind(' ');
    if (blank == std::string::npos) continue;
    out[line.substr(0, blank)] = std::stod(line.substr(blank + 1));
  }
  return out;
}

// The value of `metric` for the drive at `device`, whatever its other labels.
std::optional<double> driveValue(const std::map<std::string, double>& s, const std::string& metric,
                                 const std::string& device) {
  const std::string prefix = metric + "{device=\"" + device + "\",";
  for (const auto& [key, value] : s)
    if (key.rfind(prefix, 0) == 0) return value;
  return std::nullopt;
}

// A node_exporter with only the textfile collector, on a socket that a
// starter binds to a free port of 127.0.0.1 and hands over as systemd would
// (LISTEN_FDS): no port is guessed, and a request waits in the socket's
// queue until the exporter takes it, so there is no start-up to wait for.
class NodeExporter {
 public:
  NodeExporter(const fs::path& folder, const fs::path& scratch)
      : server_({"/usr/bin/python3", "-c",
                 "import os, socket, sys\n"
                 "s = socket.socket()\n"
                 "s.bind(('127.0.0.1', 0))\n"
                 "s.listen(8)\n"
                 "os.dup2(s.fileno(), 3)\n"
                 "os.set_inheritable(3, True)\n"
                 "os.environ.update(LISTEN_PID=str(os.getpid()), LISTEN_FDS='1')\n"
                 "with open(sys.argv[1], 'w') as f: f.write('%d\\n' % s.getsockname()[1])\n"
                 "os.execv(sys.argv[2], sys.argv[2:])\n",
                 (scratch / "exporter.port").string(), kNodeExporter, "--web.systemd-socket",
                 "--collector.disable-defaults", "--collector.textfile",
                 "--collector.textfile.directory=" + folder.string()},
                {}, scratch / "node-exporter.log"),
        port_(server_.firstLine(scratch / "exporter.port")) {}

  bool started() const { return !port_.empty(); }

  // The status and body of the answer to GET `path`, a line each.
  testing_support::ProcessResult get(const std::string& path) const {
    return runProcess({"/usr/bin/python3", "-c",
                       "import sys, urllib.request\n"
                       "with urllib.request.urlopen(sys.argv[1], timeout=60) as r:\n"
                       "    print(r.status)\n"
                       "    sys.stdout.write(r.read().decode())\n",
                       "http://127.0.0.1:" + port_ + path});
  }

 private:
  testing_support::Child server_;
  std::string port_;
};

class PrometheusExport : public ::testing::Test {
 protected:
  void SetUp() override {
    machine = testing_support::makeMachine(sourceDir() / "resources/demo-machine", scratch.path() / "Demo.app");
    ASSERT_FALSE(machine.empty());
  }

  testing_support::ProcessResult tarvel(const std::vector<std::string>& args, bool scan = true) {
    return testing_support::runTarvel(machine, scratch.path() / "home", args, scan);
  }

  ScratchDir scratch;
  fs::path machine;
};

}  // namespace

TEST_F(PrometheusExport, EveryDriveWithItsStateAndCounters) {
  const double before = now();
  auto r = tarvel({"--prometheus", "-"});
  const double after = now();
  EXPECT_EQ(r.status, 2) << r.err;  // the exit status is the check's, as without metrics
  EXPECT_EQ(r.out.find("PASSED"), std::string::npos) << "the drive lines would corrupt the metrics";
  auto s = samples(r.out);

  for (const auto& c : testing_support::readCases("cli/prometheus-values.txt"))
    EXPECT_EQ(driveValue(s, c[0], c[1]), std::stod(c[2])) << c.line;
  EXPECT_EQ(s.count("tarvel_drive_state{device=\"/dev/sdc\",kind=\"ata\",model=\"ST4000DM006-2G5107\","
                    "serial=\"ZFN1X7QK\",title=\"/srv/data\"}"),
            1u)
      << r.out;

  for (const auto& [device, kind] : {std::pair{"/dev/sdf", "scsi"}, {"/dev/nvme1n1", "nvme"}}) {
    const std::string prefix = std::string("tarvel_drive_state{device=\"") + device + "\",kind=\"" + kind + "\",";
    EXPECT_TRUE(std::any_of(s.begin(), s.end(), [&](const auto& e) { return e.first.rfind(prefix, 0) == 0; }))
        << prefix << "\n"
        << r.out;
  }

  EXPECT_EQ(s["tarvel_check_success"], 1);
  EXPECT_GE(s["tarvel_check_timestamp_seconds"], before - 1);
  EXPECT_LE(s["tarvel_check_timestamp_seconds"], after + 1);
  EXPECT_GT(s["tarvel_check_duration_seconds"], 0);
  EXPECT_LE(s["tarvel_check_duration_seconds"], after - before + 1);

  // Each family once, its HELP and TYPE before its samples.
  std::istringstream in(r.out);
  std::map<std::string, int> declared;
  std::string current;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("# TYPE ", 0) == 0) {
      current = line.substr(7, line.find(' ', 7) - 7);
      EXPECT_EQ(++declared[current], 1) << current;
    } else if (line[0] != '#') {
      EXPECT_EQ(line.rfind(current, 0), 0u) << line << " outside its family " << current;
    }
  }
}

TEST_F(PrometheusExport, TemperatureStaysCelsiusWhenTheUserPrefersFahrenheit) {
  const char* devices[] = {"/dev/sda", "/dev/sdb", "/dev/sdc", "/dev/sdd", "/dev/sde"};
  auto celsius = samples(tarvel({"--prometheus", "-"}).out);
  ASSERT_EQ(tarvel({"defaults", "write", "org.tarvel.Tarvel", "DisplayTempInFahrenheit", "-bool", "YES"}, false).status,
            0);
  auto json = tarvel({"--json"}).out;
  ASSERT_NE(json.find("\"temperature\": 96"), std::string::npos) << "the drive record holds Fahrenheit: " << json;
  auto s = samples(tarvel({"--prometheus", "-"}).out);
  for (const char* device : devices) {
    auto want = driveValue(celsius, "tarvel_drive_temperature_celsius", device);
    ASSERT_TRUE(want) << device;
    EXPECT_EQ(driveValue(s, "tarvel_drive_temperature_celsius", device), want) << device;
  }
}

TEST_F(PrometheusExport, CheckThatCouldNotRunSaysSoWithoutDrives) {
  auto r = tarvel({"--prometheus", "-", "--listings", (scratch.path() / "no-such-machine").string()}, false);
  EXPECT_EQ(r.status, 3);
  auto s = samples(r.out);
  EXPECT_EQ(s["tarvel_check_success"], 0);
  EXPECT_EQ(r.out.find("tarvel_drive_"), std::string::npos) << r.out;
}

TEST_F(PrometheusExport, FileIsReplacedWholeAndReadableByTheCollector) {
  fs::path folder = scratch.path() / "textfiles";
  fs::create_directories(folder);
  fs::path file = folder / "tarvel.prom";
  auto first = tarvel({"--prometheus", file.string()});
  EXPECT_EQ(first.status, 2) << first.err;
  EXPECT_NE(first.out.find("/srv/data: FAILING"), std::string::npos) << "the drives are still printed: " << first.out;
  struct stat one {};
  ASSERT_EQ(::stat(file.c_str(), &one), 0);
  EXPECT_EQ(one.st_mode & 0777, 0644u);
  EXPECT_EQ(driveValue(samples(readFile(file)), "tarvel_drive_state", "/dev/sdd"), 2);

  ASSERT_EQ(tarvel({"--prometheus", file.string()}).status, 2);
  struct stat two {};
  ASSERT_EQ(::stat(file.c_str(), &two), 0);
  EXPECT_NE(one.st_ino, two.st_ino) << "rewritten in place, where a reader could see half of it";
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"tarvel.prom"}) << "a temporary file was left behind";
}

TEST_F(PrometheusExport, UnwritableDestinationsExitUnknownAndLeaveNothing) {
  fs::path folder = scratch.path() / "textfiles";
  fs::create_directories(folder / "taken.prom");
  const std::pair<std::string, const char*> cases[] = {
      {(scratch.path() / "missing/tarvel.prom").string(), "cannot write the metrics into"},
      {folder.string() + "/", "needs a file name"},
      {(folder / "taken.prom").string(), "cannot replace"},
  };
  const std::string drive = (machine / "Contents/MacOS/traces/sdc.trdr").string();
  for (const auto& [destination, said] : cases) {
    auto r = tarvel({"--prometheus", destination, "--replay", drive}, false);
    EXPECT_EQ(r.status, 3) << destination;
    EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
  }
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"taken.prom"});
}

TEST_F(PrometheusExport, PromtoolFindsNothingToLint) {
  auto metrics = tarvel({"--prometheus", "-"}).out;
  auto r = runProcess({kPromtool, "check", "metrics"}, metrics);
  EXPECT_EQ(r.status, 0) << r.out << r.err << metrics;
}

TEST_F(PrometheusExport, NodeExporterServesTheDrives) {
  fs::path folder = scratch.path() / "textfiles";
  fs::create_directories(folder);
  ASSERT_EQ(tarvel({"--prometheus", (folder / "tarvel.prom").string()}).status, 2);

  NodeExporter exporter(folder, scratch.path());
  ASSERT_TRUE(exporter.started()) << readFile(scratch.path() / "node-exporter.log");
  const testing_support::ProcessResult response = exporter.get("/metrics");
  ASSERT_EQ(response.status, 0) << response.err << readFile(scratch.path() / "node-exporter.log");
  ASSERT_TRUE(response.out.starts_with("200\n")) << response.out.substr(0, 200);
  auto s = samples(response.out.substr(4));
  EXPECT_EQ(s["node_textfile_scrape_error"], 0) << readFile(scratch.path() / "node-exporter.log");
  EXPECT_EQ(s.count("tarvel_drive_state{device=\"/dev/sdc\",kind=\"ata\",model=\"ST4000DM006-2G5107\","
                    "serial=\"ZFN1X7QK\",title=\"/srv/data\"}"),
            1u)
      << response.out;
  for (const char* device : {"/dev/sda", "/dev/sdb", "/dev/sdc", "/dev/sdd", "/dev/sde"})
    EXPECT_TRUE(driveValue(s, "tarvel_drive_state", device)) << device;
  EXPECT_EQ(driveValue(s, "tarvel_drive_power_on_seconds_total", "/dev/sdc"), 24870.0 * 3600);
  EXPECT_EQ(s["tarvel_check_success"], 1);
}

// Label values are UTF-8 with \, " and line feeds escaped, whatever a device
// or volume is called: one bad byte would make node_exporter drop the file.
class PrometheusLabels : public testing_support::PlatformTest {};

TEST_F(PrometheusLabels, OddNamesAreEscapedAndUnreadDrivesOnlyHaveAState) {
  KRSMARTDrive drive;
  drive.setLocation("/dev/a\"b\\c\nd\xff");
  const std::string text = cli::prometheusText({drive}, {1.5, 0.25, true});
  EXPECT_NE(text.find("tarvel_drive_state{device=\"/dev/a\\\"b\\\\c\\nd\xEF\xBF\xBD\",kind=\"unknown\",model=\"\","
                      "serial=\"\",title=\"a\\\"b\\\\c\\nd\xEF\xBF\xBD with partitions \"} 3\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("tarvel_drive_temperature"), std::string::npos) << text;
  EXPECT_NE(text.find("tarvel_check_timestamp_seconds 1.5\n"), std::string::npos) << text;
  EXPECT_NE(text.find("tarvel_check_duration_seconds 0.25\n"), std::string::npos) << text;
}

// The alert rules shipped for Prometheus, against their own unit tests
// (tests/prometheus/tarvel.rules.test.yml: every alert fires when it should
// and not before).
TEST(PrometheusRules, AlertsFireAsTheirTestsSay) {
  auto r = runProcess({kPromtool, "test", "rules", (sourceDir() / "tests/prometheus/tarvel.rules.test.yml").string()});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("SUCCESS"), std::string::npos) << r.out << r.err;
}
