// The low-level DES calls are deprecated in OpenSSL 3 but remain in libcrypto without a provider;
// the password file needs exactly one block of single DES, which no modern cipher API offers by
// default.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "vnc_password.h"

#include <openssl/des.h>
#include <sys/random.h>

#include <cerrno>
#include <stdexcept>

namespace irhost {

std::string randomBytes(std::size_t count) {
  std::string bytes(count, '\0');
  std::size_t got = 0;
  while (got < count) {
    const ssize_t n = ::getrandom(bytes.data() + got, count - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("no random bytes from the kernel");
    got += static_cast<std::size_t>(n);
  }
  return bytes;
}

std::string freshVncPassword() {
  static constexpr char kAlphabet[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
  constexpr std::size_t kSize = sizeof(kAlphabet) - 1;
  std::string password;
  while (password.size() < 8) {
    for (unsigned char b : randomBytes(16)) {
      // Bytes at or above the largest multiple of the alphabet's size are dropped, so that every
      // character is equally likely.
      if (b >= 256 - 256 % kSize) continue;
      password += kAlphabet[b % kSize];
      if (password.size() == 8) break;
    }
  }
  return password;
}

std::string vncPasswordFileBytes(const std::string& password) {
  // The key VNC programs share, {23,82,107,6,35,78,88,7}, with the bits of each byte reversed: their
  // DES takes a key's bits least significant first, OpenSSL most significant first.
  DES_cblock kKey = {0xE8, 0x4A, 0xD6, 0x60, 0xC4, 0x72, 0x1A, 0xE0};  // OpenSSL takes it non-const
  DES_key_schedule schedule;
  DES_set_key_unchecked(&kKey, &schedule);
  DES_cblock plain = {0, 0, 0, 0, 0, 0, 0, 0};
  for (std::size_t i = 0; i < 8 && i < password.size(); ++i) plain[i] = static_cast<unsigned char>(password[i]);
  DES_cblock cipher;
  DES_ecb_encrypt(&plain, &cipher, &schedule, DES_ENCRYPT);
  return std::string(reinterpret_cast<const char*>(cipher), 8);
}

}  // namespace irhost
