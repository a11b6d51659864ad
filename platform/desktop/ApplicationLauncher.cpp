#include "platform/desktop/ApplicationLauncher.h"

#include <unistd.h>

#include <QtCore/QProcess>
#include <QtCore/QStringList>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Text.h"

namespace platform::desktop {

namespace fs = std::filesystem;

namespace {

// The escapes of a desktop entry's string values: \s \n \t \r \\.
std::string unescapeValue(const std::string& v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] != '\\' || i + 1 == v.size()) {
      out += v[i];
      continue;
    }
    switch (char c = v[++i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default: out += '\\', out += c;
    }
  }
  return out;
}

// Exec's words: blanks separate them, double quotes group, and inside
// quotes a backslash takes the next '"', '`', '$' or '\' literally.
std::vector<std::string> splitExec(const std::string& exec) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '"') quoted = false;
      else if (c == '\\' && i + 1 < exec.size() && std::string("\"`$\\").find(exec[i + 1]) != std::string::npos)
        word += exec[++i];
      else word += c;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word), word.clear(), inWord = false;
    } else if (c == '"') {
      quoted = inWord = true;
    } else {
      word += c, inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

bool isFieldCode(char c) { return std::string("fFuUdDnNvmick").find(c) != std::string::npos; }

// Field codes stand for files, URLs, the icon, the name or the entry's own
// path; the main application is launched with none of them.
std::vector<std::string> dropFieldCodes(const std::vector<std::string>& words) {
  std::vector<std::string> out;
  for (const std::string& w : words) {
    if (w.size() == 2 && w[0] == '%' && isFieldCode(w[1])) continue;
    std::string kept;
    for (size_t i = 0; i < w.size(); ++i) {
      if (w[i] == '%' && i + 1 < w.size()) {
        if (w[i + 1] == '%') kept += '%';
        ++i;
        continue;
      }
      kept += w[i];
    }
    out.push_back(kept);
  }
  return out;
}

bool isExecutableFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec) && ::access(p.c_str(), X_OK) == 0;
}

std::optional<std::string> findOnPath(const std::string& program) {
  if (program.find('/') != std::string::npos)
    return isExecutableFile(program) ? std::optional<std::string>(program) : std::nullopt;
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    if (dir.empty()) continue;  // the current folder is no place to find an application
    fs::path candidate = fs::path(dir) / program;
    if (isExecutableFile(candidate)) return candidate.string();
  }
  return std::nullopt;
}

}  // namespace

std::optional<LaunchCommand> desktopEntryCommand(const std::string& text) {
  std::istringstream in(text);
  bool inEntry = false;
  std::string exec, tryExec, path, hidden;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = std::string(trimmed(line));
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    const size_t eq = line.find('=');
    if (!inEntry || eq == std::string::npos) continue;
    const std::string key(trimmed(line.substr(0, eq))), value = unescapeValue(std::string(trimmed(line.substr(eq + 1))));
    if (key == "Exec") exec = value;
    else if (key == "TryExec") tryExec = value;
    else if (key == "Path") path = value;
    else if (key == "Hidden") hidden = value;
  }
  if (hidden == "true" || exec.empty()) return std::nullopt;
  if (!tryExec.empty() && !findOnPath(tryExec)) return std::nullopt;
  LaunchCommand command{dropFieldCodes(splitExec(exec)), path};
  if (command.arguments.empty() || command.arguments[0].empty()) return std::nullopt;
  return command;
}

std::vector<std::string> applicationFolders() {
  std::vector<std::string> folders;
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if (dataHome && *dataHome == '/') folders.push_back(std::string(dataHome) + "/applications");
  else if (home && *home) folders.push_back(std::string(home) + "/.local/share/applications");
  const char* dataDirs = std::getenv("XDG_DATA_DIRS");
  std::istringstream dirs(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share");
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (!dir.empty() && dir[0] == '/') folders.push_back(dir + "/applications");
  return folders;
}

std::optional<LaunchCommand> findApplication(const std::vector<std::string>& desktopIds,
                                             const std::string& executable) {
  for (const std::string& folder : applicationFolders()) {
    for (const std::string& id : desktopIds) {
      std::ifstream file(fs::path(folder) / (id + ".desktop"));
      if (!file) continue;
      std::ostringstream text;
      text << file.rdbuf();
      if (auto command = desktopEntryCommand(text.str())) return command;
    }
  }
  if (auto program = findOnPath(executable)) return LaunchCommand{{*program}, ""};
  return std::nullopt;
}

bool launchApplicationNamed(const std::string& name, const std::vector<std::string>& extraDesktopIds) {
  const std::string lower = lowercase(name);
  std::vector<std::string> ids{name};
  if (lower != name) ids.push_back(lower);
  ids.insert(ids.end(), extraDesktopIds.begin(), extraDesktopIds.end());

  auto command = findApplication(ids, name);
  if (!command) return false;
  QStringList arguments;
  for (size_t i = 1; i < command->arguments.size(); ++i) arguments << QString::fromStdString(command->arguments[i]);
  return QProcess::startDetached(QString::fromStdString(command->arguments[0]), arguments,
                                 QString::fromStdString(command->workingDirectory));
}

}  // namespace platform::desktop
