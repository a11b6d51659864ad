// The user defaults: reads search the own domain, then the added suites,
// then the registered defaults; writes go to the own domain. Safe to use
// from several threads.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/PlistValue.h"

namespace platform {

// Where persistent domains live (a folder of property lists, or memory).
class DomainStore {
 public:
  virtual ~DomainStore() = default;
  // The stored domain, or nothing when there is none.
  virtual std::optional<PlistValue::Dict> load(const std::string& domain) = 0;
  virtual void save(const std::string& domain, const PlistValue::Dict& contents) = 0;
  // Applies one change to the freshest stored copy under the store's lock,
  // so that concurrent writers never lose each other's keys.
  virtual void update(const std::string& domain, const std::function<void(PlistValue::Dict&)>& change) = 0;
};

class Preferences {
 public:
  Preferences(std::string ownDomain, std::shared_ptr<DomainStore> store);

  const std::string& ownDomain() const { return ownDomain_; }

  void registerDefaults(const PlistValue::Dict& defaults);
  void addSuite(const std::string& domain);
  // Forgets what was read, so the next read sees the stored domains anew.
  void synchronize();

  std::optional<PlistValue> objectForKey(const std::string& key);
  bool boolForKey(const std::string& key);
  int64_t integerForKey(const std::string& key);
  float floatForKey(const std::string& key);
  double doubleForKey(const std::string& key);
  std::optional<Date> dateForKey(const std::string& key);
  // "%@" of the value, or nothing when absent.
  std::optional<std::string> stringForKey(const std::string& key);

  void setObject(const std::string& key, const PlistValue& value);
  void setBool(const std::string& key, bool value) { setObject(key, PlistValue(value)); }
  void setInteger(const std::string& key, int64_t value) { setObject(key, PlistValue(static_cast<long long>(value))); }
  void setFloat(const std::string& key, float value) { setObject(key, PlistValue(static_cast<double>(value))); }
  void setDate(const std::string& key, Date value) { setObject(key, PlistValue(value)); }
  void removeObject(const std::string& key);

  std::optional<PlistValue::Dict> persistentDomain(const std::string& name);
  void setPersistentDomain(const PlistValue::Dict& contents, const std::string& name);
  // Changes the stored domain `name` in one locked read-modify-write, so a
  // writer in another process at the same moment loses nothing.
  void updatePersistentDomain(const std::string& name, const std::function<void(PlistValue::Dict&)>& change);

 private:
  const PlistValue::Dict& cached(const std::string& domain);

  std::recursive_mutex mutex_;
  std::string ownDomain_;
  std::shared_ptr<DomainStore> store_;
  std::vector<std::string> suites_;
  PlistValue::Dict registered_;
  std::map<std::string, PlistValue::Dict> cache_;
};

}  // namespace platform
