#include "app/cli/DefaultsCommand.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/Domains.h"
#include "platform/Text.h"
#include "platform/linux/PlistDomainStore.h"

namespace cli {

using platform::PlistValue;

namespace {

class StreamLog : public platform::Log {
 public:
  explicit StreamLog(std::ostream& out) : out_(out) {}
  void write(const std::string& message) override { out_ << message << '\n'; }

 private:
  std::ostream& out_;
};

const char* kUsage =
    "usage: tarvel defaults read DOMAIN [KEY]\n"
    "       tarvel defaults write DOMAIN KEY [-string|-bool|-int|-float] VALUE\n"
    "       tarvel defaults delete DOMAIN [KEY]\n"
    "       tarvel defaults domains\n"
    "A running monitor reads changes after `tarvel notify TRPrefsChanged`.\n";

// Unquoted when the text is a plain word, as the macOS tool prints it.
std::string quoted(const std::string& s) {
  bool plain = !s.empty();
  for (unsigned char c : s)
    if (!std::isalnum(c) && c != '_' && c != '.' && c != '-' && c != '/') plain = false;
  if (plain) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

std::string dateText(double secondsSince1970) {
  std::time_t t = static_cast<std::time_t>(std::floor(secondsSince1970));
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[40];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S +0000", &tm);
  return buf;
}

std::string scalarText(const PlistValue& v, bool nested) {
  char buf[64];
  switch (v.kind()) {
    case PlistValue::Kind::Boolean: return v.boolean() ? "1" : "0";
    case PlistValue::Kind::Integer:
    case PlistValue::Kind::Real: return v.describe();
    case PlistValue::Kind::Date: return dateText(v.real());
    case PlistValue::Kind::String: return nested ? quoted(v.string()) : v.string();
    case PlistValue::Kind::Data: {
      std::string out = "{length = " + std::to_string(v.data().size()) + ", bytes = 0x";
      for (uint8_t b : v.data()) {
        std::snprintf(buf, sizeof buf, "%02x", b);
        out += buf;
      }
      return out + "}";
    }
    default: return {};
  }
}

std::string text(const PlistValue& value, int indent, bool nested) {
  std::string pad(static_cast<size_t>(indent) * 4, ' ');
  std::string inner(static_cast<size_t>(indent + 1) * 4, ' ');
  if (value.kind() == PlistValue::Kind::Dict) {
    std::string out = "{\n";
    for (const auto& [k, v] : value.dict()) out += inner + quoted(k) + " = " + text(v, indent + 1, true) + ";\n";
    return out + pad + "}";
  }
  if (value.kind() == PlistValue::Kind::Array) {
    std::string out = "(\n";
    const auto& items = value.array();
    for (size_t i = 0; i < items.size(); ++i)
      out += inner + text(items[i], indent + 1, true) + (i + 1 < items.size() ? ",\n" : "\n");
    return out + pad + ")";
  }
  return scalarText(value, nested);
}

std::optional<PlistValue> parseTyped(const std::string& type, const std::string& word, std::string& problem) {
  if (type == "-string") return PlistValue(word);
  if (type == "-bool" || type == "-boolean") {
    const std::string w = platform::lowercase(word);
    if (w == "yes" || w == "true" || w == "1") return PlistValue(true);
    if (w == "no" || w == "false" || w == "0") return PlistValue(false);
    problem = "\"" + word + "\" is not a boolean (use YES, NO, true, false, 1 or 0)";
    return std::nullopt;
  }
  if (type == "-int" || type == "-integer") {
    errno = 0;
    char* end = nullptr;
    long long n = std::strtoll(word.c_str(), &end, 10);
    if (word.empty() || *end || errno == ERANGE) {
      problem = "\"" + word + "\" is not an integer";
      return std::nullopt;
    }
    return PlistValue(n);
  }
  if (type == "-float") {
    errno = 0;
    char* end = nullptr;
    double d = std::strtod(word.c_str(), &end);
    if (word.empty() || *end || errno == ERANGE || !std::isfinite(d)) {
      problem = "\"" + word + "\" is not a number";
      return std::nullopt;
    }
    return PlistValue(d);
  }
  problem = "unknown value type " + type;
  return std::nullopt;
}

std::string missingPair(const std::string& domain, const std::string& key) {
  return "The domain/default pair of (" + domain + ", " + key + ") does not exist";
}

}  // namespace

std::string defaultsText(const PlistValue& value, int indent) { return text(value, indent, false); }

int runDefaultsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  auto usage = [&] {
    err << kUsage;
    return 2;
  };
  if (args.empty()) return usage();
  const std::string& verb = args[0];
  if (verb == "domains") {
    if (args.size() != 1) return usage();
    out << platform::kMenuItemDomain << ", " << platform::kMainAppDomain << '\n';
    return 0;
  }
  if (verb != "read" && verb != "write" && verb != "delete") return usage();
  if (args.size() < 2) return usage();
  const std::string& domain = args[1];
  if (!platform::real::isValidDomainName(domain)) {
    err << "\"" << domain << "\" is not a domain name\n";
    return 2;
  }
  StreamLog log(err);
  platform::real::PlistDomainStore store(platform::real::defaultPreferencesFolder(), &log);

  if (verb == "read") {
    if (args.size() > 3) return usage();
    auto dict = store.load(domain);
    if (args.size() == 2) {
      if (!dict) {
        err << "Domain " << domain << " does not exist\n";
        return 1;
      }
      out << defaultsText(PlistValue(*dict)) << '\n';
      return 0;
    }
    const std::string& key = args[2];
    auto it = dict ? dict->find(key) : PlistValue::Dict::iterator{};
    if (!dict || it == dict->end()) {
      err << missingPair(domain, key) << '\n';
      return 1;
    }
    out << defaultsText(it->second) << '\n';
    return 0;
  }

  if (verb == "write") {
    if (args.size() != 4 && args.size() != 5) return usage();
    std::string problem;
    auto value = args.size() == 4 ? std::optional<PlistValue>(args[3]) : parseTyped(args[3], args[4], problem);
    if (!value) {
      err << "Cannot write " << args[2] << ": " << problem << '\n';
      return args.size() == 5 && args[3].rfind("-", 0) == 0 && problem.rfind("unknown", 0) == 0 ? 2 : 1;
    }
    return store.modify(domain, [&](PlistValue::Dict& d) { d[args[2]] = *value; }) ? 0 : 1;
  }

  // delete
  if (args.size() > 3) return usage();
  if (args.size() == 2) {
    if (!store.remove(domain)) {
      err << "Domain (" << domain << ") not found.\nDefaults have not been changed.\n";
      return 1;
    }
    return 0;
  }
  const std::string& key = args[2];
  auto dict = store.load(domain);
  if (!dict || !dict->count(key)) {
    err << missingPair(domain, key) << '\n';
    return 1;
  }
  return store.modify(domain, [&](PlistValue::Dict& d) { d.erase(key); }) ? 0 : 1;
}

}  // namespace cli
