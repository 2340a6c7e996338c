// JsonObject: one JSON value read by paths such as "result[2].content" (on nlohmann/json).
// Texts are GBK at the edges. Parsing is bounded in nesting depth, so a hostile reply cannot
// exhaust the stack; a path that names nothing reads as null. Nothing throws.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace parse {

class JsonObject {
 public:
  JsonObject();
  ~JsonObject();
  JsonObject(const JsonObject&);
  JsonObject& operator=(const JsonObject&);

  bool Parse(const std::string& json);
  int MemberCount(const std::string& path = {}) const;
  std::string PropertyText(const std::string& path, bool asJson = false) const;

  std::string ToJson() const;
  void SetProperty(const std::string& key, const std::string& value, bool valueIsJson = false);
  void SetPropertyJson(const std::string& key, const std::string& json);
  void SetNumber(const std::string& key, double value);
  double GetNumber(const std::string& key) const;
  std::string GetPropertyJson(const std::string& key) const;
  JsonObject PropertyObject(const std::string& path) const;
  void AddMember(const std::string& value, const std::string& path = {}, bool notAString = false);
  JsonObject MemberObject(int position, const std::string& path = {}) const;
  std::string MemberText(int position, const std::string& path = {}, bool asJson = false) const;
  void SetMember(int position, const std::string& value, bool notAString = false);
  void RemoveMember(int position);
  void Reset(int type);
  void SetRoot(const std::string& value, bool notAString = false);
  bool Has(const std::string& key) const;
  int Keys(std::vector<std::string>& list, const std::string& path = {}) const;
  int TypeOf(const std::string& path = {}) const;
  void Clear();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace parse
