#include "platform/Preferences.h"

namespace platform {

Preferences::Preferences(std::string ownDomain, std::shared_ptr<DomainStore> store)
    : ownDomain_(std::move(ownDomain)), store_(std::move(store)) {}

void Preferences::registerDefaults(const PlistValue::Dict& defaults) {
  std::lock_guard lock(mutex_);
  for (const auto& [k, v] : defaults) registered_[k] = v;
}

void Preferences::addSuite(const std::string& domain) {
  std::lock_guard lock(mutex_);
  if (domain == ownDomain_) return;
  for (const auto& s : suites_)
    if (s == domain) return;
  suites_.push_back(domain);
}

void Preferences::synchronize() {
  std::lock_guard lock(mutex_);
  cache_.clear();
}

const PlistValue::Dict& Preferences::cached(const std::string& domain) {
  auto it = cache_.find(domain);
  if (it == cache_.end()) it = cache_.emplace(domain, store_->load(domain).value_or(PlistValue::Dict{})).first;
  return it->second;
}

std::optional<PlistValue> Preferences::objectForKey(const std::string& key) {
  std::lock_guard lock(mutex_);
  const auto& own = cached(ownDomain_);
  if (auto it = own.find(key); it != own.end()) return it->second;
  for (const auto& suite : suites_) {
    const auto& d = cached(suite);
    if (auto it = d.find(key); it != d.end()) return it->second;
  }
  if (auto it = registered_.find(key); it != registered_.end()) return it->second;
  return std::nullopt;
}

bool Preferences::boolForKey(const std::string& key) {
  auto v = objectForKey(key);
  return v && v->toBool();
}

int64_t Preferences::integerForKey(const std::string& key) {
  auto v = objectForKey(key);
  return v ? v->toInteger() : 0;
}

float Preferences::floatForKey(const std::string& key) { return static_cast<float>(doubleForKey(key)); }

double Preferences::doubleForKey(const std::string& key) {
  auto v = objectForKey(key);
  return v ? v->toDouble() : 0;
}

std::optional<Date> Preferences::dateForKey(const std::string& key) {
  auto v = objectForKey(key);
  if (!v || v->kind() != PlistValue::Kind::Date) return std::nullopt;
  return Date{v->real()};
}

std::optional<std::string> Preferences::stringForKey(const std::string& key) {
  auto v = objectForKey(key);
  if (!v) return std::nullopt;
  return v->describe();
}

void Preferences::setObject(const std::string& key, const PlistValue& value) {
  std::lock_guard lock(mutex_);
  store_->update(ownDomain_, [&](PlistValue::Dict& d) { d[key] = value; });
  cached(ownDomain_);
  cache_[ownDomain_][key] = value;
}

void Preferences::removeObject(const std::string& key) {
  std::lock_guard lock(mutex_);
  store_->update(ownDomain_, [&](PlistValue::Dict& d) { d.erase(key); });
  cached(ownDomain_);
  cache_[ownDomain_].erase(key);
}

std::optional<PlistValue::Dict> Preferences::persistentDomain(const std::string& name) {
  std::lock_guard lock(mutex_);
  return store_->load(name);
}

void Preferences::setPersistentDomain(const PlistValue::Dict& contents, const std::string& name) {
  std::lock_guard lock(mutex_);
  store_->save(name, contents);
  cache_.erase(name);
}

void Preferences::updatePersistentDomain(const std::string& name,
                                         const std::function<void(PlistValue::Dict&)>& change) {
  std::lock_guard lock(mutex_);
  store_->update(name, change);
  cache_.erase(name);
}

}  // namespace platform
