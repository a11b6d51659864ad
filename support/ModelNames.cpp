#include "support/ModelNames.h"

#include <map>

#include "platform/Format.h"

namespace support {

const std::vector<ModelEntry>& modelTableEntries() {
  static const std::vector<ModelEntry> entries = {
      // old-style
      {"AAPL,8500", "PowerMac 8500"},
      {"AAPL,9500", "PowerMac 9500"},
      {"AAPL,7200", "PowerMac 7200"},
      {"AAPL,7300", "PowerMac 7300"},
      {"AAPL,7500", "PowerMac 7500"},
      {"AAPL,ShinerESB", "Network Server (ShinerESB)"},
      {"AAPL,e407", "Alchemy(Performa 6400 logic-board design)"},
      {"AAPL,e411", "Gazelle(Performa 6500 logic-board design)"},
      {"AAPL,3400/2400", "PowerBook 3400 or 2400"},
      {"AAPL,3500", "PowerBook 3500"},
      {"AAPL,Gossamer", "PowerMac G3 (Gossamer)"},
      {"AAPL,PowerMac G3", "PowerMac G3"},
      {"AAPL,PowerBook1998", "PowerBook G3 (Wallstreet)"},
      {"AAPL", "Yikes! Old machine"},
      // portable, older
      {"PowerBook1,1", "PowerBook G3 (Lombard)"},
      {"PowerBook2,1", "iBook (first generation)"},
      {"PowerBook2,2", "iBook (FireWire)"},
      {"PowerBook3,1", "PowerBook G3 (Pismo)"},
      {"PowerBook3,2", "PowerBook G4 (Titanium)"},
      {"PowerBook3,3", "PowerBook G4 (Titanium, Gigabit Ethernet)"},
      {"PowerBook3,4", "PowerBook G4 (Titanium, DVI)"},
      {"PowerBook3,5", "PowerBook G4 (Titanium, 867 MHz or 1 GHz)"},
      {"PowerBook4,1", "iBook G3 (Dual USB, 2001)"},
      {"PowerBook4,2", "iBook G3 (14-inch, 2002)"},
      {"PowerBook4,3", "iBook G3 (Late 2002)"},
      {"PowerBook4,4", "iBook G3 (Early 2003)"},
      {"PowerBook5,1", "PowerBook G4 (17-inch)"},
      {"PowerBook5,2", "PowerBook G4 (15-inch, FW800)"},
      {"PowerBook5,3", "PowerBook G4 (17-inch, 1.33 GHz)"},
      {"PowerBook5,4", "PowerBook G4 (15-inch, 1.33 or 1.5 GHz)"},
      {"PowerBook5,5", "PowerBook G4 (17-inch, 1.5 GHz)"},
      {"PowerBook5,6", "PowerBook G4 (15-inch, 1.5 or 1.67 GHz)"},
      {"PowerBook5,7", "PowerBook G4 (17-inch, 1.67 GHz)"},
      {"PowerBook5,8", "PowerBook G4 (15-inch, Double-Layer SD)"},
      {"PowerBook5,9", "PowerBook G4 (17-inch, Double-Layer SD)"},
      {"PowerBook6,1", "PowerBook G4 (12-inch)"},
      {"PowerBook6,2", "PowerBook G4 (12-inch, DVI)"},
      {"PowerBook6,3", "iBook G4"},
      {"PowerBook6,4", "PowerBook G4 (12-inch, 1.33 GHz)"},
      {"PowerBook6,5", "iBook G4"},
      {"PowerBook6,7", "iBook G4"},
      {"PowerBook6,8", "PowerBook G4 (12-inch, 1.5 GHz)"},
      {"PowerBook", "PowerBook or iBook"},
      // desktop, older
      {"PowerMac1,1", "PowerMac G3 (Blue and White)"},
      {"PowerMac1,2", "PowerMac G4 (PCI Graphics)"},
      {"PowerMac2,1", "iMac G3 (Slot-loading)"},
      {"PowerMac2,2", "iMac G3 (Summer 2000)"},
      {"PowerMac3,1", "PowerMac G4 (AGP Graphics)"},
      {"PowerMac3,2", "PowerMac G4 (AGP Graphics, 2000)"},
      {"PowerMac3,3", "PowerMac G4 (Gigabit Ethernet)"},
      {"PowerMac3,4", "PowerMac G4 (Digital Audio)"},
      {"PowerMac3,5", "PowerMac G4 (Quicksilver)"},
      {"PowerMac3,6", "PowerMac G4 (Mirrored Drive Doors)"},
      {"PowerMac4,1", "iMac G3 (2001)"},
      {"PowerMac4,2", "iMac G4 (Flat Panel)"},
      {"PowerMac4,4", "eMac"},
      {"PowerMac4,5", "iMac G4 (17-inch Flat Panel)"},
      {"PowerMac5,1", "PowerMac G4 Cube"},
      {"PowerMac5,2", "PowerMac G4 Cube (1.2 GHz)"},
      {"PowerMac6,1", "iMac G4 (USB 2.0)"},
      {"PowerMac6,3", "iMac G4 (20-inch Flat Panel)"},
      {"PowerMac6,4", "eMac (USB 2.0)"},
      {"PowerMac7,2", "PowerMac G5"},
      {"PowerMac7,3", "PowerMac G5 (June 2004)"},
      {"PowerMac8,1", "iMac G5"},
      {"PowerMac8,2", "iMac G5 (Ambient Light Sensor)"},
      {"PowerMac9,1", "PowerMac G5 (Late 2004)"},
      {"PowerMac10,1", "Mac mini"},
      {"PowerMac10,2", "Mac mini"},
      {"PowerMac11,2", "PowerMac G5 (Late 2005)"},
      {"PowerMac12,1", "iMac G5 (iSight)"},
      {"PowerMac", "PowerMac"},
      // server
      {"RackMac1,1", "Xserve G4"},
      {"RackMac1,2", "Xserve G4 (Slot-loading)"},
      {"RackMac3,1", "Xserve G5"},
      {"RackMac", "XServe"},
      {"Xserve1,1", "Xserve Xeon (Late 2006)"},
      {"Xserve2,1", "Xserve Xeon (Early 2008)"},
      {"Xserve3,1", "Xserve Xeon (Early 2009)"},
      // portable
      {"MacBook1,1", "MacBook (13-inch, Mid 2006)"},
      {"MacBook2,1", "MacBook (13-inch, Late 2006 or Mid 2007)"},
      {"MacBook3,1", "MacBook (13-inch, Late 2007)"},
      {"MacBook4,1", "MacBook (13-inch, Early 2008 or Late 2008)"},
      {"MacBook5,1", "MacBook (13-inch, Aluminum, Late 2008)"},
      {"MacBook5,2", "MacBook (13-inch, Early 2009 or Mid 2009)"},
      {"MacBook6,1", "MacBook (13-inch, Late 2009)"},
      {"MacBook7,1", "MacBook (13-inch, Mid 2010)"},
      {"MacBook8,1", "MacBook (Retina, 12-inch, Early 2015)"},
      {"MacBook", "MacBook"},
      {"MacBookAir1,1", "MacBook Air (Original)"},
      {"MacBookAir2,1", "MacBook Air (Late 2008 or Mid 2009)"},
      {"MacBookAir3,1", "MacBook Air (11-inch, Late 2010)"},
      {"MacBookAir3,2", "MacBook Air (13-inch, Late 2010)"},
      {"MacBookAir4,1", "MacBook Air (11-inch, Mid 2011)"},
      {"MacBookAir4,2", "MacBook Air (13-inch, Mid 2011)"},
      {"MacBookAir5,1", "MacBook Air (11-inch, Mid 2012)"},
      {"MacBookAir5,2", "MacBook Air (13-inch, Mid 2012)"},
      {"MacBookAir6,1", "MacBook Air (11-inch, Mid 2013 or Early 2014)"},
      {"MacBookAir6,2", "MacBook Air (13-inch, Mid 2013 or Early 2014)"},
      {"MacBookAir5,1", "MacBook Air (11-inch, Early 2015)"},
      {"MacBookAir5,2", "MacBook Air (13-inch, Early 2015)"},
      {"MacBookAir", "MacBook Air"},
      {"MacBookPro1,1", "MacBook Pro (15-inch, Early 2006)"},
      {"MacBookPro1,2", "MacBook Pro (17-inch, Early 2006)"},
      {"MacBookPro2,1", "MacBook Pro (17-inch, Late 2006)"},
      {"MacBookPro2,2", "MacBook Pro (15-inch, Late 2006)"},
      {"MacBookPro3,1", "MacBook Pro (15-inch or 17-inch, Mid 2007)"},
      {"MacBookPro4,1", "MacBook Pro (15-inch or 17-inch, Early 2008)"},
      {"MacBookPro5,1", "MacBook Pro (15-inch, Late 2008)"},
      {"MacBookPro5,2", "MacBook Pro (17-inch, Early 2009 or Mid 2009)"},
      {"MacBookPro5,3", "MacBook Pro (15-inch, Mid 2009)"},
      {"MacBookPro5,4", "MacBook Pro (15-inch, 2.53 GHz, Mid 2009)"},
      {"MacBookPro5,5", "MacBook Pro (13-inch, Mid 2009)"},
      {"MacBookPro6,1", "MacBook Pro (17-inch, Mid 2010)"},
      {"MacBookPro6,2", "MacBook Pro (15-inch, Mid 2010)"},
      {"MacBookPro7,1", "MacBook Pro (13-inch, Mid 2010)"},
      {"MacBookPro8,1", "MacBook Pro (13-inch, Early 2011 or Late 2011)"},
      {"MacBookPro8,2", "MacBook Pro (15-inch, Early 2011 or Late 2011)"},
      {"MacBookPro8,3", "MacBook Pro (17-inch, Early 2011 or Late 2011)"},
      {"MacBookPro9,1", "MacBook Pro (15-inch, Mid 2012)"},
      {"MacBookPro9,2", "MacBook Pro (13-inch, Mid 2012)"},
      {"MacBookPro10,1", "MacBook Pro (15-inch, Retina, Mid 2012 or Early 2013)"},
      {"MacBookPro10,2", "MacBook Pro (13-inch, Retina, Late 2012 or Early 2013)"},
      {"MacBookPro11,1", "MacBook Pro (13-inch, Retina, Late 2013 or Mid 2014)"},
      {"MacBookPro11,2", "MacBook Pro (15-inch, Retina, Late 2013 or Mid 2014, integrated graphics)"},
      {"MacBookPro11,3", "MacBook Pro (15-inch, Retina, Late 2013 or Mid 2014)"},
      {"MacBookPro11,4", "MacBook Pro (15-inch, Retina, Mid 2015, integrated graphics)"},
      {"MacBookPro11,5", "MacBook Pro (15-inch, Retina, Mid 2015)"},
      {"MacBookPro12,1", "MacBook Pro (13-inch, Retina, Early 2015)"},
      {"MacBookPro", "MacBook Pro"},
      // desktop
      {"iMac,1", "iMac (first generation)"},
      {"iMac4,1", "iMac (17-inch or 20-inch, Early 2006)"},
      {"iMac4,2", "iMac (17-inch, Mid 2006)"},
      {"iMac5,1", "iMac (17-inch or 20-inch, Late 2006)"},
      {"iMac5,2", "iMac (17-inch, Late 2006, CD)"},
      {"iMac6,1", "iMac (24-inch, Late 2006)"},
      {"iMac7,1", "iMac (20-inch or 24-inch, Mid 2007)"},
      {"iMac8,1", "iMac (20-inch or 24-inch, Early 2008)"},
      {"iMac9,1", "iMac (20-inch or 24-inch, Early 2009)"},
      {"iMac10,1", "iMac (21.5-inch or 27-inch, Late 2009)"},
      {"iMac11,1", "iMac (27-inch, Late 2009)"},
      {"iMac11,2", "iMac (21.5-inch, Mid 2010)"},
      {"iMac11,3", "iMac (27-inch, Mid 2010)"},
      {"iMac12,1", "iMac (21.5-inch, Mid 2011)"},
      {"iMac12,2", "iMac (27-inch, Mid 2011)"},
      {"iMac13,1", "iMac (21.5-inch, Late 2012)"},
      {"iMac13,2", "iMac (27-inch, Late 2012)"},
      {"iMac14,1", "iMac (21.5-inch, Late 2013)"},
      {"iMac14,2", "iMac (27-inch, Late 2013)"},
      {"iMac14,3", "iMac (21.5-inch, Late 2013, discrete graphics)"},
      {"iMac14,4", "iMac (21.5-inch, Mid 2014)"},
      {"iMac15,1", "iMac (27-inch, Retina, Late 2014 or Mid 2015)"},
      {"iMac", "iMac"},
      {"MacPro1,1", "Mac Pro (Mid 2006)"},
      {"MacPro2,1", "Mac Pro (Early 2007, 8-core)"},
      {"MacPro3,1", "Mac Pro (Early 2008)"},
      {"MacPro4,1", "Mac Pro (Early 2009)"},
      {"MacPro5,1", "Mac Pro (Mid 2010 or Mid 2012)"},
      {"MacPro6,1", "Mac Pro (Late 2013)"},
      {"MacPro", "Mac Pro"},
      {"Macmini1,1", "Mac mini (Early 2006 or Late 2006)"},
      {"Macmini2,1", "Mac mini (Mid 2007)"},
      {"Macmini3,1", "Mac mini (Early 2009 or Late 2009)"},
      {"Macmini4,1", "Mac mini (Mid 2010)"},
      {"Macmini5,1", "Mac mini (Mid 2011)"},
      {"Macmini5,3", "Mac mini Server (Mid 2011)"},
      {"Macmini6,1", "Mac mini (Late 2012)"},
      {"Macmini6,2", "Mac mini (Late 2012, quad-core)"},
      {"Macmini7,1", "Mac mini (Late 2014)"},
      {"Macmini", "Mac Mini"},
      // development
      {"ADP2,1", "Developer Transition Kit"},
      {"M43ADP1,1 ", "Development Mac Pro"},
  };
  return entries;
}

namespace {

// Keys in byte order. For a duplicated key the first entry wins: the Mid
// 2012 names are the ones those identifiers were sold under.
const std::map<std::string, std::string>& modelTable() {
  static const std::map<std::string, std::string> table = [] {
    std::map<std::string, std::string> t;
    for (const auto& e : modelTableEntries()) t.emplace(e.identifier, e.name);
    return t;
  }();
  return table;
}

}  // namespace

std::string modelNameForIdentifier(const std::string& model) {
  const std::string* chosenKey = nullptr;
  const std::string* chosenName = nullptr;
  for (const auto& [key, name] : modelTable()) {
    if (model.find(key) == std::string::npos) continue;
    // The exact identifier, once met, is final; a family key is replaced by
    // any later candidate.
    if (!chosenKey || chosenKey->size() != model.size()) {
      chosenKey = &key;
      chosenName = &name;
    }
  }
  if (!chosenKey) return platform::format("Unknown (%@)", model);
  if (chosenKey->find(',') == std::string::npos) return platform::format("%@ (%@)", *chosenName, *chosenKey);
  return *chosenName;
}

}  // namespace support
