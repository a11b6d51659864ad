#include "support/EMKeychainItem.h"

#include <libsecret/secret.h>

#include <cstdio>
#include <functional>
#include <optional>

#include "platform/Utf8.h"

using support::fourCharCode;
using support::fourCharText;
using support::kAuthenticationDefault;
using support::kProtocolFTP;
using support::kProtocolFTPAccount;
using support::keychainString;
using support::KeychainString;

// Decisions where the keychain's own behaviour had to be chosen:
// - A setter given null stores null in the item and leaves the entry as it
//   is (the keyring has no "absent" text), except setPath, which writes ""
//   as a lookup or add of a null path does.
// - setPath takes the item's lock like every other setter: the lock costs
//   nothing and an unguarded write would race with the getters.
// - The entry reference is released when the item is destroyed.
// - Adding an entry that already exists fails (null), as the platform's
//   keychain refuses duplicates, instead of storing a second copy.
// - The label of a new entry is its service name (generic) or its server
//   (internet), which is what a keyring browser shows.
// Nothing here logs: neither failures nor, above all, passwords.

namespace {

const SecretSchema kGenericSchema = {
    "org.tarvel.GenericPassword",
    SECRET_SCHEMA_DONT_MATCH_NAME,
    {{"service", SECRET_SCHEMA_ATTRIBUTE_STRING}, {"account", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, {}}},
    0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

const SecretSchema kInternetSchema = {"org.tarvel.InternetPassword",
                                      SECRET_SCHEMA_DONT_MATCH_NAME,
                                      {{"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"path", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"port", SECRET_SCHEMA_ATTRIBUTE_INTEGER},
                                       {"protocol", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"authtype", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {nullptr, {}}},
                                      0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

template <typename T>
struct GUnref {
  void operator()(T* p) const { g_object_unref(p); }
};
template <typename T>
using GPtr = std::unique_ptr<T, GUnref<T>>;

struct HashUnref {
  void operator()(GHashTable* t) const { g_hash_table_unref(t); }
};
using Attributes = std::unique_ptr<GHashTable, HashUnref>;

struct ValueUnref {
  void operator()(SecretValue* v) const { secret_value_unref(v); }
};

// Collects a GError and frees it; the status is not passed on.
struct ErrorSlot {
  GError* error = nullptr;
  ~ErrorSlot() {
    if (error) g_error_free(error);
  }
  GError** operator&() { return &error; }
};

Attributes newAttributes() { return Attributes(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free)); }

void put(GHashTable* t, const char* key, const std::string& value) {
  g_hash_table_replace(t, g_strdup(key), g_strdup(value.c_str()));
}

std::string portText(int64_t port) { return std::to_string(static_cast<uint16_t>(port)); }

struct Found {
  GPtr<SecretItem> item;
  KeychainString password;
};

// The first entry with these attributes, its secret loaded; nothing when
// there is none or the secret cannot be had.
std::optional<Found> findFirst(const SecretSchema* schema, GHashTable* attributes) {
  ErrorSlot error;
  GList* items = secret_service_search_sync(
      nullptr, schema, attributes, static_cast<SecretSearchFlags>(SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS),
      nullptr, &error);
  if (!items) return std::nullopt;
  GPtr<SecretItem> first(SECRET_ITEM(g_object_ref(items->data)));
  g_list_free_full(items, g_object_unref);
  std::unique_ptr<SecretValue, ValueUnref> value(secret_item_get_secret(first.get()));
  if (!value) return std::nullopt;
  gsize length = 0;
  const gchar* bytes = secret_value_get(value.get(), &length);
  Found found{std::move(first), nullptr};
  // A password that is not UTF-8 text leaves the item without one.
  if (bytes && platform::isValidUtf8(std::string_view(bytes, length)))
    found.password = keychainString(std::string(bytes, length));
  return found;
}

GPtr<SecretItem> create(const SecretSchema* schema, GHashTable* attributes, const std::string& label,
                        const std::string& password) {
  if (findFirst(schema, attributes)) return nullptr;
  ErrorSlot error;
  GPtr<SecretService> service(secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &error));
  if (!service) return nullptr;
  GPtr<SecretCollection> collection(secret_collection_for_alias_sync(service.get(), SECRET_COLLECTION_DEFAULT,
                                                                     SECRET_COLLECTION_NONE, nullptr, &error));
  if (!collection) return nullptr;
  std::unique_ptr<SecretValue, ValueUnref> value(secret_value_new(password.data(), static_cast<gssize>(password.size()),
                                                                  "text/plain"));
  return GPtr<SecretItem>(secret_item_create_sync(collection.get(), schema, attributes, label.c_str(), value.get(),
                                                  SECRET_ITEM_CREATE_NONE, nullptr, &error));
}

const char* attributeName(uint32_t tag) {
  switch (tag) {
    case fourCharCode("acct"): return "account";
    case fourCharCode("svce"): return "service";
    case fourCharCode("srvr"): return "server";
    case fourCharCode("path"): return "path";
    case fourCharCode("port"): return "port";
    case fourCharCode("ptcl"): return "protocol";
    default: return nullptr;
  }
}

std::mutex& classLock() {
  static std::mutex m;
  return m;
}
bool gLogsErrors = false;

// The default collection, for lock and unlock.
void withDefaultCollection(const std::function<void(SecretService*, GList*)>& action) {
  ErrorSlot error;
  GPtr<SecretService> service(secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &error));
  if (!service) return;
  GPtr<SecretCollection> collection(secret_collection_for_alias_sync(service.get(), SECRET_COLLECTION_DEFAULT,
                                                                     SECRET_COLLECTION_NONE, nullptr, &error));
  if (!collection) return;
  GList objects = {collection.get(), nullptr, nullptr};
  action(service.get(), &objects);
}

}  // namespace

std::string support::fourCharText(uint32_t code) {
  char c[4] = {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
  bool printable = true;
  for (char ch : c) printable = printable && ch >= 0x20 && ch < 0x7f;
  if (printable) return std::string(c, 4);
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", code);
  return buf;
}

// ---- EMKeychainItem

void EMKeychainItem::ItemUnref::operator()(_SecretItem* item) const { g_object_unref(item); }

EMKeychainItem::EMKeychainItem(ItemRef item, KeychainString username, KeychainString password)
    : mUsername(std::move(username)), mPassword(std::move(password)), mCoreKeychainItem(std::move(item)) {}

EMKeychainItem::~EMKeychainItem() = default;

void EMKeychainItem::lockKeychain() {
  withDefaultCollection([](SecretService* service, GList* objects) {
    ErrorSlot error;
    secret_service_lock_sync(service, objects, nullptr, nullptr, &error);
  });
}

void EMKeychainItem::unlockKeychain() {
  withDefaultCollection([](SecretService* service, GList* objects) {
    ErrorSlot error;
    secret_service_unlock_sync(service, objects, nullptr, nullptr, &error);
  });
}

bool EMKeychainItem::logsErrors() {
  std::lock_guard lock(classLock());
  return gLogsErrors;
}

void EMKeychainItem::setLogsErrors(bool on) {
  std::lock_guard lock(classLock());
  if (gLogsErrors != on) gLogsErrors = on;
}

KeychainString EMKeychainItem::username() {
  std::lock_guard lock(mutex_);
  return mUsername;
}

KeychainString EMKeychainItem::password() {
  std::lock_guard lock(mutex_);
  return mPassword;
}

KeychainString EMKeychainItem::label() {
  std::lock_guard lock(mutex_);
  return mLabel;
}

void EMKeychainItem::setUsername(KeychainString value) {
  std::lock_guard lock(mutex_);
  if (value == mUsername) return;
  mUsername = std::move(value);
  if (mUsername) modifyAttribute(fourCharCode("acct"), *mUsername);
}

void EMKeychainItem::setLabel(KeychainString value) {
  std::lock_guard lock(mutex_);
  if (value == mLabel) return;
  mLabel = std::move(value);
  if (mLabel) modifyAttribute(fourCharCode("labl"), *mLabel);
}

void EMKeychainItem::setPassword(KeychainString value) {
  std::lock_guard lock(mutex_);
  if (value == mPassword) return;
  mPassword = std::move(value);
  if (!mPassword || !mCoreKeychainItem) return;
  std::unique_ptr<SecretValue, ValueUnref> secret(
      secret_value_new(mPassword->data(), static_cast<gssize>(mPassword->size()), "text/plain"));
  ErrorSlot error;
  secret_item_set_secret_sync(mCoreKeychainItem.get(), secret.get(), nullptr, &error);
}

void EMKeychainItem::modifyAttribute(uint32_t tag, const std::string& value) {
  if (!mCoreKeychainItem) return;
  ErrorSlot error;
  if (tag == fourCharCode("labl")) {
    secret_item_set_label_sync(mCoreKeychainItem.get(), value.c_str(), nullptr, &error);
    return;
  }
  const char* name = attributeName(tag);
  if (!name) return;
  // The keyring replaces the whole attribute set, so the others are
  // carried over from the entry as it stands.
  Attributes attributes(secret_item_get_attributes(mCoreKeychainItem.get()));
  if (!attributes) attributes = newAttributes();
  put(attributes.get(), name, value);
  secret_item_set_attributes_sync(mCoreKeychainItem.get(), nullptr, attributes.get(), nullptr, &error);
}

void EMKeychainItem::removeFromKeychain() {
  std::lock_guard lock(mutex_);
  if (!mCoreKeychainItem) return;
  ErrorSlot error;
  if (secret_item_delete_sync(mCoreKeychainItem.get(), nullptr, &error)) mCoreKeychainItem.reset();
}

// ---- EMGenericKeychainItem

EMGenericKeychainItem::EMGenericKeychainItem(Made, ItemRef item, KeychainString serviceName, KeychainString username,
                                             KeychainString password)
    : EMKeychainItem(std::move(item), std::move(username), std::move(password)),
      mServiceName(std::move(serviceName)) {}

namespace {
Attributes genericAttributes(const std::string& service, const std::string& account) {
  Attributes a = newAttributes();
  put(a.get(), "service", service);
  put(a.get(), "account", account);
  return a;
}
}  // namespace

std::shared_ptr<EMGenericKeychainItem> EMGenericKeychainItem::genericKeychainItemForService(
    const KeychainString& serviceName, const KeychainString& username) {
  if (!serviceName || !username) return nullptr;
  Attributes attributes = genericAttributes(*serviceName, *username);
  auto found = findFirst(&kGenericSchema, attributes.get());
  if (!found) return nullptr;
  return std::make_shared<EMGenericKeychainItem>(Made{}, ItemRef(found->item.release()), serviceName, username,
                                                 std::move(found->password));
}

std::shared_ptr<EMGenericKeychainItem> EMGenericKeychainItem::addGenericKeychainItemForService(
    const KeychainString& serviceName, const KeychainString& username, const KeychainString& password) {
  if (!serviceName || !username || !password) return nullptr;
  Attributes attributes = genericAttributes(*serviceName, *username);
  GPtr<SecretItem> item = create(&kGenericSchema, attributes.get(), *serviceName, *password);
  if (!item) return nullptr;
  return std::make_shared<EMGenericKeychainItem>(Made{}, ItemRef(item.release()), serviceName, username, password);
}

KeychainString EMGenericKeychainItem::serviceName() {
  std::lock_guard lock(mutex_);
  return mServiceName;
}

void EMGenericKeychainItem::setServiceName(KeychainString value) {
  std::lock_guard lock(mutex_);
  if (value == mServiceName) return;
  mServiceName = std::move(value);
  if (mServiceName) modifyAttribute(fourCharCode("svce"), *mServiceName);
}

// ---- EMInternetKeychainItem

EMInternetKeychainItem::EMInternetKeychainItem(Made, ItemRef item, KeychainString server, KeychainString username,
                                               KeychainString password, KeychainString path, int64_t port,
                                               uint32_t protocol)
    : EMKeychainItem(std::move(item), std::move(username), std::move(password)),
      mServer(std::move(server)),
      mPath(std::move(path)),
      mPort(port),
      mProtocol(protocol) {}

namespace {
Attributes internetAttributes(const std::string& server, const std::string& account, const KeychainString& path,
                              int64_t port, uint32_t protocol) {
  Attributes a = newAttributes();
  put(a.get(), "server", server);
  put(a.get(), "account", account);
  put(a.get(), "path", path ? *path : "");
  put(a.get(), "port", portText(port));
  put(a.get(), "protocol", fourCharText(protocol));
  return a;
}
}  // namespace

std::shared_ptr<EMInternetKeychainItem> EMInternetKeychainItem::internetKeychainItemForServer(
    const KeychainString& server, const KeychainString& username, const KeychainString& path, int64_t port,
    uint32_t protocol) {
  if (!server || !username) return nullptr;
  // No "authtype" in the search: any authentication type matches.
  Attributes attributes = internetAttributes(*server, *username, path, port, protocol);
  auto found = findFirst(&kInternetSchema, attributes.get());
  if (protocol == kProtocolFTP && !found) {
    protocol = kProtocolFTPAccount;
    attributes = internetAttributes(*server, *username, path, port, protocol);
    found = findFirst(&kInternetSchema, attributes.get());
  }
  if (!found) return nullptr;
  return std::make_shared<EMInternetKeychainItem>(Made{}, ItemRef(found->item.release()), server, username,
                                                  std::move(found->password), path, port, protocol);
}

std::shared_ptr<EMInternetKeychainItem> EMInternetKeychainItem::addInternetKeychainItemForServer(
    const KeychainString& server, const KeychainString& username, const KeychainString& password,
    const KeychainString& path, int64_t port, uint32_t protocol) {
  if (!server || !username || !password) return nullptr;
  Attributes attributes = internetAttributes(*server, *username, path, port, protocol);
  put(attributes.get(), "authtype", fourCharText(kAuthenticationDefault));
  GPtr<SecretItem> item = create(&kInternetSchema, attributes.get(), *server, *password);
  if (!item) return nullptr;
  return std::make_shared<EMInternetKeychainItem>(Made{}, ItemRef(item.release()), server, username, password, path,
                                                  port, protocol);
}

KeychainString EMInternetKeychainItem::server() {
  std::lock_guard lock(mutex_);
  return mServer;
}

KeychainString EMInternetKeychainItem::path() {
  std::lock_guard lock(mutex_);
  return mPath;
}

int64_t EMInternetKeychainItem::port() {
  std::lock_guard lock(mutex_);
  return mPort;
}

uint32_t EMInternetKeychainItem::protocol() {
  std::lock_guard lock(mutex_);
  return mProtocol;
}

void EMInternetKeychainItem::setServer(KeychainString value) {
  std::lock_guard lock(mutex_);
  if (value == mServer) return;
  mServer = std::move(value);
  if (mServer) modifyAttribute(fourCharCode("srvr"), *mServer);
}

void EMInternetKeychainItem::setPath(KeychainString value) {
  std::lock_guard lock(mutex_);
  if (value == mPath) return;
  mPath = std::move(value);
  modifyAttribute(fourCharCode("path"), mPath ? *mPath : "");
}

void EMInternetKeychainItem::setPort(int64_t value) {
  std::lock_guard lock(mutex_);
  if (value == mPort) return;
  mPort = value;
  // The entry keeps the low 32 bits, as an unsigned number.
  modifyAttribute(fourCharCode("port"), std::to_string(static_cast<uint32_t>(value)));
}

void EMInternetKeychainItem::setProtocol(uint32_t value) {
  std::lock_guard lock(mutex_);
  if (value == mProtocol) return;
  mProtocol = value;
  modifyAttribute(fourCharCode("ptcl"), fourCharText(value));
}
