// Passwords in the user's keyring (the Secret Service, through libsecret)
// as objects: a class operation finds or adds an entry and returns an item
// holding a copy of its attributes and password; each setter writes its
// change straight through to the entry.
//
// Entries: generic passwords carry the attributes {service, account};
// internet passwords {server, account, path, port, protocol, authtype}.
// Lookups match on attributes only (not on the schema name), so an entry
// stored with `secret-tool store service S account A` is found here, and
// one added here is found by `secret-tool lookup service S account A`.
//
// Texts are immutable shared strings and null stands for "none". A setter
// does nothing when handed the very string object the item already holds
// (the getters hand out that object), and writes through again for an
// equal but distinct one: identity, not equality, as for the platform's
// immutable strings. All lengths given to the keyring are byte lengths.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

struct _SecretItem;

namespace support {

using KeychainString = std::shared_ptr<const std::string>;
inline KeychainString keychainString(std::string s) { return std::make_shared<const std::string>(std::move(s)); }

// A four-character code: the 32-bit number whose bytes, from the most
// significant, are the four characters ('ftp ' -> 0x66747020).
constexpr uint32_t fourCharCode(const char (&c)[5]) {
  return (uint32_t(uint8_t(c[0])) << 24) | (uint32_t(uint8_t(c[1])) << 16) | (uint32_t(uint8_t(c[2])) << 8) |
         uint32_t(uint8_t(c[3]));
}
// The code as its four characters when they are printable, else "0x%08X".
std::string fourCharText(uint32_t code);

inline constexpr uint32_t kProtocolFTP = fourCharCode("ftp ");
inline constexpr uint32_t kProtocolFTPAccount = fourCharCode("ftpa");
inline constexpr uint32_t kAuthenticationDefault = fourCharCode("dflt");

}  // namespace support

class EMKeychainItem {
 public:
  using KeychainString = support::KeychainString;

  virtual ~EMKeychainItem();
  EMKeychainItem(const EMKeychainItem&) = delete;
  EMKeychainItem& operator=(const EMKeychainItem&) = delete;

  // Locks / unlocks the default collection; unlocking lets the keyring ask
  // the user. Failures are ignored.
  static void lockKeychain();
  static void unlockKeychain();
  static bool logsErrors();
  static void setLogsErrors(bool on);

  KeychainString username();
  KeychainString password();
  KeychainString label();
  void setUsername(KeychainString value);
  void setPassword(KeychainString value);
  void setLabel(KeychainString value);

  // Deletes the entry; on success the item no longer stands for one.
  void removeFromKeychain();

 protected:
  struct ItemUnref {
    void operator()(_SecretItem* item) const;
  };
  using ItemRef = std::unique_ptr<_SecretItem, ItemUnref>;

  EMKeychainItem(ItemRef item, KeychainString username, KeychainString password);

  // Writes one attribute ('acct', 'labl', 'svce', 'srvr', 'path', 'port',
  // 'ptcl') of the entry as text; failures are ignored. Call with mutex_.
  void modifyAttribute(uint32_t tag, const std::string& value);

  std::mutex mutex_;
  KeychainString mUsername;
  KeychainString mPassword;
  KeychainString mLabel;
  ItemRef mCoreKeychainItem;
};

class EMGenericKeychainItem : public EMKeychainItem {
 public:
  // Null when an argument is null or nothing matches.
  static std::shared_ptr<EMGenericKeychainItem> genericKeychainItemForService(const KeychainString& serviceName,
                                                                               const KeychainString& username);
  // Null when an argument is null or the keyring refused (also when the
  // entry exists already).
  static std::shared_ptr<EMGenericKeychainItem> addGenericKeychainItemForService(const KeychainString& serviceName,
                                                                                  const KeychainString& username,
                                                                                  const KeychainString& password);

  KeychainString serviceName();
  void setServiceName(KeychainString value);

 private:
  struct Made {  // only the class operations make items
    explicit Made() = default;
  };

 public:
  EMGenericKeychainItem(Made, ItemRef item, KeychainString serviceName, KeychainString username,
                        KeychainString password);

 private:
  KeychainString mServiceName;
};

class EMInternetKeychainItem : public EMKeychainItem {
 public:
  // A null or empty path is looked for as "". With protocol 'ftp ', a
  // failed lookup is tried once more as 'ftpa', and the item then carries
  // 'ftpa'. Only the port's low 16 bits take part in the search.
  static std::shared_ptr<EMInternetKeychainItem> internetKeychainItemForServer(const KeychainString& server,
                                                                                const KeychainString& username,
                                                                                const KeychainString& path,
                                                                                int64_t port, uint32_t protocol);
  static std::shared_ptr<EMInternetKeychainItem> addInternetKeychainItemForServer(
      const KeychainString& server, const KeychainString& username, const KeychainString& password,
      const KeychainString& path, int64_t port, uint32_t protocol);

  KeychainString server();
  KeychainString path();
  int64_t port();
  uint32_t protocol();
  void setServer(KeychainString value);
  void setPath(KeychainString value);
  void setPort(int64_t value);
  void setProtocol(uint32_t value);

 private:
  struct Made {  // only the class operations make items
    explicit Made() = default;
  };

 public:
  EMInternetKeychainItem(Made, ItemRef item, KeychainString server, KeychainString username, KeychainString password,
                         KeychainString path, int64_t port, uint32_t protocol);

 private:
  KeychainString mServer;
  KeychainString mPath;
  int64_t mPort;
  uint32_t mProtocol;
};
