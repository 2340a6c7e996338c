// Placeholder filling for reply templates, shared by the join replies and the daily-claim replies.
//
// A template is filled by steps, in a fixed order: each step replaces every occurrence of its
// placeholder (ASCII letter case ignored, left to right) by its value. A value is produced only
// when its placeholder's step is reached (an order is placed at its step even when the template
// lacks the placeholder); a step without a value leaves its placeholder in the text.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gifting {

struct FillStep {
  std::string placeholder;                          // GBK, such as "[入群QQ名称]"
  std::function<std::optional<std::string>()> value;  // nullopt: not produced, placeholder stays
};

std::string fillTemplate(std::string text, const std::vector<FillStep>& steps);

// The host's inline codes.
std::string atCode(const std::string& qq);                  // "[IR:at=" + qq + "]"
std::string avatarCode(const std::string& qq, int size);    // "[IR:pic=<avatar service>/headimg_dl?dst_uin=…&spec=…&img_type=jpg]"

// 自定义话语/小尾巴 of a profile (fallback "[换行]") with every CR LF removed.
std::string tailText(const std::string& profilePath);

}  // namespace gifting
