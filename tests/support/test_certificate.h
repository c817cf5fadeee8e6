// A self-signed TLS certificate made when a test runs (OpenSSL API), with its
// PEM file on disk so the client side can be told to trust it.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <string>
#include <vector>

namespace test {

class TestCertificate {
 public:
  struct Options {
    std::vector<std::string> dns_names = {"localhost"};
    std::vector<std::string> ip_addresses = {"127.0.0.1"};
    long valid_from_seconds = -3600;  // relative to now
    long valid_until_seconds = 86400;
  };
  TestCertificate() : TestCertificate(Options{}) {}
  explicit TestCertificate(const Options& options);
  ~TestCertificate();
  TestCertificate(const TestCertificate&) = delete;
  TestCertificate& operator=(const TestCertificate&) = delete;

  X509* certificate() const { return certificate_; }
  EVP_PKEY* key() const { return key_; }
  // A PEM file holding the certificate, removed again with this object.
  const std::string& pem_path() const { return pem_path_; }

 private:
  X509* certificate_ = nullptr;
  EVP_PKEY* key_ = nullptr;
  std::string pem_path_;
};

}  // namespace test
