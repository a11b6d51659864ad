// Keychain items against a real Secret Service: a headless gnome-keyring
// on the test's private session bus, checked with `secret-tool`.
#include "support/EMKeychainItem.h"

#include <gtest/gtest.h>

#include "tests/support/Keyring.h"
#include "tests/support/TestPlatform.h"

using testing_support::runProcess;

namespace {

class KeyringTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(keyring.ok()) << "no Secret Service"; }

  static std::optional<std::string> lookup(const std::vector<std::string>& attributes) {
    return testing_support::Keyring::lookup(attributes);
  }
  static void store(const std::string& password, const std::vector<std::string>& attributes) {
    ASSERT_TRUE(testing_support::Keyring::store("by secret-tool", password, attributes));
  }
  static std::string search(std::vector<std::string> attributes) {
    attributes.insert(attributes.begin(), {"/usr/bin/secret-tool", "search", "--all"});
    auto r = runProcess(attributes);
    return r.out + r.err;
  }

  testing_support::ScratchDir scratch;
  testing_support::Keyring keyring{scratch.path()};
};

support::KeychainString S(const std::string& s) { return support::keychainString(s); }

}  // namespace

TEST_F(KeyringTest, GenericItemsAreSharedWithSecretTool) {
  // Non-ASCII text goes in with its UTF-8 byte length.
  auto user = S("jörg"), service = S("Tarvel (SMTP): jörg"), password = S("pässwörd ✓");
  auto added = EMGenericKeychainItem::addGenericKeychainItemForService(service, user, password);
  ASSERT_TRUE(added);
  EXPECT_EQ(lookup({"service", *service, "account", *user}), *password);
  EXPECT_FALSE(EMGenericKeychainItem::addGenericKeychainItemForService(service, user, S("again")));  // no duplicate

  store("from the tool", {"service", "Tarvel (SMTP): ann", "account", "ann"});
  auto found = EMGenericKeychainItem::genericKeychainItemForService(S("Tarvel (SMTP): ann"), S("ann"));
  ASSERT_TRUE(found);
  EXPECT_EQ(*found->password(), "from the tool");
  EXPECT_EQ(*found->serviceName(), "Tarvel (SMTP): ann");
  EXPECT_EQ(*found->username(), "ann");
  EXPECT_FALSE(found->label());  // filled only by setLabel

  EXPECT_FALSE(EMGenericKeychainItem::genericKeychainItemForService(S("Tarvel (SMTP): ann"), S("bob")));
  EXPECT_FALSE(EMGenericKeychainItem::genericKeychainItemForService(nullptr, S("ann")));
  EXPECT_FALSE(EMGenericKeychainItem::genericKeychainItemForService(S("x"), nullptr));
  EXPECT_FALSE(EMGenericKeychainItem::addGenericKeychainItemForService(S("x"), S("y"), nullptr));
}

TEST_F(KeyringTest, SettersWriteThroughUnlessGivenTheVeryStringHeld) {
  auto item = EMGenericKeychainItem::addGenericKeychainItemForService(S("svc"), S("acct"), S("first"));
  ASSERT_TRUE(item);
  store("changed outside", {"service", "svc", "account", "acct"});

  item->setPassword(item->password());  // the identical object: nothing written
  EXPECT_EQ(lookup({"service", "svc", "account", "acct"}), "changed outside");
  item->setPassword(S("first"));  // equal text, another object: written again
  EXPECT_EQ(lookup({"service", "svc", "account", "acct"}), "first");

  item->setUsername(S("acct2"));
  item->setServiceName(S("svc2"));
  item->setLabel(S("Mail account"));
  EXPECT_EQ(lookup({"service", "svc2", "account", "acct2"}), "first");
  EXPECT_FALSE(lookup({"service", "svc", "account", "acct"}));
  EXPECT_NE(search({"service", "svc2"}).find("label = Mail account"), std::string::npos);
  EXPECT_EQ(*item->label(), "Mail account");

  item->removeFromKeychain();
  EXPECT_FALSE(lookup({"service", "svc2", "account", "acct2"}));
  EXPECT_FALSE(EMGenericKeychainItem::genericKeychainItemForService(S("svc2"), S("acct2")));
  item->setPassword(S("after removal"));  // kept in the object, written nowhere
  EXPECT_EQ(*item->password(), "after removal");
}

TEST_F(KeyringTest, InternetItemsSearchLow16BitsOfThePortAndRetryFtpAsFtpAccount) {
  auto added = EMInternetKeychainItem::addInternetKeychainItemForServer(S("ftp.example.org"), S("me"), S("pw"),
                                                                        nullptr, 21, support::kProtocolFTPAccount);
  ASSERT_TRUE(added);
  EXPECT_EQ(lookup({"server", "ftp.example.org", "account", "me", "port", "21", "protocol", "ftpa", "path", "",
                    "authtype", "dflt"}),
            "pw");

  // 65557 is 65536 + 21; 'ftp ' finds nothing and is retried as 'ftpa'.
  auto found = EMInternetKeychainItem::internetKeychainItemForServer(S("ftp.example.org"), S("me"), nullptr, 65557,
                                                                     support::kProtocolFTP);
  ASSERT_TRUE(found);
  EXPECT_EQ(*found->password(), "pw");
  EXPECT_EQ(found->port(), 65557);
  EXPECT_EQ(found->protocol(), support::kProtocolFTPAccount);
  EXPECT_EQ(found->path(), nullptr);
  EXPECT_TRUE(EMInternetKeychainItem::internetKeychainItemForServer(S("ftp.example.org"), S("me"), S(""), 21,
                                                                    support::kProtocolFTPAccount));
  EXPECT_FALSE(EMInternetKeychainItem::internetKeychainItemForServer(S("ftp.example.org"), S("me"), nullptr, 22,
                                                                     support::kProtocolFTP));
  EXPECT_FALSE(EMInternetKeychainItem::internetKeychainItemForServer(S("ftp.example.org"), S("me"), S("/x"), 21,
                                                                     support::kProtocolFTPAccount));

  found->setPort(65557);  // equal: nothing
  found->setPort(70000);  // the entry keeps the low 32 bits
  found->setProtocol(support::fourCharCode("smtp"));
  found->setPath(S("/inbox"));
  found->setServer(S("mail.example.org"));
  EXPECT_EQ(lookup({"server", "mail.example.org", "account", "me", "port", "70000", "protocol", "smtp", "path",
                    "/inbox"}),
            "pw");
  EXPECT_EQ(support::fourCharText(support::kProtocolFTP), "ftp ");
  EXPECT_EQ(support::fourCharText(0), "0x00000000");
}

TEST_F(KeyringTest, LockingTheDefaultCollectionHidesItsSecrets) {
  ASSERT_TRUE(EMGenericKeychainItem::addGenericKeychainItemForService(S("svc"), S("acct"), S("pw")));
  EMKeychainItem::lockKeychain();
  // Locked, a search finds the entry but cannot read it without the user.
  auto r = runProcess({"/usr/bin/secret-tool", "search", "service", "svc"});
  EXPECT_EQ(r.out.find("secret = pw"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("locked object"), std::string::npos) << r.err;
  // Unlocking asks the user through the desktop's prompter; there is none
  // here, and the call comes back without one.
  EMKeychainItem::unlockKeychain();
}
