// trust-test-ca CA.pem: puts a test CA into the machine's trusted root store
// of the Wine prefix it runs in, so that WinINet's certificate checks accept
// the test servers' certificates. For test prefixes only.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: trust-test-ca CA.pem\n", stderr);
    return 2;
  }
  std::ifstream in(std::filesystem::path(argv[1]), std::ios::binary);
  const std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  DWORD size = 0;
  if (pem.empty() ||
      !CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                            nullptr, &size, nullptr, nullptr)) {
    std::fputs("trust-test-ca: not a PEM certificate\n", stderr);
    return 1;
  }
  std::vector<BYTE> der(size);
  CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                       der.data(), &size, nullptr, nullptr);
  HCERTSTORE store =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
  if (!store) {
    std::fprintf(stderr, "trust-test-ca: no root store (error %lu)\n", GetLastError());
    return 1;
  }
  const BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  const DWORD error = GetLastError();
  CertCloseStore(store, 0);
  if (!added) {
    std::fprintf(stderr, "trust-test-ca: the certificate was refused (error %lu)\n", error);
    return 1;
  }
  return 0;
}
