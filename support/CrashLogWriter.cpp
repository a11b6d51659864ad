#include "support/CrashLogWriter.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace support {

// Everything the handler needs is prepared here, because inside it only
// async-signal-safe calls are allowed: no allocation, no stdio, no locale.
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

char gPathPrefix[4096];  // "<folder>/<app>_"
char gHost[256];
char gProcess[256];
char gAltStack[64 * 1024];  // so a stack overflow can still be reported

// A fixed-size text buffer filled without allocation.
struct Buffer {
  char data[8192];
  size_t size = 0;
  void add(const char* s) {
    while (*s && size + 1 < sizeof data) data[size++] = *s++;
    data[size] = '\0';
  }
  void addNumber(unsigned long v, int width = 0) {
    char digits[24];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v && n < 24);
    while (n < width && n < 24) digits[n++] = '0';
    while (n > 0 && size + 1 < sizeof data) data[size++] = digits[--n];
    data[size] = '\0';
  }
};

// UTC calendar date from a day count (Howard Hinnant's civil_from_days).
void civilFromDays(long days, long* y, unsigned* m, unsigned* d) {
  days += 719468;
  long era = (days >= 0 ? days : days - 146096) / 146097;
  unsigned doe = static_cast<unsigned>(days - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long year = static_cast<long>(yoe) + era * 400;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = year + (*m <= 2);
}

// "YYYY-MM-DD-HHMMSS" in UTC.
void addDateTime(Buffer& b, bool forFileName) {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  long secs = ts.tv_sec;
  long days = secs / 86400;
  long rest = secs % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  long y;
  unsigned m, d;
  civilFromDays(days, &y, &m, &d);
  b.addNumber(static_cast<unsigned long>(y), 4);
  b.add("-");
  b.addNumber(m, 2);
  b.add("-");
  b.addNumber(d, 2);
  b.add(forFileName ? "-" : " ");
  b.addNumber(static_cast<unsigned long>(rest / 3600), 2);
  if (!forFileName) b.add(":");
  b.addNumber(static_cast<unsigned long>(rest / 60 % 60), 2);
  if (!forFileName) b.add(":");
  b.addNumber(static_cast<unsigned long>(rest % 60), 2);
  if (!forFileName) b.add(" UTC");
}

const char* signalName(int sig) {
  switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
  }
  return "signal";
}

void writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void onFatalSignal(int sig) {
  int savedErrno = errno;
  Buffer path;
  path.add(gPathPrefix);
  addDateTime(path, true);
  path.add("_");
  path.add(gHost);
  path.add(".crash");
  // O_EXCL: never overwrite the log of an earlier crash in the same second.
  int fd = open(path.data, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    // One crash per file, and never the report separator of a combined
    // log, so the whole file is the report.
    Buffer head;
    head.add("Process:         ");
    head.add(gProcess);
    head.add(" [");
    head.addNumber(static_cast<unsigned long>(getpid()));
    head.add("]\nDate/Time:       ");
    addDateTime(head, false);
    head.add("\nSignal:          ");
    head.addNumber(static_cast<unsigned long>(sig));
    head.add(" (");
    head.add(signalName(sig));
    head.add(")\n\nBacktrace:\n");
    writeAll(fd, head.data, head.size);
    void* frames[128];
    int n = backtrace(frames, 128);
    backtrace_symbols_fd(frames, n, fd);
    close(fd);
  }
  errno = savedErrno;
  // SA_RESETHAND has put the default action back: die of the same signal.
  raise(sig);
}

void copyText(char* dest, size_t capacity, const std::string& text) {
  size_t n = std::min(text.size(), capacity - 1);
  std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
}

}  // namespace

bool installCrashLogWriter(const std::string& folder, const std::string& applicationName) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  bool ok = !ec;

  copyText(gPathPrefix, sizeof gPathPrefix, folder + "/" + applicationName + "_");
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') std::strcpy(host, "localhost");
  // A host name never holds a slash, but a path must not get one from it.
  for (char* c = host; *c; ++c)
    if (*c == '/') *c = '_';
  copyText(gHost, sizeof gHost, host);
  copyText(gProcess, sizeof gProcess, program_invocation_short_name);

  // The first backtrace() loads the unwinder, which allocates: do it now.
  void* warmUp[4];
  backtrace(warmUp, 4);

  stack_t ss {};
  ss.ss_sp = gAltStack;
  ss.ss_size = sizeof gAltStack;
  sigaltstack(&ss, nullptr);

  struct sigaction sa {};
  sa.sa_handler = onFatalSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESETHAND | SA_NODEFER | SA_ONSTACK;
  for (int sig : kSignals) sigaction(sig, &sa, nullptr);
  return ok;
}

}  // namespace support
