// The window's colours as Windows colour values, 0x00BBGGRR (LinkLabel::setBackground takes them).
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

}  // namespace ui::colour
