// The secrets of a VNC display: a fresh password, and the password file that TigerVNC's server and
// the VNC viewers read (the "vncpasswd" format: the first eight bytes of the password, padded with
// zero bytes, enciphered with the fixed key every VNC program shares; an obfuscation that keeps
// the password from being read at a glance, not an encryption).
#pragma once

#include <string>

namespace irhost {

// Eight letters and digits from the kernel's random source (VNC passwords count eight bytes at
// most), without the look-alikes 0 O 1 l I. Throws std::runtime_error if no random bytes come.
std::string freshVncPassword();

// The eight bytes of the password file for `password`.
std::string vncPasswordFileBytes(const std::string& password);

// `count` bytes from the kernel's random source; throws std::runtime_error if none come.
std::string randomBytes(std::size_t count);

}  // namespace irhost
