// A small writer of indented JSON text, for scripts that read tarvel's
// results.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// `text` as a JSON string literal. Bytes that are not UTF-8 become U+FFFD.
std::string jsonQuote(std::string_view text);

class JsonWriter {
 public:
  void beginObject() { open('{'); }
  void endObject() { close('}'); }
  void beginArray() { open('['); }
  void endArray() { close(']'); }
  // The member name of the next value inside an object.
  void key(std::string_view name);

  void value(std::string_view text) { scalar(jsonQuote(text)); }
  void value(const char* text) { value(std::string_view(text)); }
  void value(const std::string& text) { value(std::string_view(text)); }
  void value(bool b) { scalar(b ? "true" : "false"); }
  void value(int64_t n) { scalar(std::to_string(n)); }
  void value(uint64_t n) { scalar(std::to_string(n)); }
  void value(int32_t n) { value(static_cast<int64_t>(n)); }
  void value(uint32_t n) { value(static_cast<uint64_t>(n)); }
  void value(const std::optional<std::string>& text) {
    if (text) value(*text);
    else null();
  }
  void null() { scalar("null"); }

  template <class T>
  void member(std::string_view name, const T& v) {
    key(name);
    value(v);
  }

  // The document; complete once every object and array is closed.
  const std::string& text() const { return out_; }

 private:
  void open(char bracket);
  void close(char bracket);
  void scalar(const std::string& literal);
  void beforeValue();
  void newline();

  std::string out_;
  struct Level {
    bool first = true;
  };
  std::vector<Level> levels_;
  bool afterKey_ = false;
};

}  // namespace cli
