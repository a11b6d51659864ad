#include "support/Appcast.h"

#include <QXmlStreamReader>

namespace support {

namespace {

std::string text(QStringView s) { return s.toString().toStdString(); }

// One <item>: title, enclosure and the version, which a <sparkle:version>
// element gives in newer feeds and the enclosure's attribute in older ones.
SUAppcastItem readItem(QXmlStreamReader& xml) {
  SUAppcastItem item;
  std::string elementVersion;
  while (xml.readNextStartElement()) {
    const auto name = xml.qualifiedName();
    if (name == u"title") {
      item.title = xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString();
    } else if (name == u"sparkle:version") {
      elementVersion = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toStdString();
    } else if (name == u"sparkle:shortVersionString") {
      item.displayVersionString = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toStdString();
    } else if (name == u"enclosure") {
      const auto attrs = xml.attributes();
      item.fileURL = text(attrs.value(QLatin1String("url")));
      if (attrs.hasAttribute(QLatin1String("sparkle:version")))
        item.versionString = text(attrs.value(QLatin1String("sparkle:version")));
      if (item.displayVersionString.empty() && attrs.hasAttribute(QLatin1String("sparkle:shortVersionString")))
        item.displayVersionString = text(attrs.value(QLatin1String("sparkle:shortVersionString")));
      xml.skipCurrentElement();
    } else {
      xml.skipCurrentElement();
    }
  }
  if (!elementVersion.empty()) item.versionString = elementVersion;
  return item;
}

}  // namespace

std::optional<std::vector<SUAppcastItem>> parseAppcast(const std::string& data, std::string* error) {
  // Prefixes are matched as written ("sparkle:version"), so a feed that
  // forgets to declare the namespace still reads.
  QXmlStreamReader xml(QByteArray::fromStdString(data));
  xml.setNamespaceProcessing(false);
  std::vector<SUAppcastItem> items;
  if (!xml.readNextStartElement()) {
    if (error) *error = xml.hasError() ? xml.errorString().toStdString() : "empty document";
    return std::nullopt;
  }
  if (xml.qualifiedName() != u"rss") {
    if (error) *error = "not an RSS feed (root element " + text(xml.qualifiedName()) + ")";
    return std::nullopt;
  }
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.qualifiedName() == u"item") {
      SUAppcastItem item = readItem(xml);
      if (!item.versionString.empty()) items.push_back(std::move(item));
    }
  }
  if (xml.hasError()) {
    if (error)
      *error = xml.errorString().toStdString() + " at line " + std::to_string(xml.lineNumber());
    return std::nullopt;
  }
  return items;
}

std::optional<SUAppcastItem> newestAppcastItem(const std::vector<SUAppcastItem>& items,
                                               const SUVersionComparison& comparator) {
  const SUAppcastItem* best = nullptr;
  for (const auto& item : items)
    if (!best || comparator.compareVersion(item.versionString, best->versionString) == NSOrderedDescending)
      best = &item;
  if (!best) return std::nullopt;
  return *best;
}

}  // namespace support
