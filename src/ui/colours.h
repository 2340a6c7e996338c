// The window's colours as Windows colour values, 0x00BBGGRR (LinkLabel::setBackground takes them),
// and the run-log buttons with their colours at rest.
#pragma once

#include <cstdint>

namespace ui::colour {

inline constexpr uint32_t kSelected = 8409343;      // 255, 80, 128: selected menu item; some buttons
inline constexpr uint32_t kUnselected = 0x800080;   // 128, 0, 128: menu items at rest; some buttons
inline constexpr uint32_t kPressed = 0xFF00FF;      // 255, 0, 255: most buttons while pressed
inline constexpr uint32_t kRed = 255;               // 255, 0, 0: some released buttons; active paging link
inline constexpr uint32_t kDarkRed = 128;           // 128, 0, 0
inline constexpr uint32_t kGreen = 0x8000;          // 0, 128, 0
inline constexpr uint32_t kLoginPressed = 0x80E000; // 0, 224, 128
inline constexpr uint32_t kTeal = 0x808000;         // 0, 128, 128
inline constexpr uint32_t kConverter = 24768;       // 192, 96, 0: "多行转换" released
inline constexpr uint32_t kInactivePage = 33023;    // 255, 128, 0: inactive paging link

inline constexpr uint32_t kLilac = 0xFF8080;        // 128, 128, 255: "加群日志" at rest
inline constexpr uint32_t kOlive = 0x008080;        // 128, 128, 0: "下单失败" at rest

}  // namespace ui::colour

namespace ui {

// The five buttons of the run-log page, in page order, with their colours at rest.
struct LogButton {
  const char* name;
  uint32_t rest;
};
inline constexpr LogButton kLogButtons[] = {{"全部日志", colour::kPressed},
                                            {"下单成功", colour::kUnselected},
                                            {"下单失败", colour::kOlive},
                                            {"加群日志", colour::kLilac},
                                            {"退群日志", colour::kTeal}};

}  // namespace ui
